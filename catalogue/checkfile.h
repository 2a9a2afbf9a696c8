// The checkfile "HTSUM-sums.MD5": three comment header lines, then one "digest|relative path"
// line per file, every line ended by CR LF. Stored in the system's code page when every path has
// an exact form there, else in UTF-8 behind its byte-order mark. The program holds every name and
// path in UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/run_view.h"
#include "platform/clock.h"

inline constexpr char CheckfileName[] = "HTSUM-sums.MD5";

// True when `name`, of a file in a scanned folder itself, is the checkfile's name in any letter
// case: Windows names ignore it, so the checkfile a make writes there replaces that file.
bool IsCheckfileNameInItsFolder(std::string_view name);

// One scanned file: its full path (the scanned folder, a backslash, the path below it) and the
// 32 lower-case hexadecimal digits of its MD5 digest.
struct TMD5Node {
  std::string FullPath;
  std::string DigestText;
};

// The make run's scanned files in scan order, held compactly: a run over millions of files keeps
// one block of path bytes, one of digest texts and an offset per file.
class TMD5NodeArray {
 public:
  static constexpr std::size_t kDigestLength = 32;

  TMD5NodeArray() = default;
  TMD5NodeArray(std::initializer_list<TMD5Node> nodes);

  // `digestText` has kDigestLength characters.
  void Append(std::string_view fullPath, std::string_view digestText);
  void clear();
  std::size_t size() const { return pathEnds_.size(); }
  bool empty() const { return pathEnds_.empty(); }

  std::string_view FullPath(std::size_t i) const;
  std::string_view DigestText(std::size_t i) const;
  TMD5Node operator[](std::size_t i) const;

 private:
  std::string paths_;
  std::string digests_;
  std::vector<std::uint32_t> pathEnds_;
};

// A checkfile that cannot be created, written or loaded. Text() is what the user is shown; what()
// has its bytes joined as they stand.
class ECheckfileError : public std::runtime_error {
 public:
  explicit ECheckfileError(TViewText text) : std::runtime_error(JoinedBytes(text)), text_(text) {}
  const TShownText& Text() const { return text_; }

 private:
  TShownText text_;
};

// The second header line's address.
inline constexpr char HomeWebAddress[] = "https://hashtally.org/";

// The longest relative path the writer stores, in the bytes stored. The reader takes names of
// any length: a name cut short could name another file.
inline constexpr std::size_t MaxCheckfileName = 10000;

// The UTF-8 byte-order mark, in front of a checkfile stored in UTF-8.
inline constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

// True when a file at `relativePath` (below the scanned folder, UTF-8) can be listed: stored in
// the system's code page where it has an exact form there, else in UTF-8, it takes at most
// MaxCheckfileName bytes.
bool FitsInCheckfile(std::string_view relativePath);

// A checkfile's entry lines as they are stored. In the system's code page when every relative
// path has an exact form there (the bytes of every checkfile made before), else in UTF-8.
struct TCheckfileBody {
  std::string Lines;                 // "digest|relative path" and CR LF, per stored node
  bool Utf8 = false;                 // stored in UTF-8, behind the byte-order mark
  std::vector<std::size_t> LeftOut;  // nodes not stored: their path is past MaxCheckfileName
};

// The body for `nodes` below `folder` (no trailing backslash), in the nodes' order.
TCheckfileBody CheckfileBody(const std::string& folder, const TMD5NodeArray& nodes);

// How a checkfile is written, besides its lines.
struct TCheckfileWriting {
  // The last write it is dated with, in the system's file time; -1: when it is written.
  std::int64_t datedAt = -1;
  // How its messages name it; empty: `folder`\HTSUM-sums.MD5.
  std::string shownPath;
  texts::TLanguage language = texts::TLanguage::Chinese;
};

// Writes `folder`\HTSUM-sums.MD5 (`folder` without a trailing backslash, "C:" for a drive root)
// with the three header lines and the body's lines. The text goes to a new temporary file in the
// same folder first, which then replaces the checkfile in one step: on any failure the old
// checkfile is left exactly as it was and the temporary file is removed. A checkfile the user
// made read-only is never replaced.
// Throws ECheckfileError: "Cannot create file "<path>". <system text>", "Stream write error" or
// the read-only text.
void WriteCheckfile(const std::string& folder, const std::string& versionText,
                    const platform::LocalDateTime& writtenAt, const TCheckfileBody& body,
                    const TCheckfileWriting& writing = {});
// The same with the body of `nodes`, all of which must fit (FitsInCheckfile).
void WriteCheckfile(const std::string& folder, const std::string& versionText,
                    const platform::LocalDateTime& writtenAt, const TMD5NodeArray& nodes);

// Reads the whole file and splits it into lines (SplitCheckfileText). Throws
// ECheckfileError "Cannot open file "<path>". <system text>" when it cannot be opened,
// "检查文件太大,无法载入: <path>" when it is larger than the program can hold (4 GiB and more, or
// more than a string of this build can take), and "Stream read error" when it opens but cannot be
// read. A checkfile is never read in part.
std::vector<std::string> LoadCheckfileLines(const std::string& path);

// Calls `onLine(std::string_view)` for each line of a checkfile's content, first to last. CR LF, a
// lone CR and a lone LF each end a line; LF CR and CR CR leave an empty line between them; a
// break at the very end adds no empty line. A NUL byte is part of its line: it damages that line
// only, never the lines after it.
template <typename OnLine>
void ForEachCheckfileLine(std::string_view content, OnLine onLine) {
  const std::size_t size = content.size();
  std::size_t i = 0;
  while (i < size) {
    std::size_t end = i;
    while (end < size && content[end] != '\r' && content[end] != '\n') ++end;
    onLine(content.substr(i, end - i));
    i = end;
    if (i < size && content[i] == '\r') ++i;
    if (i < size && content[i] == '\n') ++i;
  }
}

// The lines ForEachCheckfileLine gives, as strings.
std::vector<std::string> SplitCheckfileText(const std::string& content);

struct TCheckfileEntry {
  std::string ExpectedDigest;  // bytes 1 to 32 as they stand
  std::string Name;            // bytes 34 onward, the whole rest of the line
};

// True for an entry line. Rejected, in this order: an empty line, a line starting with ";", a line
// shorter than 34 bytes, a line whose byte 33 is not "|", a line holding a NUL byte (a damaged
// file: what the line names cannot be trusted).
bool IsCheckfileEntry(std::string_view line);

// Takes an entry line apart; false for a rejected line (IsCheckfileEntry).
bool ParseCheckfileEntry(const std::string& line, TCheckfileEntry& entry);

// True for the lines a checkfile may hold besides its entries: empty lines, lines of blanks and
// tabs only, and comment lines (";" first, also behind the UTF-8 byte-order mark an editor may
// put in front of the first line), NUL bytes aside (padding). Any other line the reader rejects
// is a damaged entry.
bool IsBlankOrCommentLine(std::string_view line);

using TLoadingHook = std::function<void()>;

// The encoding a reading of an entry's name is in.
enum class TNameEncoding : std::uint8_t {
  Ascii,     // plain ASCII, the same in every encoding
  Utf8,      // UTF-8 (every name behind the byte-order mark)
  CodePage,  // the system's code page
  Gbk,       // GBK, on a system of another code page
};

// A loaded checkfile as the check run uses it: the content as it was read, and where each
// accepted entry line lies in it. No line is copied, so a checkfile of millions of entries costs
// little more than its own size.
//
// Besides its own "digest|name" lines it takes the MD5 lists other tools write, each line judged
// on its own: "digest  name" or "digest *name" (a line that begins with a backslash holds a name
// in which "\\" stands for a backslash and "\n" for a line break), and "MD5 (name) = digest".
// In those the digits may be of either letter case; "/" and "\" both separate folders, a leading
// "./" is dropped, and a name may be a path on a drive or on another computer; a name that can
// name no file (a path from the root of no drive, such as "/home/x") is a damaged line.
//
// A checkfile that begins with the UTF-8 byte-order mark is UTF-8 (the mark is no part of the
// first line). One without it holds its own lines' names in the system's code page, and the other
// forms' names in UTF-8 when the whole content is UTF-8, else in the code page.
class TCheckfileEntries {
 public:
  // Takes the lines of `content` apart by the reader's rules; `whileLoading` (may be empty) is
  // called now and then, so that a window can answer while millions of lines are read.
  explicit TCheckfileEntries(std::string content, const TLoadingHook& whileLoading = {});

  std::size_t size() const { return lines_.size(); }
  // The digits as they stand: for our own lines bytes 1 to 32, whatever they are.
  std::string_view ExpectedDigest(std::size_t i) const;
  // True when `digest` (lower-case digits) is the one entry `i` expects: our own lines compare
  // byte for byte, the other forms regardless of letter case.
  bool Matches(std::size_t i, std::string_view digest) const;
  // Rejected lines that are not blank or comments: lines holding a NUL byte among them, and the
  // other forms' lines whose name can name no file.
  std::int32_t DamagedLines() const { return damaged_; }
  // The checkfile began with the byte-order mark: its texts are UTF-8.
  bool IsUtf8() const { return utf8_; }
  // Every entry is a line of our own form, and no line is damaged: a checkfile this program may
  // write again.
  bool IsOwnForm() const { return !otherForms_ && damaged_ == 0; }
  // `content` is, byte for byte, what these entries were taken from.
  bool IsContent(std::string_view content) const;

  // The full path (UTF-8) of entry `i`'s file: `baseFolder` (UTF-8) followed by the entry's name
  // (a name that is a whole path stands alone) read as reading number `reading`. Reading 0 is the
  // name in the checkfile's encoding. A checkfile without the mark may come from a system of
  // another code page: readings 1 and up are the name read as UTF-8 (where its bytes are UTF-8),
  // in the code page, and as GBK (where the system's code page is not GBK), each only where it
  // gives another name than those before. False when there is no such reading.
  bool Path(std::size_t i, const std::string& baseFolder, unsigned reading,
            std::string& path) const;
  // Entries `a` and `b` are lines of one form holding the same name: their readings are the same.
  bool SameName(std::size_t a, std::size_t b) const {
    return lines_[a].form == lines_[b].form && NameBytes(lines_[a]) == NameBytes(lines_[b]);
  }
  // Every reading at once, first to last (the first always there), with the encoding each is
  // read in (`encodings` may be null); returns how many.
  static constexpr unsigned kMostReadings = 4;
  unsigned Paths(std::size_t i, const std::string& baseFolder, std::string (&paths)[kMostReadings],
                 TNameEncoding* encodings = nullptr) const;

 private:
  enum class TForm : std::uint8_t {
    Own,            // digest|name
    Plain,          // digest, a blank, a blank or "*", name
    PlainEscaped,   // the same behind a backslash, its name escaped
    Tagged,         // MD5 (name) = digest
    TaggedEscaped,  // the same behind a backslash, its name escaped
  };
  struct TLine {
    std::uint32_t start;
    std::uint32_t length;
    TForm form;
  };
  std::string_view NameBytes(const TLine& line) const;

  std::string content_;
  std::vector<TLine> lines_;
  std::int32_t damaged_ = 0;
  bool utf8_ = false;         // the byte-order mark
  bool contentUtf8_ = false;  // without the mark, the whole content is UTF-8
  bool otherForms_ = false;   // some entry is a line of another tool's form
};

// Reads the whole file and takes it apart, calling `whileLoading` now and then; throws as
// LoadCheckfileLines does, its own texts in `language`. `written` (may be null) receives the
// checkfile's last write in the system's file time, or -1 where the system does not tell.
TCheckfileEntries LoadCheckfileEntries(const std::string& path, const TLoadingHook& whileLoading,
                                       std::int64_t* written = nullptr,
                                       texts::TLanguage language = texts::TLanguage::Chinese);

// True when the checkfile at `path` is still the one `entries` were read from, last written at
// `written` (-1 where the system did not tell): the same last write and the same bytes. False
// also when it cannot be read now. `whileReading` as for LoadCheckfileEntries.
bool IsCheckfileAsRead(const std::string& path, const TCheckfileEntries& entries,
                       std::int64_t written, const TLoadingHook& whileReading);

// The checkfile's folder as entry names are appended to it: its path (UTF-8) up to and including
// the last backslash, slash or colon; empty when there is none.
std::string CheckfileBaseFolder(const std::string& path);
