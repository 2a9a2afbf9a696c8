// The checkfile's date-time line under explicit locale settings, and (on Windows) under the
// locale the process runs in.
#include "catalogue/date_time_text.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

platform::LocalDateTime At(int year, int month, int day, int hour, int minute, int second,
                           int millisecond = 0) {
  return {year, month, day, hour, minute, second, millisecond};
}

TDateTimeSettings UnitedStates() {
  TDateTimeSettings s;
  s.ShortDatePattern = "M/d/yyyy";
  s.AmDesignator = "AM";
  s.PmDesignator = "PM";
  return s;
}

TDateTimeSettings China() {
  TDateTimeSettings s;
  s.ShortDatePattern = "yyyy/M/d";
  s.TwelveHourClock = false;
  s.AmDesignator = "上午";
  s.PmDesignator = "下午";
  return s;
}

struct TCase {
  const char* what;
  TDateTimeSettings settings;
  platform::LocalDateTime value;
  const char* expected;
};

TEST(DateTimeText, FollowsTheSettings) {
  TDateTimeSettings designatorFirst = China();
  designatorFirst.TwelveHourClock = true;
  designatorFirst.DesignatorFirst = true;
  TDateTimeSettings leadingZero = China();
  leadingZero.LeadingZeroHours = true;
  TDateTimeSettings dotted = UnitedStates();
  dotted.ShortDatePattern = "dd/MM/yy";
  dotted.DateSeparator = ".";
  dotted.TimeSeparator = ".";
  dotted.LeadingZeroHours = true;

  const TCase cases[] = {
      {"12-hour, PM after", UnitedStates(), At(2026, 3, 14, 21, 5, 7), "3/14/2026 9:05:07 PM"},
      {"midnight gives the date alone", UnitedStates(), At(2026, 3, 14, 0, 0, 0, 400), "3/14/2026"},
      {"one second past midnight", UnitedStates(), At(2026, 3, 14, 0, 0, 1),
       "3/14/2026 12:00:01 AM"},
      {"noon", UnitedStates(), At(2026, 3, 14, 12, 30, 0), "3/14/2026 12:30:00 PM"},
      {"milliseconds never appear", UnitedStates(), At(2026, 3, 14, 11, 59, 59, 999),
       "3/14/2026 11:59:59 AM"},
      {"24-hour", China(), At(2026, 3, 4, 9, 5, 7), "2026/3/4 9:05:07"},
      {"24-hour evening", China(), At(2026, 12, 31, 23, 59, 59), "2026/12/31 23:59:59"},
      {"leading zero on hours", leadingZero, At(2026, 3, 4, 9, 5, 7), "2026/3/4 09:05:07"},
      {"designator first", designatorFirst, At(2026, 3, 4, 21, 5, 7), "2026/3/4 下午 9:05:07"},
      {"designator first, morning", designatorFirst, At(2026, 3, 4, 0, 15, 0),
       "2026/3/4 上午 12:15:00"},
      {"separators of the locale", dotted, At(2026, 3, 4, 9, 5, 7), "04.03.26 09.05.07 AM"},
      {"defaults where nothing can be read", TDateTimeSettings{}, At(2026, 3, 14, 21, 5, 7),
       "3/14/26 9:05:07 pm"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(FormatDateTimeText(c.settings, c.value), c.expected) << c.what;
  }
}

TEST(DateTimeText, PatternTokensAndLiterals) {
  struct TPatternCase {
    const char* pattern;
    platform::LocalDateTime date;
    const char* expected;
  };
  const TPatternCase cases[] = {
      {"d-dd-M-MM-y-yy-yyyy", At(2026, 3, 4, 0, 0, 0), "4-04-3-03-26-26-2026"},
      {"d-dd-M-MM-y-yy-yyyy", At(2005, 11, 25, 0, 0, 0), "25-25-11-11-5-05-2005"},
      {"yyyy'年'M'月'd'日'", At(2026, 3, 4, 0, 0, 0), "2026年3月4日"},
      {"'it''s' d", At(2026, 3, 4, 0, 0, 0), "it's 4"},
      {"yyyy'/'M/d", At(2026, 3, 4, 0, 0, 0), "2026/3-4"},
      {"'d M y' d", At(2026, 3, 4, 0, 0, 0), "d M y 4"},
      {"ddd, MMM d", At(2026, 3, 14, 0, 0, 0), "Sat, Mar 14"},
      {"dddd d MMMM yyyy", At(2000, 2, 29, 0, 0, 0), "Tuesday 29 February 2000"},
      {"dddd", At(2026, 1, 4, 0, 0, 0), "Sunday"},
      {"'unterminated", At(2026, 3, 4, 0, 0, 0), "unterminated"},
  };
  TDateTimeSettings s;
  s.DateSeparator = "-";
  for (const TPatternCase& c : cases) {
    s.ShortDatePattern = c.pattern;
    EXPECT_EQ(FormatDateTimeText(s, c.date), c.expected) << c.pattern;
  }
}

#ifdef _WIN32
// The process-wide settings come from the locale the test runs in (zh_CN by default, en_US in the
// second run): the date must be what the system itself gives for its short date, and the time
// what it gives for its time format, which for both locales holds hours, minutes and seconds.
TEST(DateTimeText, MatchesTheSystemLocale) {
  LoadDateTimeSettings();
  const platform::LocalDateTime value = At(2026, 3, 14, 21, 5, 7, 250);
  SYSTEMTIME st{};
  st.wYear = 2026;
  st.wMonth = 3;
  st.wDay = 14;
  st.wDayOfWeek = 6;
  st.wHour = 21;
  st.wMinute = 5;
  st.wSecond = 7;
  st.wMilliseconds = 250;
  char date[128] = "";
  char time[128] = "";
  ASSERT_GT(GetDateFormatA(GetThreadLocale(), DATE_SHORTDATE, &st, nullptr, date, sizeof date), 0);
  ASSERT_GT(GetTimeFormatA(GetThreadLocale(), 0, &st, nullptr, time, sizeof time), 0);
  EXPECT_EQ(FormatDateTimeText(value), std::string(date) + " " + time);

  const LANGID language = PRIMARYLANGID(LANGIDFROMLCID(GetThreadLocale()));
  if (language == LANG_CHINESE) {
    EXPECT_EQ(FormatDateTimeText(value), "2026/3/14 21:05:07");
  } else if (language == LANG_ENGLISH) {
    EXPECT_EQ(FormatDateTimeText(value), "3/14/2026 9:05:07 PM");
  } else {
    ADD_FAILURE() << "unexpected locale " << GetThreadLocale();
  }
  EXPECT_EQ(FormatDateTimeText(At(2026, 3, 14, 0, 0, 0, 999)), date);

  ReloadDateTimeSettings();  // the user default locale is the same one here
  EXPECT_EQ(FormatDateTimeText(value), std::string(date) + " " + time);
}
#endif

}  // namespace
