// Reading the version table, the same on every system.
#include "widgets/version_info.h"

#include <cstdio>
#include <stdexcept>

namespace widgets {

const char* const TVersionInfo::Keys[TVersionInfo::KeyCount] = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments"};

TVersionInfo::TVersionInfo() { ReadVersionInfo(); }

void TVersionInfo::SetFilePath(const std::string& filePath) {
  if (filePath == filePath_) return;
  filePath_ = filePath;
  ReadVersionInfo();
}

std::string TVersionInfo::VersionString(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= versionTable_.size()) {
    char message[64];
    std::snprintf(message, sizeof message, "List index out of bounds (%d)", index);
    throw std::out_of_range(message);
  }
  return versionTable_[static_cast<std::size_t>(index)];
}

void TVersionInfo::ReadVersionInfo() {
  if (filePath_.empty()) filePath_ = RunningExecutablePath();
  std::vector<std::string> table;
  const std::unique_ptr<TVersionBlock> block = OpenVersionBlock(filePath_);
  if (!block) {
    table.assign(KeyCount, std::string(NotAvailable));
  } else {
    // Only the first translation selects the string table; without one the prefix selects none.
    std::string language, codePage;
    std::uint32_t translation = 0;
    if (block->FirstTranslation(translation)) {
      char part[16];
      std::snprintf(part, sizeof part, "%.4X", static_cast<unsigned>(translation & 0xFFFFu));
      language = part;
      std::snprintf(part, sizeof part, "%.4X", static_cast<unsigned>(translation >> 16));
      codePage = part;
    }
    const std::string prefix = "StringFileInfo\\" + language + codePage + "\\";
    for (const char* key : Keys) {
      std::string text;
      if (!block->QueryText(prefix + key, text)) text.clear();
      table.push_back(text);
    }
  }
  versionTable_ = std::move(table);
}

}  // namespace widgets
