// The language the program speaks to its user: the one the user chose, remembered for the user
// in HKCU\Software\Hashtally (value "Language", "zh-CN" or "en"), or else the one of the user's
// Windows: Chinese for every Chinese UI language, English for every other.
#pragma once

#include "texts/texts.h"

namespace widgets {

texts::TLanguage UserLanguage();
// Remembers the user's choice; false when the setting cannot be written (the choice then holds
// for this session only).
bool RememberLanguage(texts::TLanguage language);

}  // namespace widgets
