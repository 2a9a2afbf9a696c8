// The user's regional settings that the checkfile's date-time line is written in.
#pragma once

#include <string>

namespace platform {

// Whose settings to read: the calling thread's locale (at start-up) or the user's default locale
// (after the system announced changed settings).
enum class TLocaleSource { Thread, UserDefault };

enum class TLocaleItem {
  ShortDatePattern,    // e.g. "M/d/yyyy"
  DateSeparator,       // e.g. "/"
  TimeSeparator,       // e.g. ":"
  LeadingZeroHours,    // "1": two-digit hours, "0": one or two
  TimeFormat,          // "0": 12-hour clock, "1": 24-hour clock
  DesignatorPosition,  // "0": after the time, "1": before it
  AmDesignator,        // for hours 0 to 11
  PmDesignator,        // for hours 12 to 23
};

// Reads one setting as text in the ANSI code page; false when it cannot be read (the host build
// has no such settings and always answers false, so the callers' defaults apply there).
bool ReadLocaleItem(TLocaleSource source, TLocaleItem item, std::string& text);

enum class TLocaleName { Month, AbbreviatedMonth, Day, AbbreviatedDay };

// Month names take `index` 1 to 12; day names 0 to 6 with 0 = Sunday.
bool ReadLocaleName(TLocaleSource source, TLocaleName kind, int index, std::string& text);

}  // namespace platform
