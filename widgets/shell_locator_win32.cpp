// Resolves locators through the shell (SHGetSpecialFolderLocation) and copies item-ID lists into
// the locator's byte form.
#include "widgets/shell_locator_win32.h"

// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on

#include <cstring>
#include <cwchar>
#include <stdexcept>

#include "platform/wide_path_win32.h"
#include "widgets/gui_helpers.h"

namespace widgets {

TItemIdList LocatorIdList(const TShellLocator& locator) {
  TItemIdList list;
  if (locator.IsSpecialFolder()) {
    const HRESULT hr = SHGetSpecialFolderLocation(nullptr, locator.SpecialFolderCode(), list.Put());
    if (FAILED(hr) || !list) throw std::runtime_error(gui::SystemErrorText(static_cast<DWORD>(hr)));
    return list;
  }
  const std::string& bytes = locator.IdListBytes();
  // The list's bytes followed by the two zero bytes of the terminating ID.
  auto* memory = static_cast<BYTE*>(CoTaskMemAlloc(bytes.size() + 2));
  if (!memory) throw std::bad_alloc();
  std::memcpy(memory, bytes.data(), bytes.size());
  memory[bytes.size()] = 0;
  memory[bytes.size() + 1] = 0;
  *list.Put() = reinterpret_cast<LPITEMIDLIST>(memory);
  return list;
}

TShellLocator LocatorFromIdList(LPCITEMIDLIST idList) {
  if (!idList) return TShellLocator();
  const UINT size = ILGetSize(idList);  // includes the terminating ID
  const UINT listBytes = size >= 2 ? size - 2 : 0;
  return TShellLocator::FromIdListBytes(
      std::string(reinterpret_cast<const char*>(idList), listBytes));
}

std::wstring IdListWidePath(LPCITEMIDLIST idList) {
  if (!idList) return std::wstring();
  // Room for the longest path the system knows.
  std::wstring path(32768, L'\0');
  if (!SHGetPathFromIDListEx(idList, &path[0], static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) {
    // The empty list is the desktop, whose folder is the user's desktop directory.
    if (idList->mkid.cb != 0 ||
        !SHGetSpecialFolderPathW(nullptr, &path[0], CSIDL_DESKTOPDIRECTORY, FALSE))
      return std::wstring();
  }
  path.resize(wcslen(path.c_str()));
  return path;
}

std::string IdListPath(LPCITEMIDLIST idList) {
  std::string path;
  platform::CodePageName(IdListWidePath(idList).c_str(), path);
  return path;
}

}  // namespace widgets
