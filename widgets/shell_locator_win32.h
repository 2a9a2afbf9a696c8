// The shell side of TShellLocator: resolving it to an item-ID list and back, and reading the
// file-system path of a list.
#pragma once

#include <windows.h>

#include <string>

#include "widgets/com_ptr_win32.h"
#include "widgets/shell_locator.h"

namespace widgets {

// The absolute item-ID list the locator names (a fresh copy); the empty locator gives the empty
// list, the desktop. Raises std::runtime_error with the system's text when a special-folder code
// cannot be resolved.
TItemIdList LocatorIdList(const TShellLocator& locator);

// A locator holding a copy of `idList` (null gives the empty locator).
TShellLocator LocatorFromIdList(LPCITEMIDLIST idList);

// File-system path of an absolute item-ID list, as long as it is; empty text when it has none. A
// drive root keeps its backslash (C:\), other folders have none.
std::wstring IdListWidePath(LPCITEMIDLIST idList);
// The same in the code page (a character it cannot hold shows as its default character).
std::string IdListPath(LPCITEMIDLIST idList);

}  // namespace widgets
