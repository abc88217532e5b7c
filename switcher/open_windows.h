#pragma once
// The open windows as identities: who a window is, and the visible top-level windows.

#include <windows.h>
#include <string>
#include <vector>

#include "switcher/slot_calls.h"

namespace tarnelle::switcher {

// Who |window| is: the full path of its program, its class and its title. Store apps show in a
// window of the frame host; such a window is described by the process of its core window, so
// that it can be followed too, and is nobody in particular while that window is away.
[[nodiscard]] Described Describe(HWND window);

// The visible top-level windows, the most recently active first; of |window_class| only, or of
// every class for an empty one.
[[nodiscard]] std::vector<OpenWindow> OpenWindows(const std::wstring& window_class);

// Whether the shell keeps |window| out of sight, as it does a window on another virtual desktop.
[[nodiscard]] bool IsCloaked(HWND window);

// The program file name of the store's frame host ("ApplicationFrameHost.exe"); tests name
// another. Returns the name it replaces.
std::wstring SetFrameHostName(std::wstring name);

}  // namespace tarnelle::switcher
