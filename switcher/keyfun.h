#pragma once
// The two foreground operations of a slot: remember the window in front, bring one back. Pure:
// the platform is reached through the slots' calls.

#include "switcher/slot_calls.h"

namespace tarnelle::switcher::keyfun {

// The foreground window's handle; 0 when there is none.
[[nodiscard]] Handle GetForm(const SlotCalls& calls);

// What asking for the foreground came to.
struct SwitchAttempt {
  enum class Result {
    kNothing,   // no window asked for: nothing happens, nothing is said
    kInFront,   // the window is in front
    kNoWindow,  // the text names no window (closed, or never one)
    kHidden,    // a hidden window stays hidden, and the window in front stays in front
    kRefused,   // the platform did not put it in front
  };
  Result result = Result::kNothing;
  Handle window = 0;      // the window asked for: the remembered one, or the dialog it shows
  Handle remembered = 0;  // the remembered one
};

// Brings the window to the foreground, restoring it first when it is minimised (a maximised
// one stays maximised). A window held disabled by a modal dialog is not what the user wants in
// front: the dialog is, as the taskbar has it. Says whether the window is in front now, by the
// window really in front, not by the platform's answer.
[[nodiscard]] SwitchAttempt ChangeForm(const SlotCalls& calls, Handle handle);

}  // namespace tarnelle::switcher::keyfun
