// Date-time text of the checkfile header and the process-wide locale settings behind it.
#include "catalogue/date_time_text.h"

#include <cstdio>
#include <mutex>

namespace {

std::string Number(int value, int minimumDigits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", minimumDigits, value);
  return text;
}

// 0 = Sunday, for the Gregorian calendar.
int DayOfWeek(int year, int month, int day) {
  static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 1 || month > 12) return 0;
  if (month < 3) --year;
  const int weekday = (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
  return weekday < 0 ? weekday + 7 : weekday;
}

template <std::size_t N>
const std::string& NameAt(const std::array<std::string, N>& names, int index) {
  static const std::string none;
  return index >= 0 && static_cast<std::size_t>(index) < N ? names[index] : none;
}

std::string FormatDate(const TDateTimeSettings& s, const platform::LocalDateTime& v) {
  const std::string& pattern = s.ShortDatePattern;
  std::string text;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '\'') {  // quoted literal; '' inside it is one quote
      ++i;
      while (i < pattern.size()) {
        if (pattern[i] == '\'') {
          if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
            text += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        text += pattern[i++];
      }
      continue;
    }
    if (c != 'd' && c != 'M' && c != 'y' && c != 'g') {
      text += c == '/' ? s.DateSeparator : std::string(1, c);
      ++i;
      continue;
    }
    std::size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    i += run;
    switch (c) {
      case 'd':
        if (run <= 2) {
          text += Number(v.Day, static_cast<int>(run));
        } else {
          const int weekday = DayOfWeek(v.Year, v.Month, v.Day);
          text += run == 3 ? NameAt(s.AbbreviatedDayNames, weekday) : NameAt(s.DayNames, weekday);
        }
        break;
      case 'M':
        if (run <= 2) {
          text += Number(v.Month, static_cast<int>(run));
        } else {
          text += run == 3 ? NameAt(s.AbbreviatedMonthNames, v.Month - 1)
                           : NameAt(s.MonthNames, v.Month - 1);
        }
        break;
      case 'y':
        if (run <= 2) {
          text += Number(v.Year % 100, static_cast<int>(run));
        } else {
          text += Number(v.Year, 4);
        }
        break;
      default:  // 'g': era; the Gregorian calendar's era is left out
        break;
    }
  }
  return text;
}

std::string FormatTime(const TDateTimeSettings& s, const platform::LocalDateTime& v) {
  int hour = v.Hour;
  if (s.TwelveHourClock) {
    hour %= 12;
    if (hour == 0) hour = 12;
  }
  std::string time = Number(hour, s.LeadingZeroHours ? 2 : 1) + s.TimeSeparator +
                     Number(v.Minute, 2) + s.TimeSeparator + Number(v.Second, 2);
  if (!s.TwelveHourClock) return time;
  const std::string& designator = v.Hour < 12 ? s.AmDesignator : s.PmDesignator;
  return s.DesignatorFirst ? designator + " " + time : time + " " + designator;
}

bool ReadFlag(platform::TLocaleSource source, platform::TLocaleItem item, bool& flag) {
  std::string text;
  if (!platform::ReadLocaleItem(source, item, text)) return false;
  if (text == "0") {
    flag = false;
  } else if (text == "1") {
    flag = true;
  } else {
    return false;
  }
  return true;
}

template <std::size_t N>
void ReadNames(platform::TLocaleSource source, platform::TLocaleName kind, int first,
               std::array<std::string, N>& names) {
  for (std::size_t i = 0; i < N; ++i) {
    std::string name;
    if (platform::ReadLocaleName(source, kind, first + static_cast<int>(i), name)) names[i] = name;
  }
}

std::mutex settingsMutex;
bool settingsLoaded = false;
TDateTimeSettings processSettings;

void StoreSettings(const TDateTimeSettings& settings) {
  std::lock_guard<std::mutex> lock(settingsMutex);
  processSettings = settings;
  settingsLoaded = true;
}

}  // namespace

std::string FormatDateTimeText(const TDateTimeSettings& settings,
                               const platform::LocalDateTime& value) {
  std::string text = FormatDate(settings, value);
  if (value.Hour == 0 && value.Minute == 0 && value.Second == 0) return text;
  return text + " " + FormatTime(settings, value);
}

TDateTimeSettings ReadDateTimeSettings(platform::TLocaleSource source) {
  using platform::TLocaleItem;
  TDateTimeSettings s;
  std::string text;
  if (platform::ReadLocaleItem(source, TLocaleItem::ShortDatePattern, text))
    s.ShortDatePattern = text;
  if (platform::ReadLocaleItem(source, TLocaleItem::DateSeparator, text)) s.DateSeparator = text;
  if (platform::ReadLocaleItem(source, TLocaleItem::TimeSeparator, text)) s.TimeSeparator = text;
  if (platform::ReadLocaleItem(source, TLocaleItem::AmDesignator, text)) s.AmDesignator = text;
  if (platform::ReadLocaleItem(source, TLocaleItem::PmDesignator, text)) s.PmDesignator = text;
  ReadFlag(source, TLocaleItem::LeadingZeroHours, s.LeadingZeroHours);
  bool twentyFourHour = false;
  if (ReadFlag(source, TLocaleItem::TimeFormat, twentyFourHour))
    s.TwelveHourClock = !twentyFourHour;
  ReadFlag(source, TLocaleItem::DesignatorPosition, s.DesignatorFirst);
  ReadNames(source, platform::TLocaleName::Month, 1, s.MonthNames);
  ReadNames(source, platform::TLocaleName::AbbreviatedMonth, 1, s.AbbreviatedMonthNames);
  ReadNames(source, platform::TLocaleName::Day, 0, s.DayNames);
  ReadNames(source, platform::TLocaleName::AbbreviatedDay, 0, s.AbbreviatedDayNames);
  return s;
}

void LoadDateTimeSettings() {
  StoreSettings(ReadDateTimeSettings(platform::TLocaleSource::Thread));
}

void ReloadDateTimeSettings() {
  StoreSettings(ReadDateTimeSettings(platform::TLocaleSource::UserDefault));
}

std::string FormatDateTimeText(const platform::LocalDateTime& value) {
  TDateTimeSettings settings;
  bool loaded;
  {
    std::lock_guard<std::mutex> lock(settingsMutex);
    loaded = settingsLoaded;
    if (loaded) settings = processSettings;
  }
  if (!loaded) {
    LoadDateTimeSettings();
    std::lock_guard<std::mutex> lock(settingsMutex);
    settings = processSettings;
  }
  return FormatDateTimeText(settings, value);
}
