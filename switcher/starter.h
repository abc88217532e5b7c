#pragma once
// Starting a remembered program that is not running, and waiting for its window without holding
// anything else up: a timer looks for the window until it comes or the time is up.

#include <windows.h>
#include <array>
#include <functional>

#include "switcher/design.h"
#include "switcher/identity.h"
#include "win32/window.h"

namespace tarnelle::switcher {

class ProgramStarter final : public win32::Window {
 public:
  static constexpr ULONGLONG kGiveUpMs = 15000;

  [[nodiscard]] bool Create();

  // Starts the program of |identity| for |slot|: its path as the application name, its own folder
  // as the working folder, no arguments. Only an absolute path to an existing .exe file is ever
  // started. True when the slot's program is starting (now or already); false when it may not or
  // could not be started.
  [[nodiscard]] bool Start(int slot, const WindowIdentity& identity);

  std::function<void(int slot, HWND window)> on_window;  // the window of a started program came
  std::function<void(int slot)> on_gave_up;              // no window came in time

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  struct Waiting {
    WindowIdentity identity;
    ULONGLONG deadline = 0;  // 0: not waiting
  };
  void OnTick();

  std::array<Waiting, design::kSlotCount> waiting_;
};

}  // namespace tarnelle::switcher
