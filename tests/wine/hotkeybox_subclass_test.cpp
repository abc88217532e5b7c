// The window procedure replacement on its own: properties, the procedures installed and given
// back, and what each replaced procedure lets through.

#include <gtest/gtest.h>

#include <vector>

#include "hotkeybox/subclass.h"
#include "tests/wine/hotkeybox_host.h"
#include "tests/wine/support.h"
#include "win32/module.h"

namespace tarnelle::hotkeybox {
namespace {

using host::TestBox;
using testing::TargetWindow;

constexpr UINT kProbe = WM_APP + 5;
constexpr LRESULT kProbeAnswer = 42;

// A window whose own procedure records what reaches it.
std::vector<UINT>& Seen() {
  static std::vector<UINT> seen;
  return seen;
}

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kProbe || msg == WM_CONTEXTMENU || msg == WM_HOTKEY || msg == WM_CLOSE) {
    Seen().push_back(msg);
    return msg == kProbe ? kProbeAnswer : 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

class RecordingWindow {
 public:
  RecordingWindow() {
    static const ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = &RecordingProc;
      wc.hInstance = win32::ThisModule();
      wc.lpszClassName = L"HotkeyBoxTestRecording";
      return ::RegisterClassExW(&wc);
    }();
    hwnd_ = ::CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom)), L"", 0, 0, 0, 0, 0,
                              HWND_MESSAGE, nullptr, win32::ThisModule(), nullptr);
    Seen().clear();
  }
  ~RecordingWindow() { ::DestroyWindow(hwnd_); }
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;
  [[nodiscard]] HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

LONG_PTR ProcedureOf(HWND h) {
  return ::GetWindowLongPtrW(h, GWLP_WNDPROC);
}

class ModSubClass : public ::testing::Test {
 protected:
  TargetWindow host_{L"Hook host"};
  TestBox owner_{host_.hwnd(), false, L"Orvanta1"};  // in the designer: no window of its own
};

TEST_F(ModSubClass, HookWindowBindsTheBoxUntilUnhooked) {
  TestBox other(host_.hwnd(), false, L"Orvanta2", RECT{10, 40, 170, 64});
  RecordingWindow w;
  RecordingWindow w2;
  const LONG_PTR own = ProcedureOf(w.hwnd());
  HookWindow(w.hwnd(), &owner_.box);
  HookWindow(w2.hwnd(), &other.box);
  EXPECT_EQ(::GetPropW(w.hwnd(), kPropObject), &owner_.box);
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(::GetPropW(w.hwnd(), kPropWinProc)), own);
  EXPECT_EQ(ProcedureOf(w.hwnd()), reinterpret_cast<LONG_PTR>(&HotKeyWndProc));

  // WM_HOTKEY raises the event of the box bound to that window; nothing at all reaches the
  // window's own procedure.
  EXPECT_EQ(::SendMessageW(w.hwnd(), WM_HOTKEY, 1, 0), 0);
  ::SendMessageW(w2.hwnd(), WM_HOTKEY, 1, 0);
  ::SendMessageW(w2.hwnd(), WM_HOTKEY, 1, 0);
  EXPECT_EQ(owner_.events.hotkey_pressed, 1);
  EXPECT_EQ(other.events.hotkey_pressed, 2);
  EXPECT_EQ(::SendMessageW(w.hwnd(), kProbe, 0, 0), 0);
  EXPECT_EQ(::SendMessageW(w.hwnd(), WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(Seen().empty());
  // With its box gone from the properties, a hotkey does nothing.
  ::RemovePropW(w2.hwnd(), kPropObject);
  EXPECT_EQ(::SendMessageW(w2.hwnd(), WM_HOTKEY, 1, 0), 0);
  EXPECT_EQ(other.events.hotkey_pressed, 2);
  UnhookWindow(w2.hwnd());
  EXPECT_TRUE(Seen().empty());

  UnhookWindow(w.hwnd());
  EXPECT_EQ(::GetPropW(w.hwnd(), kPropObject), nullptr);
  EXPECT_EQ(::GetPropW(w.hwnd(), kPropWinProc), nullptr);
  EXPECT_EQ(ProcedureOf(w.hwnd()), own);
  EXPECT_EQ(::SendMessageW(w.hwnd(), kProbe, 0, 0), kProbeAnswer);
  ::SendMessageW(w.hwnd(), WM_HOTKEY, 1, 0);
  EXPECT_EQ(owner_.events.hotkey_pressed, 1);  // unchanged: the box is no longer bound
  EXPECT_EQ(Seen(), (std::vector<UINT>{kProbe, WM_HOTKEY}));
}

TEST_F(ModSubClass, HookTextBoxDropsOnlyTheContextMenu) {
  RecordingWindow w;
  const LONG_PTR own = ProcedureOf(w.hwnd());
  HookTextBox(w.hwnd());
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(::GetPropW(w.hwnd(), kPropWinProc)), own);
  EXPECT_EQ(::GetPropW(w.hwnd(), kPropObject), nullptr);
  EXPECT_EQ(ProcedureOf(w.hwnd()), reinterpret_cast<LONG_PTR>(&TextBoxWndProc));
  EXPECT_EQ(::SendMessageW(w.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.hwnd()), -1), 0);
  // Everything else reaches the old procedure, and its answer comes back unchanged.
  EXPECT_EQ(::SendMessageW(w.hwnd(), kProbe, 0, 0), kProbeAnswer);
  EXPECT_EQ(Seen(), (std::vector<UINT>{kProbe}));

  UnhookTextBox(w.hwnd());
  EXPECT_EQ(::GetPropW(w.hwnd(), kPropWinProc), nullptr);
  EXPECT_EQ(ProcedureOf(w.hwnd()), own);
  ::SendMessageW(w.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.hwnd()), -1);
  EXPECT_EQ(Seen(), (std::vector<UINT>{kProbe, WM_CONTEXTMENU}));
}

}  // namespace
}  // namespace tarnelle::hotkeybox
