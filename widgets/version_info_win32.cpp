// The version resource through the Windows version services.
#include <string.h>
#include <windows.h>

#include <cstring>

#include "widgets/gui_helpers.h"
#include "widgets/version_info.h"

namespace widgets {
namespace {

class TWin32VersionBlock : public TVersionBlock {
 public:
  explicit TWin32VersionBlock(DWORD size) : data_(size, '\0') {}
  char* Data() { return data_.data(); }

  bool FirstTranslation(std::uint32_t& translation) override {
    void* value = nullptr;
    UINT length = 0;
    // A value shorter than one entry is treated as missing rather than read past its end.
    if (!VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &value, &length) ||
        value == nullptr || length < sizeof translation) {
      return false;
    }
    std::memcpy(&translation, value, sizeof translation);
    return true;
  }

  bool QueryText(const std::string& subBlock, std::string& text) override {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data_.data(), subBlock.c_str(), &value, &length)) return false;
    text.clear();
    if (value != nullptr && length > 0) {
      const char* chars = static_cast<const char*>(value);
      text.assign(chars, strnlen(chars, length));
    }
    return true;
  }

 private:
  std::vector<char> data_;
};

}  // namespace

std::unique_ptr<TVersionBlock> OpenVersionBlock(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return nullptr;
  auto block = std::make_unique<TWin32VersionBlock>(size);
  // On failure the block stays zero-filled and every lookup fails.
  GetFileVersionInfoA(path.c_str(), 0, size, block->Data());
  return block;
}

std::string RunningExecutablePath() { return gui::ModuleFileName(nullptr); }

}  // namespace widgets
