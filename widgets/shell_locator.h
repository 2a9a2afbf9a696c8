// TShellLocator names one shell folder, either by an absolute item-ID list or by a special-folder
// code (CSIDL) that is resolved when it is needed. It holds the list as plain bytes, so copies are
// cheap and independent and no shell memory outlives the call that produced it.
#pragma once

#include <string>

namespace widgets {

class TShellLocator {
 public:
  // The empty locator stands for the root of the shell namespace (the desktop).
  TShellLocator() = default;

  static TShellLocator SpecialFolder(int csidl);
  // `bytes` are the list's item IDs without the terminating zero-length ID; empty is the desktop.
  static TShellLocator FromIdListBytes(std::string bytes);

  bool IsEmpty() const { return special_ < 0 && idList_.empty(); }
  bool IsSpecialFolder() const { return special_ >= 0; }
  int SpecialFolderCode() const { return special_; }
  const std::string& IdListBytes() const { return idList_; }

  bool operator==(const TShellLocator& other) const {
    return special_ == other.special_ && idList_ == other.idList_;
  }

 private:
  int special_ = -1;
  std::string idList_;
};

}  // namespace widgets
