#pragma once
// A hidden window to own a top-level window, so that no shell gives that one a taskbar button
// (a tool window owned by a hidden window gets none from any shell). A close sent to it (the
// task manager's, say) is the owned window's to handle.

#include <windows.h>
#include <functional>

#include "win32/window.h"

namespace tarnelle::win32 {

class OwnerWindow final : public Window {
 public:
  [[nodiscard]] bool Create();

  std::function<void()> on_close;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace tarnelle::win32
