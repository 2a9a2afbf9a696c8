// The checkfile "HTSUM-sums.MD5": three comment header lines, then one "digest|relative path"
// line per file, every line ended by CR LF, text stored as the ANSI bytes it is held in.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/clock.h"

inline constexpr char CheckfileName[] = "HTSUM-sums.MD5";

// One scanned file: its full path (the scanned folder, a backslash, the path below it) and the
// 32 lower-case hexadecimal digits of its MD5 digest.
struct TMD5Node {
  std::string FullPath;
  std::string DigestText;
};
using TMD5NodeArray = std::vector<TMD5Node>;

// A checkfile that cannot be created, written or opened; what() is the text shown to the user.
class ECheckfileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The second header line's address.
inline constexpr char HomeWebAddress[] = "https://hashtally.org/";

// Writes `folder`\HTSUM-sums.MD5 (`folder` without a trailing backslash, "C:" for a drive root)
// with the three header lines and one entry line per node, in the nodes' order. The text goes to
// a new temporary file in the same folder first, which then replaces the checkfile in one step:
// on any failure the old checkfile is left exactly as it was and the temporary file is removed.
// Throws ECheckfileError: "Cannot create file "<path>". <system text>" or "Stream write error".
void WriteCheckfile(const std::string& folder, const std::string& versionText,
                    const platform::LocalDateTime& writtenAt, const TMD5NodeArray& nodes);

// Reads the whole file in one read and splits it into lines (SplitCheckfileText). Throws
// ECheckfileError "Cannot open file "<path>". <system text>" when it cannot be opened, and
// "Stream read error" when it opens but cannot be read.
std::vector<std::string> LoadCheckfileLines(const std::string& path);

// Lines of a checkfile's content. CR LF, a lone CR and a lone LF each end a line; LF CR and CR CR
// leave an empty line between them; a break at the very end adds no empty line; the first NUL byte
// ends the text.
std::vector<std::string> SplitCheckfileText(const std::string& content);

struct TCheckfileEntry {
  std::string ExpectedDigest;  // bytes 1 to 32 as they stand
  std::string Name;            // bytes 34 onward, at most 10000 bytes
};

// Takes an entry line apart. Rejected (false), in this order: an empty line, a line starting with
// ";", a line shorter than 34 bytes, a line whose byte 33 is not "|".
bool ParseCheckfileEntry(const std::string& line, TCheckfileEntry& entry);

// True for the lines a checkfile may hold besides its entries: empty lines, lines of blanks and
// tabs only, and comment lines (";" first, also behind the UTF-8 byte-order mark an editor may
// put in front of the first line). Any other line the reader rejects is a damaged entry.
bool IsBlankOrCommentLine(const std::string& line);

// The checkfile's folder as entry names are appended to it: its path up to and including the last
// backslash, slash or colon (a backslash that is the second byte of a double-byte character does
// not count); empty when there is none.
std::string CheckfileBaseFolder(const std::string& path);

// The longest relative path the writer stores and the longest name the reader takes.
inline constexpr std::size_t MaxCheckfileName = 10000;
