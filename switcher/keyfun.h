#pragma once
// The two foreground operations of a slot: remember the window in front, bring one back.

#include <cstdint>

namespace tarnelle::switcher::keyfun {

// The foreground window's handle as a 32-bit value (window handles are 32-bit significant);
// 0 when there is none.
[[nodiscard]] std::int32_t GetForm();

// Brings the window to the foreground, restoring it first when it is minimised. A window of
// another thread is restored without waiting for it, so a hung window cannot hang us.
void ChangeForm(std::int32_t handle);

}  // namespace tarnelle::switcher::keyfun
