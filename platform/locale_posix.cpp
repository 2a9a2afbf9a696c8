// The host build has no Windows regional settings: every item is unreadable, so the date-time text
// uses its documented defaults there and host results do not depend on the machine's locale.
#include "platform/locale.h"

namespace platform {

bool ReadLocaleItem(TLocaleSource, TLocaleItem, std::string&) { return false; }

bool ReadLocaleName(TLocaleSource, TLocaleName, int, std::string&) { return false; }

}  // namespace platform
