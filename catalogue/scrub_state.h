// What a rolling scrub remembers of one checkfile: for each entry, when a scrub last verified it
// and what it found. It is kept for the user outside the checked folder (which may be a disc), one
// file per checkfile, in a text of our own that people can read:
//   ; Hashtally scrub state, format 1
//   ; checkfile: D:\Archive\HTSUM-sums.MD5
//   ; volume: 1A2B3C4D
//   2026-12-09T03:00:00Z ok 52341 900150983cd24fb0d6963f7d28e17f72 photos\a.jpg
//   never - - 0cc175b9c0f1b6a831c399e269772661 photos\b.jpg
// one line per entry in the checkfile's order: the time of the last verification (UTC) or
// "never", its result, the file's size when the folder was last listed ("-" when not known), the
// digest the checkfile held then, and the entry's name to the end of the line (UTF-8; "hex:" and
// the bytes in hexadecimal where they are no UTF-8 text).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum class TScrubResult : std::uint8_t {
  None,  // never verified
  Matched,
  Damaged,    // content changed, last write not after the checkfile's
  Edited,     // content and last write changed
  Changed,    // content changed, a time unknown
  Failed,     // missing or unreadable
  NotOpened,  // refused by the gate, or a name that reads as several files
};

struct TScrubEntry {
  std::string name;             // as the check reads it, relative to the checkfile's folder
  std::string digest;           // the checkfile's digest text for it
  std::int64_t verifiedAt = 0;  // seconds since 1970 (UTC); 0: never
  TScrubResult result = TScrubResult::None;
  // Its bytes when the folder was last listed, so that the plan need not wait for the listing.
  std::uint64_t size = 0;
  bool sizeKnown = false;
};

class TScrubState {
 public:
  std::string checkfile;  // the checkfile's full path
  std::string volume;     // its volume's serial number
  std::vector<TScrubEntry> entries;

  // The state a text holds; false with the reason for a text that cannot be read (damaged, or
  // of a newer format), which is then set aside rather than trusted.
  static bool Parse(std::string_view text, TScrubState& state, std::string& why);
  std::string Text() const;

  // In line with the checkfile as it is now (its entries' names and digests, in order): entries
  // the state does not know count as never verified, those whose digest changed start again,
  // those that are gone are dropped.
  void Reconcile(const std::vector<std::pair<std::string, std::string>>& current);

  // The oldest verification that remains among the entries verified (0 for none), and how many
  // entries were never verified.
  std::int64_t OldestVerification() const;
  std::size_t NeverVerified() const;
};

// The state file's name for a checkfile: the MD5 of its full path (letter case aside, as Windows
// names go) and its volume's serial number, so that a copy on another disk is another medium.
std::string ScrubStateFileName(const std::string& checkfilePath, const std::string& volume);

// A time as the state writes it, "2026-12-09T03:00:00Z", and back (false for another text).
std::string UtcText(std::int64_t seconds);
bool ParseUtcText(std::string_view text, std::int64_t& seconds);
