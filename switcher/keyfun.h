#pragma once
// The two foreground operations of a slot: remember the window in front, bring one back.

#include <windows.h>
#include <cstdint>
#include <functional>

namespace tarnelle::switcher::keyfun {

// A window handle as the 32-bit value a slot keeps, and back: handles are sign-extended from
// their 32 significant bits, as the platform does.
[[nodiscard]] HWND ToHwnd(std::int32_t handle);
[[nodiscard]] std::int32_t ToHandle(HWND window);

// The foreground window's handle as a 32-bit value (window handles are 32-bit significant);
// 0 when there is none.
[[nodiscard]] std::int32_t GetForm();

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
  HWND window = nullptr;  // the window asked for: the remembered one, or the dialog it shows
};

// Brings the window to the foreground, restoring it first when it is minimised (a maximised
// one stays maximised). A window held disabled by a modal dialog is not what the user wants in
// front: the dialog is, as the taskbar has it. A window of another thread is restored without
// waiting for it, so a hung window cannot hang us. Says whether the window is in front now,
// by the window really in front, not by the platform's answer.
[[nodiscard]] SwitchAttempt ChangeForm(std::int32_t handle);

// The platform calls of a switch, replaceable as one set so that tests can make the foreground
// call refuse. A member left empty is the platform's own.
struct ForegroundCalls {
  std::function<BOOL(HWND)> set_foreground;
  std::function<HWND()> get_foreground;
  std::function<BOOL(DWORD from, DWORD to, BOOL attach)> attach_input;
  std::function<void()> press_unassigned_key;  // a press and release that no user can make
  std::function<void(HWND)> flash;             // the window's taskbar button
  std::function<void()> warn;                  // the system's warning sound
};

// The calls every switch makes from now on; returns the set they replace.
ForegroundCalls SetForegroundCalls(ForegroundCalls calls);
[[nodiscard]] const ForegroundCalls& Calls();

}  // namespace tarnelle::switcher::keyfun
