// Arbitrary bytes as an executable file and as a version block: the PE and VS_VERSIONINFO walk
// must stay inside the bytes, and what it returns must lie inside them too.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "widgets/version_info_parser.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void QueryAll(const std::string& block) {
  static const char* const paths[] = {
      "\\",
      "\\VarFileInfo\\Translation",
      "StringFileInfo\\040904E4\\FileVersion",
      "StringFileInfo\\040904E4\\CompanyName",
      "StringFileInfo\\000704B0\\Comments",
      "StringFileInfo\\\\FileVersion",
      "StringFileInfo",
  };
  for (const char* path : paths) {
    widgets::TVersionValue value;
    if (!widgets::QueryVersionValue(block, path, value)) continue;
    Require(value.Bytes.size() <= block.size());
    Require(value.Text.size() * 2 <= block.size());
    Require(value.Text.find(u'\0') == std::u16string::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string block;
  if (widgets::ExtractVersionResource(bytes, block)) {
    Require(block.size() <= size);
    QueryAll(block);
  }
  QueryAll(bytes);
  return 0;
}
