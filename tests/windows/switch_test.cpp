// Bringing a window forward when the platform refuses: the steps tried, in their order and within
// their time limit, and a newer switch served at once meanwhile. The platform under Wine refuses
// nothing, so the switch's own seam refuses the foreground call a given number of times; this runs
// inside the test program, on its windows.

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "switcher/activation.h"
#include "switcher/keyfun.h"
#include "switcher/open_windows.h"
#include "tests/windows/tarnelle_test.h"

namespace tarnelle::switcher {
namespace {

using namespace driver;
using Clock = std::chrono::steady_clock;

// The calls a switch made, refusing the foreground to |refused| the first |refusals| times. A
// worker left behind may still call after the seam is gone: what it calls keeps what it needs.
class Seam {
 public:
  Seam(HWND refused, int refusals, bool attach_hangs) {
    auto state = state_;
    state->refusals = refusals;
    const keyfun::ForegroundCalls platform = keyfun::Calls();
    previous_ = keyfun::SetForegroundCalls({
        .set_foreground =
            [=](HWND window) {
              state->Note("set");
              return window == refused && state->refusals-- > 0 ? FALSE : platform.set_foreground(window);
            },
        .get_foreground = platform.get_foreground,
        .attach_input =
            [=](DWORD from, DWORD to, BOOL attach) {
              state->Note(attach ? "attach" : "detach");
              if (attach && attach_hangs) {
                ::WaitForSingleObject(state->release.get(), INFINITE);  // as a thread that never answers
              }
              return platform.attach_input(from, to, attach);
            },
        .press_unassigned_key =
            [=] {
              state->Note("key");
              platform.press_unassigned_key();
            },
        .flash = [=](HWND) { state->Note("flash"); },
        .warn = [=] { state->Note("warn"); },
    });
  }
  ~Seam() {
    ::SetEvent(state_->release.get());
    keyfun::SetForegroundCalls(previous_);
  }
  Seam(const Seam&) = delete;
  Seam& operator=(const Seam&) = delete;

  [[nodiscard]] std::string Calls() const {
    const std::scoped_lock lock(state_->mutex);
    return state_->calls;
  }

 private:
  struct State {
    void Note(const char* call) {
      const std::scoped_lock lock(mutex);
      calls += calls.empty() ? call : std::string(" ") + call;
    }
    std::atomic<int> refusals = 0;
    std::mutex mutex;
    std::string calls;
    unique_handle release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
  keyfun::ForegroundCalls previous_;
};

// The keys sent while it is alive, each as (key, down), seen as every program sees them.
class KeyLog {
 public:
  KeyLog() : hook_(::SetWindowsHookExW(WH_KEYBOARD_LL, &Note, ::GetModuleHandleW(nullptr), 0)) {
    Keys().clear();
  }
  [[nodiscard]] bool Hooked() const { return hook_ != nullptr; }
  // Whether a key came up that was not also pressed while logging: a held key let go of.
  [[nodiscard]] static bool LetGoOfAHeldKey() {
    std::vector<DWORD> down;
    for (const auto& [key, pressed] : Keys()) {
      if (pressed) {
        down.push_back(key);
      } else if (std::erase(down, key) == 0) {
        return true;
      }
    }
    return false;
  }

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

// Both escalations end: in front, or the window's button flashing and the warning heard; after
// a step's wait for the window (Activation::kSettleMs) or for a stuck worker (kWorkerLimitMs).
constexpr auto kLongestEscalation =
    std::chrono::milliseconds(3 * Activation::kSettleMs + Activation::kWorkerLimitMs + 1000);

TEST(Escalation, EachRefusalTakesTheNextStepAndTheLastOneIsHeard) {
  const struct {
    int refusals;
    bool attach_hangs;
    const char* calls;
    bool lands;
  } cases[] = {
      {0, false, "set", true},
      {1, false, "set attach set detach", true},
      {2, false, "set attach set detach key set", true},
      {99, false, "set attach set detach key set flash warn", false},
      {99, true, "set attach key set flash warn", false},  // the attach step waits no longer than its limit
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.refusals) + " refusals" + (c.attach_hangs ? ", attaching hangs" : ""));
    const unique_hwnd front = TestWindow(L"In front", {20, 20});
    const unique_hwnd target = TestWindow(L"Wanted", {20, 200});
    ASSERT_TRUE(ToFront(front.get()));
    KeyDown(kCtrl);  // held from the hotkey: it stays held
    const KeyLog keys;
    ASSERT_TRUE(keys.Hooked());
    Seam seam(target.get(), c.refusals, c.attach_hangs);
    Activation activation;
    ASSERT_TRUE(activation.Create());
    const auto start = Clock::now();
    activation.Follow(keyfun::ChangeForm(keyfun::ToHandle(target.get())));
    EXPECT_TRUE(WaitFor([&] {
      return seam.Calls() == c.calls && (!c.lands || ::GetForegroundWindow() == target.get());
    })) << seam.Calls();
    EXPECT_LT(Clock::now() - start, kLongestEscalation);
    WaitFor([] { return false; }, Activation::kSettleMs * 2);  // nothing more comes
    EXPECT_EQ(seam.Calls(), c.calls);
    EXPECT_EQ(::GetForegroundWindow() == target.get(), c.lands);
    EXPECT_FALSE(KeyLog::LetGoOfAHeldKey()) << "the key step let go of a held key";
    KeyUp(kCtrl);
  }
}

TEST(Escalation, ANewerSwitchIsServedAtOnceAndTheOlderOneGivesUpSilently) {
  const unique_hwnd front = TestWindow(L"In front", {20, 20});
  const unique_hwnd refused = TestWindow(L"Refused", {20, 200});
  const unique_hwnd wanted = TestWindow(L"Wanted next", {260, 200});
  ASSERT_TRUE(ToFront(front.get()));
  Seam seam(refused.get(), 99, true);
  Activation activation;
  ASSERT_TRUE(activation.Create());
  // A hotkey of this thread stands for the next slot's.
  ASSERT_TRUE(::RegisterHotKey(front.get(), 1, MOD_CONTROL | MOD_SHIFT, VK_F12));
  activation.Follow(keyfun::ChangeForm(keyfun::ToHandle(refused.get())));
  ASSERT_TRUE(WaitFor([&] { return seam.Calls().ends_with("attach"); }));  // its worker is stuck
  Press({kCtrl, kShift}, kF(12));
  Clock::time_point served{};
  EXPECT_TRUE(WaitFor([&] {
    MSG msg;
    if (::PeekMessageW(&msg, front.get(), WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
      served = Clock::now();
      activation.Follow(keyfun::ChangeForm(keyfun::ToHandle(wanted.get())));
    }
    return ::GetForegroundWindow() == wanted.get();
  }));
  EXPECT_LT(Clock::now() - served, std::chrono::milliseconds(Activation::kSettleMs));
  WaitFor([] { return false; }, static_cast<int>(kLongestEscalation.count()));
  EXPECT_EQ(::GetForegroundWindow(), wanted.get());
  EXPECT_EQ(seam.Calls().find("warn"), std::string::npos) << seam.Calls();
  ::UnregisterHotKey(front.get(), 1);
}

TEST(Escalation, NoWindowAndAHiddenOneAreHeardAndChangeNothing) {
  const unique_hwnd front = TestWindow(L"In front", {20, 20});
  unique_hwnd hidden = TestWindow(L"Hidden", {20, 200});
  ::ShowWindow(hidden.get(), SW_HIDE);
  const HWND closed = TestWindow(L"Closed", {260, 200}).get();
  ASSERT_TRUE(ToFront(front.get()));
  Seam seam(nullptr, 0, false);
  Activation activation;
  ASSERT_TRUE(activation.Create());
  for (const HWND window : {closed, hidden.get()}) {
    activation.Follow(keyfun::ChangeForm(keyfun::ToHandle(window)));
  }
  activation.Follow(keyfun::ChangeForm(0));  // an empty slot stays silent
  EXPECT_EQ(seam.Calls(), "warn warn");
  EXPECT_FALSE(::IsWindowVisible(hidden.get()));
  EXPECT_EQ(::GetForegroundWindow(), front.get());
}

TEST(StoreApps, AFrameHostsWindowIsTheProgramOfTheCoreWindowItShows) {
  const unique_hwnd frame = TestWindow(L"Frame", {20, 20});
  Target app;
  ASSERT_TRUE(app.Start(L"--core"));
  ::SetParent(app.window(), frame.get());
  const std::wstring host = SetFrameHostName(L"tarnelle_tests.exe");  // this program stands for the host
  const auto shown = IdentityOf(frame.get());
  SetFrameHostName(host);
  const auto plain = IdentityOf(frame.get());
  ASSERT_TRUE(shown && plain);
  EXPECT_TRUE(shown->program.ends_with(L"\\target.exe")) << shown->program;
  EXPECT_TRUE(plain->program.ends_with(L"\\tarnelle_tests.exe")) << plain->program;
  EXPECT_EQ(shown->window_class, L"TarnelleTestWindow");
}

}  // namespace
}  // namespace tarnelle::switcher
