// What a press does for a slot whose window is already in front, as chosen for the slot or for
// all in the tray's menus; how the choices are kept; and forgetting a slot's window.

#include <functional>

#include "tests/native/desktop.h"

namespace tarnelle::switcher::testing {
namespace {

using Kind = shell::MenuChoice::Kind;
constexpr auto kGet = SlotModel::Mode::kGetForm;
constexpr auto kChange = SlotModel::Mode::kStartChangeForm;

TEST(MenuCommands, EveryChoiceHasANumberOfItsOwnAndComesBackFromIt) {
  std::vector<shell::MenuChoice> all = {
      {Kind::kFollowWindows}, {Kind::kStartMissing}, {Kind::kStartWithWindows}};
  for (const InFront in_front :
       {InFront::kNothing, InFront::kGoBack, InFront::kNextWindow, InFront::kMinimise}) {
    all.push_back({Kind::kInFront, 0, in_front});
  }
  for (int slot = 1; slot <= 10; ++slot) {
    all.push_back({Kind::kBringForward, slot});
    all.push_back({Kind::kForget, slot});
    for (int c = 0; c <= static_cast<int>(InFront::kMinimise); ++c) {
      all.push_back({Kind::kSlotInFront, slot, static_cast<InFront>(c)});
    }
  }
  std::set<unsigned> numbers = {1, 2, 3, 4};  // Show, the two About items, Exit
  for (const shell::MenuChoice& choice : all) {
    const unsigned command = shell::CommandOf(choice);
    EXPECT_TRUE(numbers.insert(command).second) << command << " twice";
    EXPECT_EQ(shell::ChoiceOf(command), choice) << command;
  }
  for (const unsigned none : {0u, 1u, 4u, 100u, 111u, 131u, 210u, 215u, 1005u, 1015u, 1115u, 5000u}) {
    EXPECT_EQ(shell::ChoiceOf(none), std::nullopt) << none;
  }
}

// The editor's program has three windows, behind Mail; slot 1 holds the first.
struct Program3 {
  Program3() {
    for (const wchar_t* title : {L"c.txt", L"b.txt", L"a.txt"}) {  // 11, 12, 13
      editor[title[0] - L'a'] = d.Add({.identity = Program(L"editor.exe", title)});
    }
    mail = d.Add({.identity = Program(L"mail.exe", L"Inbox")});  // 14
    d.Start();
    d.Click(editor[0]);
    d.model->Press(1, kGet);
    d.Click(mail);
  }
  void Choose(int slot, InFront in_front) {
    d.model->Choose({slot == 0 ? Kind::kInFront : Kind::kSlotInFront, slot, in_front});
  }
  Desktop d;
  Handle editor[3]{};
  Handle mail = 0;
};

TEST(InFront, EachChoiceActsOnlyForTheWindowReallyInFront) {
  enum Arranged { kAsIs, kItsDialogInFront, kMinimisedInFront, kOnAnotherDesktop, kMailOnAnotherDesktop };
  constexpr Handle kEditor = 13, kMail = 14, kDialog = 15, kNone = 0;
  const struct {
    const char* name;
    InFront global;
    InFront slot;
    Arranged arranged;  // with the slot's window in front, and Mail the window before
    std::string calls;  // of the press
    Handle now_in_front;
  } cases[] = {
      {"nothing chosen", InFront::kNothing, InFront::kAsInOptions, kAsIs, "set", kEditor},
      {"go back, as in Options", InFront::kGoBack, InFront::kAsInOptions, kAsIs, "set", kMail},
      {"the slot's own over Options", InFront::kMinimise, InFront::kGoBack, kAsIs, "set", kMail},
      {"minimise", InFront::kNothing, InFront::kMinimise, kAsIs, "minimise 13", kNone},
      {"minimise, its dialog in front", InFront::kNothing, InFront::kMinimise, kItsDialogInFront,
       "minimise 13", kDialog},
      {"minimise, said to be in front though minimised", InFront::kMinimise, InFront::kAsInOptions,
       kMinimisedInFront, "restore set", kEditor},
      {"next window, said to be in front though minimised", InFront::kNextWindow, InFront::kAsInOptions,
       kMinimisedInFront, "restore set", kEditor},
      {"go back, on another desktop", InFront::kGoBack, InFront::kAsInOptions, kOnAnotherDesktop, "set",
       kEditor},
      {"go back to another desktop", InFront::kGoBack, InFront::kAsInOptions, kMailOnAnotherDesktop, "",
       kEditor},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Program3 p;
    p.Choose(0, c.global);
    p.Choose(1, c.slot);
    p.d.model->Press(1, kChange);  // from Mail
    ASSERT_EQ(p.d.front, kEditor);
    if (c.arranged == kItsDialogInFront) {
      p.d.Click(p.d.Add({.owner = kEditor}));
    }
    p.d[kEditor].minimised = c.arranged == kMinimisedInFront;
    p.d[kEditor].cloaked = c.arranged == kOnAnotherDesktop;
    p.d[kMail].cloaked = c.arranged == kMailOnAnotherDesktop;
    p.d.TakeLog();
    p.d.model->Press(1, kChange);
    EXPECT_EQ(p.d.TakeLog(), c.calls);
    EXPECT_EQ(p.d.front, c.now_in_front);
  }
}

TEST(InFront, PressesVisitEveryWindowOfTheProgramInTurnAndLeaveTheSlotItsOwn) {
  Program3 p;
  // Not among the program's windows: an owned one, a tool window, one on another desktop.
  p.d.Add({.identity = Program(L"editor.exe", L"Find"), .owner = p.editor[1]}, true);
  p.d.Add({.identity = Program(L"editor.exe", L"Tools"), .tool = true}, true);
  p.d.Add({.identity = Program(L"editor.exe", L"Elsewhere"), .cloaked = true}, true);
  p.Choose(0, InFront::kNextWindow);
  const std::wstring held = p.d.shown[1];
  p.d.model->Press(1, kChange);  // from Mail: the slot's own window
  std::vector<Handle> visited = {p.d.front};
  for (int press = 0; press < 3; ++press) {
    p.d.model->Press(1, kChange);
    visited.push_back(p.d.front);
  }
  const std::vector<Handle> expected = {p.editor[0], p.editor[2], p.editor[1], p.editor[0]};
  EXPECT_EQ(visited, expected);
  EXPECT_EQ(p.d.shown[1], held);
  // From a window of another program, the slot's own comes first again.
  p.d.Click(p.mail);
  p.d.model->Press(1, kChange);
  EXPECT_EQ(p.d.front, p.editor[0]);
}

TEST(InFront, ChoicesAreReadAsTheFileHasThemAndWrittenSane) {
  const std::wstring huge(9000, L'M');
  const struct {
    const char* name;
    std::map<std::wstring, std::wstring> file;
    InFront global;
    InFront slot3;
    std::map<std::wstring, std::wstring> saved;  // what the file holds after a save, of these keys
  } cases[] = {
      // clang-format off
      {"nothing chosen", {}, InFront::kNothing, InFront::kAsInOptions,
       {{L"Options/WhenInFront", L""}, {L"WhenInFront/Slot3", L""}}},
      {"an older Tarnelle's", {{L"Options/PressAgainGoesBack", L"1"}}, InFront::kGoBack, InFront::kAsInOptions,
       {{L"Options/WhenInFront", L"GoBack"}, {L"Options/PressAgainGoesBack", L"1"}}},
      {"the newer value first", {{L"Options/PressAgainGoesBack", L"1"}, {L"Options/WhenInFront", L"Minimise"}},
       InFront::kMinimise, InFront::kAsInOptions,
       {{L"Options/WhenInFront", L"Minimise"}, {L"Options/PressAgainGoesBack", L"0"}}},
      {"junk", {{L"Options/WhenInFront", L"sideways"}, {L"WhenInFront/Slot3", L"-1"}}, InFront::kNothing,
       InFront::kAsInOptions, {{L"Options/WhenInFront", L"Nothing"}, {L"WhenInFront/Slot3", L"AsInOptions"}}},
      {"a slot's choice for Options", {{L"Options/WhenInFront", L"AsInOptions"}}, InFront::kNothing,
       InFront::kAsInOptions, {{L"Options/WhenInFront", L"Nothing"}}},
      {"huge", {{L"Options/WhenInFront", huge}, {L"WhenInFront/Slot3", huge}}, InFront::kNothing,
       InFront::kAsInOptions, {{L"Options/WhenInFront", L"Nothing"}, {L"WhenInFront/Slot3", L"AsInOptions"}}},
      {"a slot's", {{L"WhenInFront/Slot3", L"NextWindow"}, {L"WhenInFront/Other", L"1"}}, InFront::kNothing,
       InFront::kNextWindow, {{L"WhenInFront/Slot3", L"NextWindow"}, {L"WhenInFront/Slot4", L"AsInOptions"},
                              {L"WhenInFront/Other", L""}}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Desktop d;
    d.file = c.file;
    const shell::MenuState menu = d.Start().OpenMenu();
    EXPECT_EQ(menu.in_front, c.global);
    EXPECT_EQ(menu.windows[2].in_front, c.slot3);
    d.model->Exit(SlotModel::ExitRoute::kLogOff);
    for (const auto& [key, value] : c.saved) {
      EXPECT_EQ(d.file[key], value) << std::string(key.begin(), key.end());
    }
  }
}

TEST(InFront, AChoiceIsSavedTheMomentItIsMade) {
  Program3 p;
  p.Choose(2, InFront::kMinimise);
  p.Choose(0, InFront::kNextWindow);
  EXPECT_TRUE(p.d.file[L"WhenInFront/Slot2"] == L"Minimise" &&
              p.d.file[L"WhenInFront/Slot1"] == L"AsInOptions");
  EXPECT_EQ(p.d.file[L"Options/WhenInFront"], L"NextWindow");
}

TEST(Forget, TheSlotHoldsNoWindowNoIdentityAndStartsNothingAnyMore) {
  Desktop d;
  d.file[L"Options/FollowWindows"] = L"1";
  d.file[L"Options/StartMissing"] = L"1";
  d.files.insert(L"C:\\Apps\\editor.exe");
  const Handle editor = d.Add({.identity = Program(L"editor.exe", L"notes.txt")});
  d.Start();
  d.Click(editor);
  d.model->Press(1, kGet);
  d.Close(editor);
  d.model->Press(1, kChange);  // its program starts
  EXPECT_TRUE(d.model->OpenMenu().windows[0].can_forget);
  d.model->Choose({Kind::kForget, 1});
  d.TakeLog();
  d.Add({.identity = Program(L"editor.exe", L"notes.txt")});
  d.Run(1000);
  EXPECT_EQ(d.TakeLog(), "") << "the program started for it was still awaited";
  EXPECT_EQ(d.shown[1], L"");
  EXPECT_EQ(d.file[L"Windows/Slot1"], L"");
  const shell::MenuState menu = d.model->OpenMenu();
  EXPECT_EQ(menu.windows[0].text, L"1   Ctrl + F1   (no window)");
  EXPECT_FALSE(menu.windows[0].can_bring || menu.windows[0].can_forget);
  d.TakeLog();
  d.model->Press(1, kChange);  // an empty slot stays silent
  EXPECT_EQ(d.TakeLog(), "");
}

}  // namespace
}  // namespace tarnelle::switcher::testing
