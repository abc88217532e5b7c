#pragma once
// The slots' calls as the platform answers them, and the message-only window that carries their
// timers and the escalation's worker replies back to the window's thread.

#include <windows.h>
#include <functional>
#include <string>

#include "settings/ini.h"
#include "switcher/slot_calls.h"
#include "win32/window.h"

namespace tarnelle::switcher {

// A handle as a slot keeps it, and back: handles are sign-extended from their 32 significant
// bits, as the platform does.
[[nodiscard]] HWND ToHwnd(Handle handle);
[[nodiscard]] Handle ToHandle(HWND window);

class SlotPlatform final : public win32::Window {
 public:
  [[nodiscard]] bool Create();

  // The platform's calls, with the timers on this window and the settings in |file|; the calls
  // of the main window and its icon are left for it to fill in.
  [[nodiscard]] SlotCalls Calls(const settings::IniFile& file);

  std::function<void(Timer)> on_timer;
  std::function<void(unsigned generation, WorkerResult)> on_worker_done;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace tarnelle::switcher
