// The language setting in the user's part of the registry, and the user's UI language.
#include <windows.h>

#include <string>

#include "widgets/language_setting.h"

namespace widgets {
namespace {

const wchar_t kKey[] = L"Software\\Hashtally";
const wchar_t kValue[] = L"Language";

// Owner of an open registry key.
class TRegistryKey {
 public:
  TRegistryKey() = default;
  TRegistryKey(const TRegistryKey&) = delete;
  TRegistryKey& operator=(const TRegistryKey&) = delete;
  ~TRegistryKey() {
    if (key_) RegCloseKey(key_);
  }
  HKEY* Put() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The language the setting names; false without a setting, or with one we do not know.
bool ChosenLanguage(texts::TLanguage& language) {
  TRegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
    return false;
  wchar_t code[16] = {};
  DWORD size = sizeof code - sizeof code[0];  // room for the terminating zero it may lack
  DWORD type = 0;
  if (RegQueryValueExW(key.Get(), kValue, nullptr, &type, reinterpret_cast<BYTE*>(code), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return false;
  std::string ascii;
  for (const wchar_t* c = code; *c != L'\0' && *c < 0x80; ++c) ascii += static_cast<char>(*c);
  return texts::LanguageFromCode(ascii, language);
}

}  // namespace

texts::TLanguage UserLanguage() {
  texts::TLanguage language;
  if (ChosenLanguage(language)) return language;
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE ? texts::TLanguage::Chinese
                                                                   : texts::TLanguage::English;
}

bool RememberLanguage(texts::TLanguage language) {
  TRegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(),
                      nullptr) != ERROR_SUCCESS)
    return false;
  std::wstring code;
  for (const char* c = texts::LanguageCode(language); *c != '\0'; ++c) code += wchar_t(*c);
  return RegSetValueExW(key.Get(), kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(code.c_str()),
                        static_cast<DWORD>((code.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace widgets
