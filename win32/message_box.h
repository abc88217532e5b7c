#pragma once
// Every message box of the program goes through here, so that tests can see what would be
// shown and answer it.

#include <windows.h>
#include <functional>
#include <string>
#include <string_view>

namespace tarnelle::win32 {

using MessageBoxHandler =
    std::function<int(HWND owner, std::wstring_view text, std::wstring_view caption, UINT style)>;

// Shows a modal message box (MessageBoxW unless a handler is installed) and returns its answer.
int ShowMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT style);

// Installs a handler for every later message box; an empty one restores MessageBoxW.
// Returns the handler it replaces.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace tarnelle::win32
