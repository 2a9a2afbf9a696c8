// The portable half of TShellLocator: construction and comparison of the stored forms.
#include "widgets/shell_locator.h"

#include <utility>

namespace widgets {

TShellLocator TShellLocator::SpecialFolder(int csidl) {
  TShellLocator locator;
  locator.special_ = csidl;
  return locator;
}

TShellLocator TShellLocator::FromIdListBytes(std::string bytes) {
  TShellLocator locator;
  locator.idList_ = std::move(bytes);
  return locator;
}

}  // namespace widgets
