#include "switcher/keyfun.h"

#include <tuple>
#include <utility>

namespace tarnelle::switcher::keyfun {
namespace {

// No key carries this code (winuser.h: "0xE8 : unassigned"), so its press changes nothing for
// the user, and it is no key a user could be holding.
constexpr WORD kUnassignedKey = 0xE8;

ForegroundCalls PlatformCalls() {
  return ForegroundCalls{
      .set_foreground = &::SetForegroundWindow,
      .get_foreground = &::GetForegroundWindow,
      .attach_input = &::AttachThreadInput,
      .press_unassigned_key =
          [] {
            INPUT keys[2]{};
            for (INPUT& key : keys) {
              key.type = INPUT_KEYBOARD;
              key.ki.wVk = kUnassignedKey;
            }
            keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
            // Refused only when another program blocks input; the retry then fails and says so.
            std::ignore = ::SendInput(2, keys, sizeof(INPUT));
          },
      .flash =
          [](HWND window) {
            FLASHWINFO flash{.cbSize = sizeof(flash),
                             .hwnd = window,
                             .dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG,  // until it comes forward
                             .uCount = 0,
                             .dwTimeout = 0};
            std::ignore = ::FlashWindowEx(&flash);  // answers the old state of the button
          },
      .warn = [] { std::ignore = ::MessageBeep(MB_ICONWARNING); },  // a silent system is no failure
  };
}

ForegroundCalls& Current() {
  static ForegroundCalls calls = PlatformCalls();
  return calls;
}

// The window |owner| shows on top of itself as a modal dialog: the topmost visible window it
// owns. None when there is none.
HWND PopupOf(HWND owner) {
  struct Search {
    HWND owner;
    HWND found;
  } search{owner, nullptr};
  // Top-level windows come in z-order, so the first one is the one on top.
  std::ignore = ::EnumWindows(
      [](HWND window, LPARAM lp) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(lp);
        if (::GetWindow(window, GW_OWNER) == s.owner && ::IsWindowVisible(window)) {
          s.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A window held disabled by a modal dialog leads to the dialog, which may itself show one.
HWND DialogShownBy(HWND window) {
  for (int depth = 0; depth < 8 && !::IsWindowEnabled(window); ++depth) {
    const HWND popup = PopupOf(window);
    if (popup == nullptr) {
      break;
    }
    window = popup;
  }
  return window;
}

}  // namespace

HWND ToHwnd(std::int32_t handle) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(handle));
}

std::int32_t ToHandle(HWND window) {
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window));
}

std::int32_t GetForm() {
  return ToHandle(::GetForegroundWindow());
}

SwitchAttempt ChangeForm(std::int32_t handle) {
  using Result = SwitchAttempt::Result;
  if (handle == 0) {
    return {};
  }
  const HWND remembered = ToHwnd(handle);
  if (!::IsWindow(remembered)) {
    return {Result::kNoWindow, remembered};
  }
  // The keyboard never goes to a window the user cannot see.
  if (!::IsWindowVisible(remembered)) {
    return {Result::kHidden, remembered};
  }
  if (::IsIconic(remembered) == TRUE) {
    if (::GetWindowThreadProcessId(remembered, nullptr) == ::GetCurrentThreadId()) {
      std::ignore = ::ShowWindow(remembered, SW_RESTORE);  // answers the old visibility, not success
    } else {
      std::ignore = ::ShowWindowAsync(remembered, SW_RESTORE);  // a window gone meanwhile: nothing to restore
    }
  }
  const HWND target = DialogShownBy(remembered);
  const ForegroundCalls& calls = Calls();
  // Its answer is known to be wrong now and then; the window in front is the truth.
  std::ignore = calls.set_foreground(target);
  return {calls.get_foreground() == target ? Result::kInFront : Result::kRefused, target};
}

ForegroundCalls SetForegroundCalls(ForegroundCalls calls) {
  const ForegroundCalls platform = PlatformCalls();
  const auto fill = [](auto& member, const auto& fallback) {
    if (!member) {
      member = fallback;
    }
  };
  fill(calls.set_foreground, platform.set_foreground);
  fill(calls.get_foreground, platform.get_foreground);
  fill(calls.attach_input, platform.attach_input);
  fill(calls.press_unassigned_key, platform.press_unassigned_key);
  fill(calls.flash, platform.flash);
  fill(calls.warn, platform.warn);
  return std::exchange(Current(), std::move(calls));
}

const ForegroundCalls& Calls() {
  return Current();
}

}  // namespace tarnelle::switcher::keyfun
