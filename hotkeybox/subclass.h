#pragma once
// Window procedure replacement for the hotkey boxes. All per-window data lives in the window's
// own property list ("Object": the box; "WinProc": the procedure before hooking), so one pair
// of procedures serves every box and this module keeps no table.

#include <windows.h>

#include "win32/unique.h"

namespace tarnelle::hotkeybox {

class Orvanta;

inline constexpr wchar_t kPropObject[] = L"Object";
inline constexpr wchar_t kPropWinProc[] = L"WinProc";

// Binds a box's hidden hotkey window to the box and installs HotKeyWndProc.
void HookWindow(HWND hwnd, Orvanta* box);
// Puts the old procedure back, then removes "Object" and "WinProc".
void UnhookWindow(HWND hwnd) noexcept;
// Installs TextBoxWndProc on a box's text box, keeping the old procedure in "WinProc".
void HookTextBox(HWND hwnd);
// Puts the old procedure back, then removes "WinProc".
void UnhookTextBox(HWND hwnd) noexcept;

// A hook held as an owner: giving it back unhooks the window.
using unique_window_hook = win32::UniqueAny<HWND, &UnhookWindow>;
using unique_text_box_hook = win32::UniqueAny<HWND, &UnhookTextBox>;

// WM_HOTKEY raises the bound box's event; every other message is answered with 0.
LRESULT CALLBACK HotKeyWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
// Drops WM_CONTEXTMENU; everything else goes to the procedure kept in "WinProc".
LRESULT CALLBACK TextBoxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

// The box whose address a window's "Object" property holds.
Orvanta* ObjectFromPtr(HANDLE address) noexcept;

}  // namespace tarnelle::hotkeybox
