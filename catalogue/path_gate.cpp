// The gate of path_gate.h: every form of a path is brought to the one the system opens, and its
// root decides.
#include "catalogue/path_gate.h"

#include "platform/path.h"

namespace {

// "\\?\C:\", as the opened form of every drive path begins.
constexpr std::size_t kVerbatimDriveRoot = 7;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; }

// `path` as the file services open it; `root` its root.
std::string OpenedForm(const std::string& path, platform::TPathRoot& root) {
  std::string opened = platform::OpenedPath(path);
  root = platform::ParsePathRoot(opened);
  return opened;
}

bool StartsWithIgnoringAsciiCase(const std::string& text, const std::string& lowerStart) {
  if (text.size() < lowerStart.size()) return false;
  for (std::size_t i = 0; i < lowerStart.size(); ++i)
    if (Lower(text[i]) != lowerStart[i]) return false;
  return true;
}

}  // namespace

TPathGate::TPathGate(const std::string& checkfilePath) {
  const std::string opened = OpenedForm(checkfilePath, own_);
  ownFolder_ = opened.substr(0, opened.find_last_of('\\') + 1);
  for (char& c : ownFolder_) c = Lower(c);
}

bool TPathGate::MayOpen(const std::string& path) const {
  platform::TPathRoot root;
  const std::string opened = OpenedForm(path, root);
  switch (root.kind) {
    case platform::TRootKind::Relative:
      return true;
    case platform::TRootKind::Drive:
      // A name after "\\?\C:\": without one it is the volume device, or the root folder.
      return opened.size() > kVerbatimDriveRoot;
    case platform::TRootKind::Share:
      return own_.kind == platform::TRootKind::Share && root.key == own_.key;
    case platform::TRootKind::Device:
      return own_.kind == platform::TRootKind::Device && !ownFolder_.empty() &&
             StartsWithIgnoringAsciiCase(opened, ownFolder_);
  }
  return false;
}
