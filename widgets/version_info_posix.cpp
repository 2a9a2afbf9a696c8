// The version resource on the host: parsed out of the PE file itself, texts converted from UTF-16
// to the ANSI code page we stand in for (GBK).
#include <iconv.h>
#include <limits.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "platform/path.h"
#include "widgets/version_info.h"
#include "widgets/version_info_parser.h"

namespace widgets {
namespace {

// One iconv conversion, closed when it goes.
class TConverter {
 public:
  TConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  TConverter(const TConverter&) = delete;
  TConverter& operator=(const TConverter&) = delete;
  ~TConverter() {
    if (Ok()) iconv_close(cd_);
  }
  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t Get() const { return cd_; }

 private:
  iconv_t cd_;
};

// UTF-16 to GBK; a character GBK cannot hold becomes "?", as the Windows conversion does.
std::string ToAnsi(const std::u16string& text) {
  std::string out;
  const TConverter converter("GBK", "UTF-16LE");
  if (!converter.Ok()) {
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    // One character at a time (a surrogate pair together), so a failure costs one "?".
    const std::size_t units =
        (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size()) ? 2 : 1;
    char in[4];
    for (std::size_t u = 0; u < units; ++u) {
      in[2 * u] = static_cast<char>(text[i + u] & 0xFF);
      in[2 * u + 1] = static_cast<char>(text[i + u] >> 8);
    }
    char converted[8];
    char* inPointer = in;
    std::size_t inLeft = units * 2;
    char* outPointer = converted;
    std::size_t outLeft = sizeof converted;
    if (iconv(converter.Get(), &inPointer, &inLeft, &outPointer, &outLeft) ==
        static_cast<std::size_t>(-1)) {
      out += '?';
      iconv(converter.Get(), nullptr, nullptr, nullptr, nullptr);
    } else {
      out.append(converted, outPointer);
    }
    i += units - 1;
  }
  return out;
}

class TParsedVersionBlock : public TVersionBlock {
 public:
  explicit TParsedVersionBlock(std::string block) : block_(std::move(block)) {}

  bool FirstTranslation(std::uint32_t& translation) override {
    TVersionValue value;
    if (!QueryVersionValue(block_, "\\VarFileInfo\\Translation", value) || value.Bytes.size() < 4) {
      return false;
    }
    translation = 0;
    for (int i = 3; i >= 0; --i) {
      translation = translation << 8 | static_cast<unsigned char>(value.Bytes[i]);
    }
    return true;
  }

  bool QueryText(const std::string& subBlock, std::string& text) override {
    TVersionValue value;
    if (!QueryVersionValue(block_, subBlock, value)) return false;
    text = value.IsText ? ToAnsi(value.Text) : value.Bytes.substr(0, value.Bytes.find('\0'));
    return true;
  }

 private:
  std::string block_;
};

}  // namespace

std::unique_ptr<TVersionBlock> OpenVersionBlock(const std::string& path) {
  std::ifstream file(platform::NativePath(path), std::ios::binary);
  if (!file) return nullptr;
  const std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::string block;
  if (!ExtractVersionResource(image, block)) return nullptr;
  return std::make_unique<TParsedVersionBlock>(std::move(block));
}

std::string RunningExecutablePath() {
  char path[PATH_MAX + 1];
  const ssize_t length = readlink("/proc/self/exe", path, PATH_MAX);
  if (length <= 0) return platform::CorePath("/proc/self/exe");
  return platform::CorePath(std::string(path, static_cast<std::size_t>(length)));
}

}  // namespace widgets
