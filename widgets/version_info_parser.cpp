// PE resource directory and VS_VERSIONINFO parsing. All multi-byte fields are little-endian and
// read through the helpers below; nothing is read outside the given bytes.
#include "widgets/version_info_parser.h"

#include <algorithm>
#include <vector>

namespace widgets {
namespace {

bool Read16(const std::string& bytes, std::size_t offset, std::uint16_t& value) {
  if (offset > bytes.size() || bytes.size() - offset < 2) return false;
  value = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                     static_cast<unsigned char>(bytes[offset + 1]) << 8);
  return true;
}

bool Read32(const std::string& bytes, std::size_t offset, std::uint32_t& value) {
  std::uint16_t low, high;
  if (!Read16(bytes, offset, low) || !Read16(bytes, offset + 2, high)) return false;
  value = static_cast<std::uint32_t>(low) | static_cast<std::uint32_t>(high) << 16;
  return true;
}

struct TSection {
  std::uint32_t VirtualAddress, VirtualSize, RawSize, RawOffset;
};

// File offset of `rva` with at least `length` bytes behind it inside one section's raw data.
bool RvaToOffset(const std::vector<TSection>& sections, const std::string& image, std::uint32_t rva,
                 std::uint32_t length, std::size_t& offset) {
  for (const TSection& s : sections) {
    if (rva < s.VirtualAddress) continue;
    const std::uint64_t into = static_cast<std::uint64_t>(rva) - s.VirtualAddress;
    if (into + length > s.RawSize) continue;
    const std::uint64_t at = static_cast<std::uint64_t>(s.RawOffset) + into;
    if (at + length > image.size()) return false;
    offset = static_cast<std::size_t>(at);
    return true;
  }
  return false;
}

// Directory entries of the resource directory at `directory` (offset into the image); the
// section's own bounds are [root, rootEnd).
struct TResourceEntry {
  std::uint32_t Name, Target;
};

bool ReadResourceDirectory(const std::string& image, std::size_t root, std::size_t rootEnd,
                           std::uint32_t directory, std::vector<TResourceEntry>& entries) {
  entries.clear();
  const std::uint64_t at = static_cast<std::uint64_t>(root) + directory;
  std::uint16_t named, ids;
  if (at + 16 > rootEnd || !Read16(image, at + 12, named) || !Read16(image, at + 14, ids)) {
    return false;
  }
  const std::uint64_t count = static_cast<std::uint64_t>(named) + ids;
  if (at + 16 + count * 8 > rootEnd) return false;
  for (std::uint64_t i = 0; i < count; ++i) {
    TResourceEntry e;
    const std::size_t entry = static_cast<std::size_t>(at + 16 + i * 8);
    if (!Read32(image, entry, e.Name) || !Read32(image, entry + 4, e.Target)) return false;
    entries.push_back(e);
  }
  return true;
}

constexpr std::uint32_t kHighBit = 0x80000000u;

// The entry with numeric id `id`, or the first entry when `orFirst`; it must lead to a directory
// when `wantDirectory`, to a data entry otherwise.
bool PickEntry(const std::vector<TResourceEntry>& entries, std::uint32_t id, bool orFirst,
               bool wantDirectory, std::uint32_t& target) {
  const TResourceEntry* chosen = nullptr;
  for (const TResourceEntry& e : entries) {
    if (e.Name == id) {
      chosen = &e;
      break;
    }
  }
  if (chosen == nullptr && orFirst && !entries.empty()) chosen = &entries.front();
  if (chosen == nullptr) return false;
  if (((chosen->Target & kHighBit) != 0) != wantDirectory) return false;
  target = chosen->Target & ~kHighBit;
  return true;
}

// One node of a VS_VERSIONINFO tree: [start, end) of the block, its key, its value and where its
// children begin.
struct TNode {
  std::size_t Start = 0, End = 0;
  std::u16string Key;
  std::uint16_t ValueLength = 0, Type = 0;
  std::size_t Value = 0, Children = 0;
};

std::size_t Align4(std::size_t offset) { return (offset + 3) & ~static_cast<std::size_t>(3); }

bool ReadNode(const std::string& block, std::size_t start, std::size_t limit, TNode& node) {
  std::uint16_t length;
  if (!Read16(block, start, length) || length < 6) return false;
  if (!Read16(block, start + 2, node.ValueLength) || !Read16(block, start + 4, node.Type)) {
    return false;
  }
  node.Start = start;
  node.End = start + length;
  if (node.End > limit) return false;
  node.Key.clear();
  std::size_t at = start + 6;
  for (;;) {
    std::uint16_t c;
    if (at + 2 > node.End || !Read16(block, at, c)) return false;
    at += 2;
    if (c == 0) break;
    node.Key.push_back(static_cast<char16_t>(c));
  }
  node.Value = std::min(Align4(at), node.End);
  const std::size_t valueBytes =
      node.Type == 1 ? node.ValueLength * std::size_t{2} : node.ValueLength;
  node.Children = std::min(Align4(node.Value + valueBytes), node.End);
  return true;
}

bool SameKey(const std::u16string& key, const std::string& name) {
  if (key.size() != name.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    char16_t a = key[i];
    char16_t b = static_cast<unsigned char>(name[i]);
    if (a >= 'A' && a <= 'Z') a = static_cast<char16_t>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char16_t>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

bool FindChild(const std::string& block, const TNode& parent, const std::string& name,
               TNode& child) {
  std::size_t at = parent.Children;
  while (at < parent.End) {
    if (!ReadNode(block, at, parent.End, child)) return false;
    if (SameKey(child.Key, name)) return true;
    at = Align4(child.End);
  }
  return false;
}

}  // namespace

bool ExtractVersionResource(const std::string& image, std::string& block) {
  std::uint16_t magic;
  std::uint32_t peOffset, signature;
  if (!Read16(image, 0, magic) || magic != 0x5A4D) return false;  // "MZ"
  if (!Read32(image, 0x3C, peOffset) || !Read32(image, peOffset, signature)) return false;
  if (signature != 0x00004550) return false;  // "PE\0\0"
  const std::size_t coff = static_cast<std::size_t>(peOffset) + 4;
  std::uint16_t sectionCount, optionalSize, optionalMagic;
  if (!Read16(image, coff + 2, sectionCount) || !Read16(image, coff + 16, optionalSize)) {
    return false;
  }
  const std::size_t optional = coff + 20;
  if (!Read16(image, optional, optionalMagic)) return false;
  std::size_t directories;
  if (optionalMagic == 0x10B) {
    directories = 96;  // PE32
  } else if (optionalMagic == 0x20B) {
    directories = 112;  // PE32+
  } else {
    return false;
  }
  std::uint32_t directoryCount, resourceRva, resourceSize;
  if (!Read32(image, optional + directories - 4, directoryCount) || directoryCount < 3 ||
      directories + 3 * 8 > optionalSize ||
      !Read32(image, optional + directories + 2 * 8, resourceRva) ||
      !Read32(image, optional + directories + 2 * 8 + 4, resourceSize) || resourceRva == 0) {
    return false;
  }

  std::vector<TSection> sections;
  const std::size_t table = optional + optionalSize;
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const std::size_t at = table + i * 40;
    TSection s;
    if (!Read32(image, at + 8, s.VirtualSize) || !Read32(image, at + 12, s.VirtualAddress) ||
        !Read32(image, at + 16, s.RawSize) || !Read32(image, at + 20, s.RawOffset)) {
      return false;
    }
    sections.push_back(s);
  }

  // The resource directory's bounds: the part of its section that is in the file.
  std::size_t root = 0;
  if (!RvaToOffset(sections, image, resourceRva, 16, root)) return false;
  std::size_t rootEnd = image.size();
  for (const TSection& s : sections) {
    if (resourceRva >= s.VirtualAddress && resourceRva - s.VirtualAddress < s.RawSize) {
      rootEnd = std::min<std::uint64_t>(image.size(), std::uint64_t{s.RawOffset} + s.RawSize);
    }
  }

  std::vector<TResourceEntry> entries;
  std::uint32_t next;
  if (!ReadResourceDirectory(image, root, rootEnd, 0, entries) ||
      !PickEntry(entries, 16, false, true, next) ||  // RT_VERSION
      !ReadResourceDirectory(image, root, rootEnd, next, entries) ||
      !PickEntry(entries, 1, true, true, next) ||  // VS_VERSION_INFO, or the first name
      !ReadResourceDirectory(image, root, rootEnd, next, entries) ||
      !PickEntry(entries, 0xFFFFFFFFu, true, false, next)) {  // the first language
    return false;
  }
  std::uint32_t dataRva, dataSize;
  if (std::uint64_t{root} + next + 16 > rootEnd || !Read32(image, root + next, dataRva) ||
      !Read32(image, root + next + 4, dataSize)) {
    return false;
  }
  std::size_t data;
  if (dataSize < 6 || !RvaToOffset(sections, image, dataRva, dataSize, data)) return false;
  block.assign(image, data, dataSize);
  return true;
}

bool QueryVersionValue(const std::string& block, const std::string& subBlock,
                       TVersionValue& value) {
  TNode node;
  if (!ReadNode(block, 0, block.size(), node)) return false;
  std::size_t from = 0;
  while (from < subBlock.size()) {
    std::size_t to = subBlock.find('\\', from);
    if (to == std::string::npos) to = subBlock.size();
    if (to > from) {
      TNode child;
      if (!FindChild(block, node, subBlock.substr(from, to - from), child)) return false;
      node = child;
    }
    from = to + 1;
  }
  value = TVersionValue();
  value.IsText = node.Type == 1;
  if (value.IsText) {
    for (std::size_t at = node.Value; at + 2 <= node.End; at += 2) {
      std::uint16_t c;
      if (!Read16(block, at, c) || c == 0) break;
      value.Text.push_back(static_cast<char16_t>(c));
    }
  } else {
    const std::size_t available = node.End - node.Value;
    value.Bytes.assign(block, node.Value, std::min<std::size_t>(node.ValueLength, available));
  }
  return true;
}

}  // namespace widgets
