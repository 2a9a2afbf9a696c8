// Looking up a text by name and language, and filling in what a text leaves open.
#include "texts/texts.h"

#include "texts/tables.h"

namespace texts {
namespace {

const TTextRow* const kTables[kLanguageCount] = {kChineseTexts, kEnglishTexts};
const char* const kCodes[kLanguageCount] = {"zh-CN", "en"};

const TTextRow& Row(TLanguage language, TText name) {
  return kTables[static_cast<std::size_t>(language)][static_cast<std::size_t>(name)];
}

}  // namespace

std::string_view Text(TLanguage language, TText name) { return Row(language, name).text; }

std::string_view Text(TLanguage language, TText name, std::uint64_t count) {
  const TTextRow& row = Row(language, name);
  return count == 1 && row.one != nullptr ? row.one : row.text;
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string filled;
  filled.reserve(pattern.size() + 32);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const std::size_t number =
        i + 1 < pattern.size() && pattern[i] == '%' ? std::size_t(pattern[i + 1] - '1') : 9;
    if (number < args.size()) {
      filled += args.begin()[number];
      ++i;
    } else {
      filled += pattern[i];
    }
  }
  return filled;
}

std::string CountText(TLanguage language, TText name, std::uint64_t count) {
  return Fill(Text(language, name, count), {std::to_string(count)});
}

const char* LanguageCode(TLanguage language) { return kCodes[static_cast<std::size_t>(language)]; }

bool LanguageFromCode(std::string_view code, TLanguage& language) {
  for (std::size_t i = 0; i < kLanguageCount; ++i) {
    if (code == kCodes[i]) {
      language = static_cast<TLanguage>(i);
      return true;
    }
  }
  return false;
}

}  // namespace texts
