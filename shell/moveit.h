#pragma once
// Dragging a window that has no title bar of the platform's.

#include <windows.h>

namespace tarnelle::shell {

// Starts moving |window| with the mouse, as if its title bar had been pressed; returns when the
// platform's move loop ends. A maximised window is left alone.
void MoveForm(HWND window) noexcept;

}  // namespace tarnelle::shell
