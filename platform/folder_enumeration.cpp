// What both systems' listings share: the hook asked while many entries are passed over.
#include "platform/folder_enumeration.h"

namespace platform {
namespace {

// Entries passed over between two questions: tens of microseconds of listing under slow systems.
constexpr unsigned kPassOverInterval = 256;

}  // namespace

bool FolderEnumeration::PassOver() {
  if (++passedOver_ % kPassOverInterval != 0 || !passingOver_) return true;
  return passingOver_();
}

}  // namespace platform
