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
[[nodiscard]] int ShowMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT style);

// The caption and style of every error the program shows.
inline constexpr wchar_t kErrorCaption[] = L"error";
inline constexpr UINT kErrorStyle = MB_OK | MB_ICONHAND;

// Shows |text| as an error; the answer means nothing.
void ShowError(HWND owner, std::wstring_view text);

// Installs a handler for every later message box; an empty one restores MessageBoxW.
// Returns the handler it replaces.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace tarnelle::win32
