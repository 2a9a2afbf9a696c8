// Regional settings from GetLocaleInfoA.
#include <windows.h>

#include <vector>

#include "platform/locale.h"

namespace platform {
namespace {

LCID LocaleOf(TLocaleSource source) {
  return source == TLocaleSource::Thread ? GetThreadLocale() : LOCALE_USER_DEFAULT;
}

bool ReadInfo(LCID locale, LCTYPE type, std::string& text) {
  const int size = GetLocaleInfoA(locale, type, nullptr, 0);
  if (size <= 0) return false;
  std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\0');
  if (GetLocaleInfoA(locale, type, buffer.data(), size) <= 0) return false;
  text = buffer.data();
  return true;
}

}  // namespace

bool ReadLocaleItem(TLocaleSource source, TLocaleItem item, std::string& text) {
  static const LCTYPE types[] = {LOCALE_SSHORTDATE, LOCALE_SDATE, LOCALE_STIME,
                                 LOCALE_ITLZERO,    LOCALE_ITIME, LOCALE_ITIMEMARKPOSN,
                                 LOCALE_S1159,      LOCALE_S2359};
  return ReadInfo(LocaleOf(source), types[static_cast<int>(item)], text);
}

bool ReadLocaleName(TLocaleSource source, TLocaleName kind, int index, std::string& text) {
  LCTYPE type = 0;
  switch (kind) {
    case TLocaleName::Month:
      if (index < 1 || index > 12) return false;
      type = LOCALE_SMONTHNAME1 + static_cast<LCTYPE>(index - 1);
      break;
    case TLocaleName::AbbreviatedMonth:
      if (index < 1 || index > 12) return false;
      type = LOCALE_SABBREVMONTHNAME1 + static_cast<LCTYPE>(index - 1);
      break;
    case TLocaleName::Day:
    case TLocaleName::AbbreviatedDay: {
      if (index < 0 || index > 6) return false;
      // The system's day names start on Monday (DAYNAME1) and end on Sunday (DAYNAME7).
      const LCTYPE first = kind == TLocaleName::Day ? LOCALE_SDAYNAME1 : LOCALE_SABBREVDAYNAME1;
      type = first + static_cast<LCTYPE>((index + 6) % 7);
      break;
    }
  }
  return ReadInfo(LocaleOf(source), type, text);
}

}  // namespace platform
