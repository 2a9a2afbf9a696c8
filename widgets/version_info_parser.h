// Reads a version resource straight out of a PE file's bytes, for systems without the Windows
// version services. The bytes are untrusted: every offset and length is checked against them.
#pragma once

#include <cstdint>
#include <string>

namespace widgets {

// The VS_VERSIONINFO block of a PE image (the first RT_VERSION resource, name 1 preferred, first
// language); false when the image has none or is not a PE image.
bool ExtractVersionResource(const std::string& image, std::string& block);

struct TVersionValue {
  bool IsText = false;
  std::u16string Text;  // text values: UTF-16 up to the first zero character
  std::string Bytes;    // binary values: the value's bytes
};

// The value at `subBlock` in a VS_VERSIONINFO block, as the Windows lookup finds it: path
// components separated by backslashes (empty ones skipped), keys compared without regard to the
// case of ASCII letters. "\" alone is the root's fixed-size part. false when there is no such node.
bool QueryVersionValue(const std::string& block, const std::string& subBlock, TVersionValue& value);

}  // namespace widgets
