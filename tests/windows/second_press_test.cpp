// A press for a window already in front, as chosen in the tray's menus: nothing more than
// bringing it forward until something is chosen, as the Windows menu's "Bring it forward" does;
// the program's other windows in turn; minimised and back; the choice for all followed by a slot
// left "As in Options"; every choice kept over a restart; and a slot's window forgotten.

#include "tests/windows/tarnelle_test.h"

namespace tarnelle::driver {
namespace {

// From "As in Options" (the first of a slot's) or "Do nothing" (the first in Options).
std::vector<Key> Choosing(std::vector<Key> menu, int downs) {
  menu.insert(menu.end(), static_cast<std::size_t>(downs), kDown);
  return Then(menu, {kEnter});
}
constexpr int kSlotNext = 3;
constexpr int kSlotMinimise = 4;
constexpr int kOptionsMinimise = 3;

class SecondPress : public Tarnelle {
 protected:
  // Slot 1 holds the first of three windows of one program, slot 2 an editor, slot 3 mail; a
  // restart keeps the settings file as the program left it.
  void StartWithSlots(bool restart = false) {
    if (restart) {
      ASSERT_DONE(app.Start());
    } else {
      Start(IniWith({1, 2, 3}));
    }
    ASSERT_TRUE(app.Tick(1) && app.Tick(2) && app.Tick(3));
    Remember(1, program[0].window());
    Remember(2, editor.get());
    Remember(3, mail.get());
    ASSERT_TRUE(app.ChooseMode(true));
  }
  // With |window| in front, presses |slot|: true when |then| holds afterwards.
  bool PressFor(int slot, HWND window, const std::function<bool()>& then) {
    if (!ToFront(window)) {
      return false;
    }
    PressSlot(slot);
    return app.Settled() && WaitFor(then);
  }
  static bool InFront(HWND window) { return ::GetForegroundWindow() == window && !::IsIconic(window); }

  void SetUp() override {
    Tarnelle::SetUp();
    for (int i = 0; i < 3; ++i) {  // side by side, right of the program's window
      ASSERT_TRUE(program[i].Start(L"Window " + std::to_wstring(i + 1)));
      ::SetWindowPos(program[i].window(), nullptr, 780, 20 + 180 * i, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
  }

  Target program[3];
  const unique_hwnd editor = TestWindow(L"Editor", {20, 20});
  const unique_hwnd mail = TestWindow(L"Mail", {20, 200});
};

TEST_F(SecondPress, WithNothingChosenAPressForTheWindowInFrontOnlyBringsItForward) {
  StartWithSlots();
  EXPECT_TRUE(PressFor(1, program[0].window(), [&] { return InFront(program[0].window()); }));
  WaitFor([] { return false; }, 500);  // nothing more comes
  EXPECT_TRUE(InFront(program[0].window()));
  EXPECT_TRUE(PressFor(2, editor.get(), [&] { return InFront(editor.get()); }));
  for (const bool change : {true, false}) {  // and the Windows menu brings it in either mode
    ASSERT_TRUE(app.ChooseMode(change) && ToFront(mail.get()));
    ASSERT_TRUE(ChooseFromMenu(Then(SlotMenu(2), {kEnter})));  // Bring it forward
    EXPECT_TRUE(WaitFor([&] { return InFront(editor.get()); })) << "mode " << change;
  }
}

TEST_F(SecondPress, ChoicesFromTheMenusActOnTheNextPressSurviveARestartAndAWindowIsForgotten) {
  StartWithSlots();
  ASSERT_TRUE(ChooseFromMenu(Choosing(InFrontMenu(1), kSlotNext)));
  ASSERT_TRUE(ChooseFromMenu(Choosing(InFrontMenu(2), kSlotMinimise)));
  ASSERT_TRUE(ChooseFromMenu(Choosing(InFrontMenu(0), kOptionsMinimise)));
  // Each kept the moment it is made; read again while the program may still be writing the file.
  EXPECT_TRUE(WaitFor([&] {
    return app.Saved(L"WhenInFront", L"Options") == L"Minimise" &&
           app.Saved(L"Slot1", L"WhenInFront") == L"NextWindow" &&
           app.Saved(L"Slot2", L"WhenInFront") == L"Minimise";
  }));
  for (const bool restarted : {false, true}) {
    SCOPED_TRACE(restarted ? "after a restart" : "as chosen");
    // The program's windows used in turn, the first last. Windows stacks each window it activates
    // on top; Wine leaves the stacking as it was, so the test stacks them as Windows would.
    for (int i = 2; i >= 0; --i) {
      ::SetWindowPos(program[i].window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ASSERT_TRUE(ToFront(program[0].window()));
    for (const int next : {2, 1, 0}) {
      PressSlot(1);
      EXPECT_TRUE(WaitFor([&] { return InFront(program[next].window()); })) << "window " << next + 1;
    }
    EXPECT_EQ(TextOf(app.SlotText(1)), HandleText(program[0].window())) << "the slot keeps its own";
    EXPECT_TRUE(PressFor(2, editor.get(), [&] { return ::IsIconic(editor.get()) != FALSE; }));
    PressSlot(2);
    EXPECT_TRUE(WaitFor([&] { return InFront(editor.get()); })) << "not brought back";
    // Slot 3 is left "As in Options", where "Minimise it" is chosen.
    EXPECT_TRUE(PressFor(3, mail.get(), [&] { return ::IsIconic(mail.get()) != FALSE; }));
    ::ShowWindow(mail.get(), SW_RESTORE);
    if (!restarted) {
      Close();
      StartWithSlots(true);
    }
  }
  ASSERT_TRUE(ChooseFromMenu(Then(SlotMenu(2), {kDown, kDown, kEnter})));  // Forget this window
  EXPECT_TRUE(WaitFor([&] { return TextOf(app.SlotText(2)).empty(); }));
  EXPECT_EQ(TextOf(app.SlotText(1)), HandleText(program[0].window()));
}

}  // namespace
}  // namespace tarnelle::driver
