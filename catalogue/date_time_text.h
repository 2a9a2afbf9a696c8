// The checkfile's third header line is the local date-time in the user's short date pattern and
// time settings: the date alone at midnight to the second, never milliseconds.
#pragma once

#include <array>
#include <string>

#include "platform/clock.h"
#include "platform/locale.h"

// The locale settings the text is built from. The initial values are the ones used for every
// setting that cannot be read from the system.
struct TDateTimeSettings {
  std::string ShortDatePattern = "M/d/yy";  // tokens d, M, y; "/" is DateSeparator; '...' literal
  std::string DateSeparator = "/";
  std::string TimeSeparator = ":";
  bool LeadingZeroHours = false;
  bool TwelveHourClock = true;
  bool DesignatorFirst = false;
  std::string AmDesignator = "am";
  std::string PmDesignator = "pm";
  // Names for the pattern's ddd, dddd, MMM and MMMM tokens; days start on Sunday.
  std::array<std::string, 12> MonthNames{"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
  std::array<std::string, 12> AbbreviatedMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 7> DayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};
  std::array<std::string, 7> AbbreviatedDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
};

// The date-time text of `value` under `settings`.
std::string FormatDateTimeText(const TDateTimeSettings& settings,
                               const platform::LocalDateTime& value);

// Reads the process-wide settings from the current thread's locale; called once at start-up.
void LoadDateTimeSettings();

// Reads them again from the user's default locale; the main window calls this when the system
// announces changed settings.
void ReloadDateTimeSettings();

// The date-time text of `value` under the process-wide settings (loaded on first use when nobody
// loaded them yet).
std::string FormatDateTimeText(const platform::LocalDateTime& value);

// The settings read from `source`, with the defaults for whatever cannot be read.
TDateTimeSettings ReadDateTimeSettings(platform::TLocaleSource source);
