// The languages' tables, one row per text in the order of TText; texts.cpp looks them up.
#pragma once

#include "texts/texts.h"

namespace texts {

// True when `rows` holds one text for every name, in the order of TText: each table asserts it.
template <std::size_t N>
constexpr bool IsComplete(const TTextRow (&rows)[N]) {
  if (N != kTextCount) return false;
  for (std::size_t i = 0; i < N; ++i)
    if (rows[i].name != static_cast<TText>(i) || rows[i].text == nullptr) return false;
  return true;
}

extern const TTextRow kChineseTexts[kTextCount];
extern const TTextRow kEnglishTexts[kTextCount];
extern const char kAboutText[];

}  // namespace texts
