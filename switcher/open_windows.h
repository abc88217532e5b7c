#pragma once
// The open windows as identities: who a window is, and which open window stands for a
// remembered one.

#include <windows.h>
#include <optional>
#include <string>

#include "switcher/identity.h"

namespace tarnelle::switcher {

// Who |window| is: the full path of its program, its class and its title. Store apps report the
// frame host as their program; such a window is described by the process of its core window, so
// that it can be followed too. Nothing when the program's path cannot be read.
[[nodiscard]] std::optional<WindowIdentity> IdentityOf(HWND window);

// The visible top-level window that stands for |remembered| (see FindWindowLike); none if no
// window of that program and class is open.
[[nodiscard]] HWND FindOpenWindow(const WindowIdentity& remembered);

// The program file name of the store's frame host ("ApplicationFrameHost.exe"); tests name
// another. Returns the name it replaces.
std::wstring SetFrameHostName(std::wstring name);

}  // namespace tarnelle::switcher
