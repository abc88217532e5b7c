#include "shell/moveit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "tests/wine/support.h"
#include "win32/module.h"

namespace tarnelle::shell {
namespace {

using testing::PumpFor;
using testing::PumpUntil;
using testing::SendMouseAt;

// A top-level window that notes every WM_NCLBUTTONDOWN it gets. Unless |real_move| is set it
// keeps the message from the platform, so that no move loop starts.
class Recorder {
 public:
  struct Press {
    WPARAM wp;
    LPARAM lp;
    HWND capture;  // who held the mouse when the message came
  };

  explicit Recorder(DWORD style = WS_OVERLAPPEDWINDOW) {
    static const ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = &Proc;
      wc.hInstance = win32::ThisModule();
      wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      wc.lpszClassName = L"TarnelleTestMoveRecorder";
      return ::RegisterClassExW(&wc);
    }();
    (void)atom;
    hwnd_ = ::CreateWindowExW(0, L"TarnelleTestMoveRecorder", L"move me", style, 150, 120, 300, 200, nullptr,
                              nullptr, win32::ThisModule(), this);
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    PumpFor(50);
  }
  ~Recorder() { ::DestroyWindow(hwnd_); }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  [[nodiscard]] HWND hwnd() const { return hwnd_; }
  std::vector<Press> presses;
  bool real_move = false;
  // Called on a left-button press in the client area, as the main window's background does.
  bool move_on_press = false;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    }
    auto* self = reinterpret_cast<Recorder*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && msg == WM_NCLBUTTONDOWN) {
      self->presses.push_back({wp, lp, ::GetCapture()});
      if (!self->real_move) {
        return 0;
      }
    }
    if (self != nullptr && msg == WM_LBUTTONDOWN && self->move_on_press) {
      ::SetCapture(hwnd);  // a press captures the mouse, as the platform's controls do
      MoveForm(hwnd);
      return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
  }

  HWND hwnd_ = nullptr;
};

TEST(ShellMoveForm, MaximisedWindowIsLeftAlone) {
  Recorder window;
  ::ShowWindow(window.hwnd(), SW_MAXIMIZE);
  PumpFor(100);
  ASSERT_TRUE(::IsZoomed(window.hwnd()));
  RECT before{};
  ::GetWindowRect(window.hwnd(), &before);
  ::SetCapture(window.hwnd());

  MoveForm(window.hwnd());
  PumpFor(50);

  EXPECT_TRUE(window.presses.empty());
  EXPECT_TRUE(::IsZoomed(window.hwnd()));
  RECT after{};
  ::GetWindowRect(window.hwnd(), &after);
  EXPECT_TRUE(::EqualRect(&before, &after));
  // Not even the capture was touched.
  EXPECT_EQ(::GetCapture(), window.hwnd());
  ::ReleaseCapture();
}

TEST(ShellMoveForm, NormalOrMinimisedWindowGetsACaptionPressWithTheMouseFree) {
  for (const int show : {SW_SHOWNORMAL, SW_MINIMIZE}) {
    Recorder window;
    ::ShowWindow(window.hwnd(), show);
    PumpFor(100);
    ::SetCapture(window.hwnd());
    MoveForm(window.hwnd());
    ASSERT_EQ(window.presses.size(), 1u) << show;
    EXPECT_EQ(window.presses[0].wp, static_cast<WPARAM>(HTCAPTION));
    EXPECT_EQ(window.presses[0].lp, 0);
    EXPECT_EQ(window.presses[0].capture, nullptr);
  }
}

TEST(ShellMoveForm, DragsABorderlessWindowWithTheMouse) {
  Recorder window(WS_POPUP);
  window.real_move = true;
  window.move_on_press = true;
  ASSERT_TRUE(testing::MakeForeground(window.hwnd()));
  RECT before{};
  ::GetWindowRect(window.hwnd(), &before);
  const POINT grab{before.left + 100, before.top + 80};
  const POINT drop{grab.x + 40, grab.y + 28};
  testing::MoveMouseTo(grab);

  // While this thread sits in the platform's move loop, another one moves the mouse and lets go.
  const DWORD ui_thread = ::GetCurrentThreadId();
  std::thread hand([ui_thread, grab, drop] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    while (std::chrono::steady_clock::now() < deadline) {
      if (::GetGUIThreadInfo(ui_thread, &info) && (info.flags & GUI_INMOVESIZE) != 0) {
        break;
      }
      ::Sleep(10);
    }
    for (int step = 1; step <= 3; ++step) {
      SendMouseAt(POINT{grab.x + (drop.x - grab.x) * step / 4, grab.y + (drop.y - grab.y) * step / 4}, 0);
      ::Sleep(20);
    }
    SendMouseAt(drop, 0);
    ::Sleep(20);
    SendMouseAt(drop, MOUSEEVENTF_LEFTUP);
  });
  SendMouseAt(grab, MOUSEEVENTF_LEFTDOWN);
  const bool pressed = PumpUntil([&] { return !window.presses.empty(); });
  hand.join();
  PumpFor(100);
  ASSERT_TRUE(pressed);

  RECT after{};
  ::GetWindowRect(window.hwnd(), &after);
  EXPECT_EQ(after.left - before.left, drop.x - grab.x);
  EXPECT_EQ(after.top - before.top, drop.y - grab.y);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

}  // namespace
}  // namespace tarnelle::shell
