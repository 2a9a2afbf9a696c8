// The checkfile's text rules that need no file system: its name, splitting into lines, taking an
// entry line apart and the base folder of a checkfile path.
#include <algorithm>
#include <utility>

#include "catalogue/checkfile.h"
#include "platform/path.h"
#include "platform/path_root.h"
#include "platform/text.h"

bool IsCheckfileNameInItsFolder(std::string_view name) {
  return platform::FoldedName(name) == platform::FoldedName(CheckfileName);
}

std::vector<std::string> SplitCheckfileText(const std::string& content) {
  std::vector<std::string> lines;
  ForEachCheckfileLine(content, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

bool IsCheckfileEntry(std::string_view line) {
  return !line.empty() && line[0] != ';' && line.size() >= 34 && line[32] == '|' &&
         line.find('\0') == std::string_view::npos;
}

bool ParseCheckfileEntry(const std::string& line, TCheckfileEntry& entry) {
  if (!IsCheckfileEntry(line)) return false;
  entry.ExpectedDigest.assign(line, 0, 32);
  entry.Name.assign(line, 33);
  return true;
}

bool IsBlankOrCommentLine(std::string_view line) {
  if (line.find('\0') != std::string_view::npos) {
    std::string withoutNuls;
    for (const char c : line)
      if (c != '\0') withoutNuls += c;
    return IsBlankOrCommentLine(withoutNuls);
  }
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  const std::size_t start = line.substr(0, 3) == kByteOrderMark ? 3 : 0;
  const std::size_t first = line.find_first_not_of(" \t", start);
  return first == std::string_view::npos || (first == start && line[first] == ';');
}

namespace {

bool IsHexDigits(std::string_view text) {
  if (text.size() != TMD5NodeArray::kDigestLength) return false;
  for (const char c : text) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

constexpr std::string_view kTagStart = "MD5 (";
constexpr std::string_view kTagEnd = ") = ";

// "MD5 (name) = digest", the escape in front of it left out.
bool IsTagged(std::string_view text) {
  return text.size() > kTagStart.size() + kTagEnd.size() + 32 &&
         text.substr(0, kTagStart.size()) == kTagStart &&
         text.substr(text.size() - 32 - kTagEnd.size(), kTagEnd.size()) == kTagEnd &&
         IsHexDigits(text.substr(text.size() - 32));
}

// A name of the other tools' forms, made ready to be read: escapes undone, "/" as "\\", leading
// "./" dropped.
struct TOtherName {
  std::string bytes;
  bool whole = false;   // a path of its own (on a drive or another computer), not below the base
  bool usable = false;  // it can name a file at all
};

TOtherName OtherName(std::string_view stored, bool escaped) {
  TOtherName name;
  name.bytes.reserve(stored.size());
  for (std::size_t i = 0; i < stored.size(); ++i) {
    char c = stored[i];
    if (escaped && c == '\\' && i + 1 < stored.size() &&
        (stored[i + 1] == '\\' || stored[i + 1] == 'n')) {
      c = stored[++i] == 'n' ? '\n' : '\\';
    } else if (c == '/') {
      c = '\\';
    }
    name.bytes += c;
  }
  std::size_t dropped = 0;
  while (name.bytes.compare(dropped, 2, ".\\") == 0) dropped += 2;
  name.bytes.erase(0, dropped);
  const platform::TPathRoot root = platform::ParsePathRoot(name.bytes);
  if (root.kind != platform::TRootKind::Relative) {
    // A path on a drive, a share or a device ("\\" alone names none).
    name.whole = name.usable = name.bytes.size() > 2;
  } else {
    // "\name" is a path from the root of no drive, and "C:name" relative to a current folder
    // that is not the checkfile's.
    name.usable = !name.bytes.empty() && root.relativeTo == platform::TRelativeBase::CurrentFolder;
  }
  return name;
}

// Every reading of a stored name (see TCheckfileEntries::Paths), each `prefix` followed by it,
// into `paths`, and the encoding each is read in into `encodings` (may be null); returns how
// many. `marked`: the checkfile has the byte-order mark; `utf8`: the name is UTF-8 first.
unsigned ReadNames(std::string_view stored, bool marked, bool utf8, std::string_view prefix,
                   std::string* paths, TNameEncoding* encodings) {
  // Plain ASCII reads the same in every encoding, and a checkfile with the mark in one only.
  if (platform::IsAscii(stored) || marked) {
    paths[0].assign(prefix);
    paths[0] += stored;
    if (encodings) encodings[0] = marked ? TNameEncoding::Utf8 : TNameEncoding::Ascii;
    return 1;
  }
  const unsigned system = platform::SystemCodePage();
  const bool validUtf8 = platform::IsValidUtf8(stored);
  std::string name;
  unsigned count = 0;
  // Only readings that name another file than those before them count.
  const auto add = [&](std::string_view reading, TNameEncoding encoding) {
    paths[count].assign(prefix);
    paths[count] += reading;
    if (std::find(paths, paths + count, paths[count]) != paths + count) return;
    if (encodings) encodings[count] = encoding;
    ++count;
  };
  if (utf8 && validUtf8) add(stored, TNameEncoding::Utf8);
  platform::CodePageToUtf8(stored, system, name);
  add(name, TNameEncoding::CodePage);
  if (validUtf8) add(stored, TNameEncoding::Utf8);
  if (system != platform::kCodePageGbk &&
      platform::CodePageToUtf8(stored, platform::kCodePageGbk, name))
    add(name, TNameEncoding::Gbk);
  return count;
}

}  // namespace

TCheckfileEntries::TCheckfileEntries(std::string content, const TLoadingHook& whileLoading)
    : content_(std::move(content)) {
  utf8_ = std::string_view(content_).substr(0, 3) == kUtf8ByteOrderMark;
  if (utf8_) content_.erase(0, 3);
  constexpr std::size_t kLinesBetweenHooks = 65536;
  std::size_t lines = 0;
  bool otherForms = false;
  ForEachCheckfileLine(content_, [&](std::string_view line) {
    if (whileLoading && ++lines % kLinesBetweenHooks == 0) whileLoading();
    const auto start = static_cast<std::uint32_t>(line.data() - content_.data());
    const auto length = static_cast<std::uint32_t>(line.size());
    const bool escaped = !line.empty() && line[0] == '\\';
    const std::string_view rest = line.substr(escaped ? 1 : 0);
    TLine entry{start, length, TForm::Own};
    // The tagged form is told first: its name may put "|" where our own lines have theirs.
    if (IsTagged(rest)) {
      entry.form = escaped ? TForm::TaggedEscaped : TForm::Tagged;
    } else if (IsCheckfileEntry(line)) {
      lines_.push_back(entry);
      return;
    } else if (IsBlankOrCommentLine(line)) {
      return;
    } else if (rest.size() > 34 && IsHexDigits(rest.substr(0, 32)) && rest[32] == ' ' &&
               (rest[33] == ' ' || rest[33] == '*')) {
      entry.form = escaped ? TForm::PlainEscaped : TForm::Plain;
    }
    // The other tools' forms, where they hold no NUL byte and a name that can name a file.
    const bool escapedForm =
        entry.form == TForm::PlainEscaped || entry.form == TForm::TaggedEscaped;
    if (entry.form != TForm::Own && line.find('\0') == std::string_view::npos &&
        OtherName(NameBytes(entry), escapedForm).usable) {
      lines_.push_back(entry);
      otherForms = true;
    } else {
      ++damaged_;
    }
  });
  otherForms_ = otherForms;
  contentUtf8_ = !utf8_ && otherForms && platform::IsValidUtf8(content_);
}

std::string_view TCheckfileEntries::NameBytes(const TLine& line) const {
  const std::string_view text = std::string_view(content_).substr(line.start, line.length);
  switch (line.form) {
    case TForm::Own:
      return text.substr(33);
    case TForm::Plain:
      return text.substr(34);
    case TForm::PlainEscaped:
      return text.substr(35);
    case TForm::Tagged:
    case TForm::TaggedEscaped: {
      const std::size_t start = kTagStart.size() + (line.form == TForm::TaggedEscaped ? 1 : 0);
      return text.substr(start, text.size() - 32 - kTagEnd.size() - start);
    }
  }
  return std::string_view();
}

unsigned TCheckfileEntries::Paths(std::size_t i, const std::string& baseFolder,
                                  std::string (&paths)[kMostReadings],
                                  TNameEncoding* encodings) const {
  const TLine& line = lines_[i];
  if (line.form == TForm::Own)
    return ReadNames(NameBytes(line), utf8_, utf8_, baseFolder, paths, encodings);
  const bool escaped = line.form == TForm::PlainEscaped || line.form == TForm::TaggedEscaped;
  const TOtherName other = OtherName(NameBytes(line), escaped);
  return ReadNames(other.bytes, utf8_, utf8_ || contentUtf8_,
                   other.whole ? std::string_view() : std::string_view(baseFolder), paths,
                   encodings);
}

bool TCheckfileEntries::Path(std::size_t i, const std::string& baseFolder, unsigned reading,
                             std::string& path) const {
  std::string paths[kMostReadings];
  if (reading >= Paths(i, baseFolder, paths)) return false;
  path = std::move(paths[reading]);
  return true;
}

std::string_view TCheckfileEntries::ExpectedDigest(std::size_t i) const {
  const TLine& line = lines_[i];
  const std::string_view text = std::string_view(content_).substr(line.start, line.length);
  switch (line.form) {
    case TForm::PlainEscaped:
      return text.substr(1, 32);
    case TForm::Tagged:
    case TForm::TaggedEscaped:
      return text.substr(text.size() - 32);
    default:
      return text.substr(0, 32);
  }
}

bool TCheckfileEntries::IsContent(std::string_view content) const {
  const std::string_view mark = utf8_ ? std::string_view(kUtf8ByteOrderMark) : std::string_view();
  return content.size() == mark.size() + content_.size() &&
         content.substr(0, mark.size()) == mark && content.substr(mark.size()) == content_;
}

bool TCheckfileEntries::Matches(std::size_t i, std::string_view digest) const {
  const std::string_view expected = ExpectedDigest(i);
  if (lines_[i].form == TForm::Own) return expected == digest;
  if (expected.size() != digest.size()) return false;
  for (std::size_t k = 0; k < expected.size(); ++k) {
    const char c = expected[k];
    if ((c >= 'A' && c <= 'F' ? static_cast<char>(c | 0x20) : c) != digest[k]) return false;
  }
  return true;
}

TMD5NodeArray::TMD5NodeArray(std::initializer_list<TMD5Node> nodes) {
  for (const TMD5Node& node : nodes) Append(node.FullPath, node.DigestText);
}

void TMD5NodeArray::Append(std::string_view fullPath, std::string_view digestText) {
  digests_.append(digestText.substr(0, kDigestLength));
  digests_.resize(pathEnds_.size() * kDigestLength + kDigestLength, ' ');
  paths_.append(fullPath);
  pathEnds_.push_back(static_cast<std::uint32_t>(paths_.size()));
}

void TMD5NodeArray::clear() {
  std::string().swap(paths_);
  std::string().swap(digests_);
  std::vector<std::uint32_t>().swap(pathEnds_);
}

std::string_view TMD5NodeArray::FullPath(std::size_t i) const {
  const std::uint32_t start = i == 0 ? 0 : pathEnds_[i - 1];
  return std::string_view(paths_).substr(start, pathEnds_[i] - start);
}

std::string_view TMD5NodeArray::DigestText(std::size_t i) const {
  return std::string_view(digests_).substr(i * kDigestLength, kDigestLength);
}

TMD5Node TMD5NodeArray::operator[](std::size_t i) const {
  return {std::string(FullPath(i)), std::string(DigestText(i))};
}

std::string CheckfileBaseFolder(const std::string& path) {
  const std::size_t delimiter = path.find_last_of("\\/:");
  if (delimiter == std::string::npos) return std::string();
  return path.substr(0, delimiter + 1);
}
