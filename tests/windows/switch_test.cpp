// The platform's half of a switch, in the test program itself, on its own windows and another
// process's: what only the real platform can answer. What the slots decide with these answers is
// the native tests' (tests/native/slot_model_test.cpp).

#include <memory>
#include <utility>
#include <vector>

#include "shell/autostart.h"
#include "switcher/keyfun.h"
#include "switcher/open_windows.h"
#include "switcher/platform_calls.h"
#include "tests/windows/tarnelle_test.h"

namespace tarnelle::switcher {
namespace {

using namespace driver;

// The keys sent while it is alive, each as (key, down), seen as every program sees them.
class KeyLog {
 public:
  KeyLog() : hook_(::SetWindowsHookExW(WH_KEYBOARD_LL, &Note, ::GetModuleHandleW(nullptr), 0)) {
    Keys().clear();
  }
  [[nodiscard]] bool Hooked() const { return hook_ != nullptr; }
  [[nodiscard]] static std::vector<std::pair<DWORD, bool>> Seen() { return Keys(); }

 private:
  static std::vector<std::pair<DWORD, bool>>& Keys() {
    static std::vector<std::pair<DWORD, bool>> keys;
    return keys;
  }
  static LRESULT CALLBACK Note(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION) {
      const bool up = wp == WM_KEYUP || wp == WM_SYSKEYUP;
      Keys().emplace_back(reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp)->vkCode, !up);
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
  }
  std::unique_ptr<std::remove_pointer_t<HHOOK>, Freer<&::UnhookWindowsHookEx>> hook_;
};

SlotCalls Platform() {
  static SlotPlatform platform;
  static const bool created = platform.Create();
  EXPECT_TRUE(created);
  return platform.Calls(settings::IniFile{});
}

// The escalation's own key press is one no user makes, and it lets go of no key a user holds.
TEST(Platform, TheUnassignedKeyComesAndGoesAndAHeldKeyStaysHeld) {
  KeyDown(kCtrl);  // held from the hotkey
  const KeyLog keys;
  ASSERT_TRUE(keys.Hooked());
  Platform().press_unassigned_key();
  ASSERT_TRUE(WaitFor([] { return KeyLog::Seen().size() >= 2; }));
  const std::vector<std::pair<DWORD, bool>> expected = {{0xE8, true}, {0xE8, false}};
  EXPECT_EQ(KeyLog::Seen(), expected);
  KeyUp(kCtrl);
}

// A window whose modal dialog belongs to a hidden window that owns them both (as many
// frameworks have it): the dialog is what comes forward.
TEST(Platform, ADialogOwnedByAHiddenRootOwnerComesForwardForTheWindowItHolds) {
  const unique_hwnd other = TestWindow(L"Other", {260, 200});
  const auto make = [](const wchar_t* title, DWORD style, POINT at, HWND owner) {
    return unique_hwnd(::CreateWindowExW(0, L"TarnelleTestWindow", title, style, at.x, at.y, 220, 150, owner,
                                         nullptr, ::GetModuleHandleW(nullptr), nullptr));
  };
  const unique_hwnd root = make(L"Root", WS_OVERLAPPEDWINDOW, {0, 0}, nullptr);  // never shown
  const unique_hwnd window = make(L"Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {20, 20}, root.get());
  const unique_hwnd dialog = make(L"Dialog", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {60, 400}, root.get());
  ASSERT_TRUE(ToFront(dialog.get()));
  ::EnableWindow(window.get(), FALSE);
  ASSERT_TRUE(ToFront(other.get()));
  const auto attempt = keyfun::ChangeForm(Platform(), ToHandle(window.get()));
  EXPECT_EQ(attempt.result, keyfun::SwitchAttempt::Result::kInFront);
  EXPECT_EQ(::GetForegroundWindow(), dialog.get());
}

TEST(Platform, AStoreAppsFrameIsItsCoreWindowsProgramAndNobodyWithoutIt) {
  const unique_hwnd frame = TestWindow(L"Frame", {20, 20});
  Target app;
  ASSERT_TRUE(app.Start(L"--core"));
  const std::wstring host = SetFrameHostName(L"tarnelle_tests.exe");  // this program stands for the host
  ::SetParent(app.window(), frame.get());
  const Described shown = Describe(frame.get());
  ::SetParent(app.window(), nullptr);  // the app minimised: its window leaves the frame
  const Described detached = Describe(frame.get());
  SetFrameHostName(host);
  const Described plain = Describe(frame.get());
  EXPECT_EQ(shown.kind, Described::Kind::kKnown);
  EXPECT_TRUE(shown.identity.program.ends_with(L"\\target.exe")) << shown.identity.program;
  EXPECT_EQ(shown.identity.window_class, L"TarnelleTestWindow");
  EXPECT_EQ(detached.kind, Described::Kind::kDetachedFrame);
  EXPECT_EQ(plain.kind, Described::Kind::kKnown);
  EXPECT_TRUE(plain.identity.program.ends_with(L"\\tarnelle_tests.exe")) << plain.identity.program;
}

// The program may live in a folder of any depth the platform allows.
TEST(Platform, StartingWithTheSessionIsRecognisedForAPathOfAnyLength) {
  std::wstring exe = L"C:\\";
  while (exe.size() < 2000) {
    exe += L"a folder with a long name\\";
  }
  exe += L"tarnelle.exe";
  ASSERT_TRUE(shell::SetStartWithSession(exe, true));
  EXPECT_TRUE(shell::StartsWithSession(exe));
  EXPECT_FALSE(shell::StartsWithSession(L"C:\\tarnelle.exe"));
  ASSERT_TRUE(shell::SetStartWithSession(exe, false));
  EXPECT_FALSE(shell::StartsWithSession(exe));
}

}  // namespace
}  // namespace tarnelle::switcher
