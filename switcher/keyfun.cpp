#include "switcher/keyfun.h"

#include <tuple>

namespace tarnelle::switcher::keyfun {
namespace {

// Owner chains are short; a longer one is a loop some program made.
constexpr int kLongestOwnerChain = 16;

Handle RootOwner(const SlotCalls& calls, Handle window) {
  for (int depth = 0; depth < kLongestOwnerChain; ++depth) {
    const Handle owner = calls.owner(window);
    if (owner == 0) {
      break;
    }
    window = owner;
  }
  return window;
}

// The window a disabled |window| leads to: the last active popup of the window that owns it all,
// when that one can take the keyboard; else |window| itself.
Handle DialogShownBy(const SlotCalls& calls, Handle window, const WindowState& state) {
  if (state.enabled) {
    return window;
  }
  // The dialog may be owned by the window or by a hidden window that owns them both.
  const Handle popup = calls.last_active_popup(RootOwner(calls, window));
  if (popup == 0 || popup == window) {
    return window;
  }
  const WindowState dialog = calls.state(popup);
  return dialog.visible && dialog.enabled ? popup : window;
}

}  // namespace

Handle GetForm(const SlotCalls& calls) {
  return calls.foreground();
}

SwitchAttempt ChangeForm(const SlotCalls& calls, Handle handle) {
  using Result = SwitchAttempt::Result;
  if (handle == 0) {
    return {};
  }
  const WindowState state = calls.state(handle);
  if (!state.exists) {
    return {Result::kNoWindow, handle, handle};
  }
  // The keyboard never goes to a window the user cannot see.
  if (!state.visible) {
    return {Result::kHidden, handle, handle};
  }
  if (state.minimised) {
    calls.restore(handle);
  }
  const Handle target = DialogShownBy(calls, handle, state);
  // Its answer is known to be wrong now and then; the window in front is the truth.
  std::ignore = calls.set_foreground(target);
  return {calls.foreground() == target ? Result::kInFront : Result::kRefused, target, handle};
}

}  // namespace tarnelle::switcher::keyfun
