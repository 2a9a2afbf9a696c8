// Arbitrary bytes as a checkfile: the line splitter, the entry reader and the base-folder rule
// must never read out of bounds, and what they return must obey the checkfile's rules.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalogue/checkfile.h"
#include "catalogue/path_gate.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);

  // The byte-order mark is no part of the first line.
  const std::string marked = kUtf8ByteOrderMark;
  const std::string text = content.compare(0, 3, marked) == 0 ? content.substr(3) : content;
  std::size_t lineBytes = 0;
  std::vector<TCheckfileEntry> parsed;
  for (const std::string& line : SplitCheckfileText(text)) {
    Require(line.find_first_of("\r\n") == std::string::npos);
    lineBytes += line.size();
    Require(lineBytes <= size);

    TCheckfileEntry entry;
    if (ParseCheckfileEntry(line, entry)) {
      Require(line.size() >= 34 && line[0] != ';' && line[32] == '|');
      Require(line.find('\0') == std::string::npos);
      Require(entry.ExpectedDigest == line.substr(0, 32));
      Require(!entry.Name.empty() && entry.Name.size() == line.size() - 33);
      Require(line.compare(33, entry.Name.size(), entry.Name) == 0);
      parsed.push_back(entry);
    } else {
      Require(line.empty() || line[0] == ';' || line.size() < 34 || line[32] != '|' ||
              line.find('\0') != std::string::npos);
    }
  }

  // The check run's compact reader takes those entries and the other tools' lines; each has its
  // digits and a path, read in at most four ways.
  const TCheckfileEntries entries(content);
  Require(entries.size() + static_cast<std::size_t>(entries.DamagedLines()) >= parsed.size());
  std::string path;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    Require(entries.ExpectedDigest(i).size() == 32);
    unsigned readings = 0;
    while (entries.Path(i, "B\\", readings, path)) Require(++readings <= 4);
    Require(readings >= 1);
  }
  Require(entries.DamagedLines() >= 0);
  // Any bytes as a checkfile path and as a path to open: the gate decides without a fault.
  TPathGate(content).MayOpen(content);

  // The same bytes as a checkfile path.
  const std::string base = CheckfileBaseFolder(content);
  Require(base.size() <= content.size());
  Require(content.compare(0, base.size(), base) == 0);
  Require(base.empty() || base.back() == '\\' || base.back() == '/' || base.back() == ':');
  return 0;
}
