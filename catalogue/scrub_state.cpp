// The scrub state's text, its reconciliation with the checkfile, and its file name; see
// scrub_state.h.
#include "catalogue/scrub_state.h"

#include <unordered_map>

#include "digest/digest_service.h"
#include "platform/text.h"

namespace {

constexpr std::string_view kFirstLine = "; Hashtally scrub state, format 1";
constexpr std::string_view kFormatPrefix = "; Hashtally scrub state, format ";
constexpr std::string_view kCheckfileLine = "; checkfile: ";
constexpr std::string_view kVolumeLine = "; volume: ";
constexpr std::string_view kHex = "hex:";

struct TResultWord {
  TScrubResult result;
  std::string_view word;
};
constexpr TResultWord kResultWords[] = {
    {TScrubResult::None, "-"},
    {TScrubResult::Matched, "ok"},
    {TScrubResult::Damaged, "damaged"},
    {TScrubResult::Edited, "edited"},
    {TScrubResult::Changed, "changed"},
    {TScrubResult::Failed, "failed"},
    {TScrubResult::NotOpened, "not-opened"},
};

// Days since 1970-01-01 of a civil date, and back (the proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

bool IsDigest(std::string_view text) {
  if (text.size() != 32) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

std::string NameField(const std::string& name) {
  if (platform::IsValidUtf8(name) && name.compare(0, kHex.size(), kHex) != 0) return name;
  static const char kDigits[] = "0123456789abcdef";
  std::string field(kHex);
  for (unsigned char c : name) {
    field += kDigits[c >> 4];
    field += kDigits[c & 15];
  }
  return field;
}

bool ParseNameField(std::string_view field, std::string& name) {
  if (field.compare(0, kHex.size(), kHex) != 0) {
    name.assign(field);
    return true;
  }
  field.remove_prefix(kHex.size());
  if (field.size() % 2 != 0) return false;
  name.clear();
  const auto nibble = [](char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
  };
  for (std::size_t i = 0; i < field.size(); i += 2) {
    const int high = nibble(field[i]), low = nibble(field[i + 1]);
    if (high < 0 || low < 0) return false;
    name += static_cast<char>(high * 16 + low);
  }
  return true;
}

// The next field of `line` from `at` to the next blank (moving `at` past it); false at the end.
bool NextField(std::string_view line, std::size_t& at, std::string_view& field) {
  const std::size_t end = line.find(' ', at);
  if (end == std::string_view::npos) return false;
  field = line.substr(at, end - at);
  at = end + 1;
  return true;
}

// One entry line; false for a line that is none.
bool ParseEntry(std::string_view line, TScrubEntry& entry) {
  std::size_t at = 0;
  std::string_view time, word, size, digest;
  if (!NextField(line, at, time) || !NextField(line, at, word) || !NextField(line, at, size) ||
      !NextField(line, at, digest) || !IsDigest(digest) || at >= line.size())
    return false;
  entry.verifiedAt = 0;
  if (time != "never" && (!ParseUtcText(time, entry.verifiedAt) || entry.verifiedAt <= 0))
    return false;
  bool known = false;
  for (const TResultWord& w : kResultWords) {
    if (w.word == word) {
      entry.result = w.result;
      known = true;
    }
  }
  // A result without a time, or a time without a result, is no state this program wrote.
  if (!known || (entry.verifiedAt == 0) != (entry.result == TScrubResult::None)) return false;
  entry.sizeKnown = size != "-";
  entry.size = 0;
  for (std::size_t i = 0; entry.sizeKnown && i < size.size(); ++i) {
    if (size[i] < '0' || size[i] > '9' || size.size() > 19) return false;
    entry.size = entry.size * 10 + std::uint64_t(size[i] - '0');
  }
  entry.digest.assign(digest);
  return ParseNameField(line.substr(at), entry.name);
}

}  // namespace

std::string UtcText(std::int64_t seconds) {
  std::int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  std::int64_t y;
  unsigned m, d;
  CivilFromDays(days, y, m, d);
  // Written for every entry of a state of millions: digits by hand.
  char text[] = "0000-00-00T00:00:00Z";
  const auto put = [&text](int at, unsigned value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10) text[at + i] = char('0' + value % 10);
  };
  put(0, static_cast<unsigned>(y), 4);
  put(5, m, 2);
  put(8, d, 2);
  put(11, static_cast<unsigned>(rest / 3600), 2);
  put(14, static_cast<unsigned>(rest / 60 % 60), 2);
  put(17, static_cast<unsigned>(rest % 60), 2);
  return text;
}

bool ParseUtcText(std::string_view text, std::int64_t& seconds) {
  if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != 'Z')
    return false;
  bool digits = true;
  const auto number = [&](int at, int count) {
    unsigned value = 0;
    for (int i = at; i < at + count; ++i) {
      digits = digits && text[i] >= '0' && text[i] <= '9';
      value = value * 10 + unsigned(text[i] - '0');
    }
    return value;
  };
  const unsigned y = number(0, 4), mo = number(5, 2), d = number(8, 2), h = number(11, 2),
                 mi = number(14, 2), s = number(17, 2);
  if (!digits || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return false;
  seconds = DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
  return true;
}

bool TScrubState::Parse(std::string_view text, TScrubState& state, std::string& why) {
  state = TScrubState();
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      why = "it ends in the middle of a line";  // a write cut short, which the safe replace
      return false;                             // never leaves: someone else's, or damage
    }
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  if (lines.size() < 3 || lines[0].compare(0, kFormatPrefix.size(), kFormatPrefix) != 0) {
    why = "it is no scrub state";
    return false;
  }
  if (lines[0] != kFirstLine) {
    why = "it is of a newer format";
    return false;
  }
  if (lines[1].compare(0, kCheckfileLine.size(), kCheckfileLine) != 0 ||
      lines[2].compare(0, kVolumeLine.size(), kVolumeLine) != 0) {
    why = "its header is damaged";
    return false;
  }
  state.checkfile.assign(lines[1].substr(kCheckfileLine.size()));
  state.volume.assign(lines[2].substr(kVolumeLine.size()));
  for (std::size_t i = 3; i < lines.size(); ++i) {
    TScrubEntry entry;
    if (!ParseEntry(lines[i], entry)) {
      why = "line " + std::to_string(i + 1) + " is damaged";
      return false;
    }
    state.entries.push_back(std::move(entry));
  }
  return true;
}

std::string TScrubState::Text() const {
  std::string text;
  text.reserve(128 + entries.size() * 80);
  text.append(kFirstLine).append("\r\n");
  text.append(kCheckfileLine).append(checkfile).append("\r\n");
  text.append(kVolumeLine).append(volume).append("\r\n");
  for (const TScrubEntry& entry : entries) {
    text += entry.verifiedAt == 0 ? std::string("never") : UtcText(entry.verifiedAt);
    text += ' ';
    for (const TResultWord& w : kResultWords)
      if (w.result == entry.result) text.append(w.word);
    text.append(" ").append(entry.sizeKnown ? std::to_string(entry.size) : std::string("-"));
    text.append(" ").append(entry.digest).append(" ").append(NameField(entry.name)).append("\r\n");
  }
  return text;
}

void TScrubState::Reconcile(const std::vector<std::pair<std::string, std::string>>& current) {
  // Mostly the checkfile is the one the state was made of: the same names in the same order,
  // brought in line where they stand.
  bool same = entries.size() == current.size();
  for (std::size_t i = 0; same && i < current.size(); ++i)
    same = entries[i].name == current[i].first;
  if (same) {
    for (std::size_t i = 0; i < current.size(); ++i)
      if (entries[i].digest != current[i].second)
        entries[i] = {current[i].first, current[i].second};
    return;
  }
  // Otherwise entries of one name are matched in their order, so that a checkfile that lists a
  // name twice keeps both lines' states; a changed digest is a file the state knows nothing of.
  std::unordered_multimap<std::string_view, std::size_t> known;
  for (std::size_t i = entries.size(); i-- > 0;) known.emplace(entries[i].name, i);
  std::vector<TScrubEntry> reconciled(current.size());
  for (std::size_t i = 0; i < current.size(); ++i) {
    TScrubEntry& entry = reconciled[i];
    entry.name = current[i].first;
    entry.digest = current[i].second;
    const auto found = known.find(entry.name);
    if (found == known.end()) continue;
    if (entries[found->second].digest == entry.digest) entry = entries[found->second];
    known.erase(found);
  }
  entries = std::move(reconciled);
}

std::int64_t TScrubState::OldestVerification() const {
  std::int64_t oldest = 0;
  for (const TScrubEntry& entry : entries) {
    if (entry.verifiedAt != 0 && (oldest == 0 || entry.verifiedAt < oldest))
      oldest = entry.verifiedAt;
  }
  return oldest;
}

std::size_t TScrubState::NeverVerified() const {
  std::size_t never = 0;
  for (const TScrubEntry& entry : entries) never += entry.verifiedAt == 0;
  return never;
}

std::string ScrubStateFileName(const std::string& checkfilePath, const std::string& volume) {
  std::string key = volume + "|";
  for (char c : checkfilePath) key += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  TDigestContext context{};
  std::string digest;
  HashInit(&context, HASH_MD5);
  HashUpdate(&context, key.data(), static_cast<uint32_t>(key.size()));
  HashFinal(&context, digest);
  return digest + ".txt";
}
