// What the slots decide, on a desktop of the tests' own making: a switch that lands or is
// escalated, a window followed or a program started, going back, the menus and the exit.

#include <functional>

#include "tests/native/desktop.h"

namespace tarnelle::switcher::testing {
namespace {

using Mode = SlotModel::Mode;
constexpr auto kGet = Mode::kGetForm;
constexpr auto kChange = Mode::kStartChangeForm;

// The whole of an escalation, with time to spare.
constexpr unsigned kEscalationMs = 3 * Escalation::kSettleMs + Escalation::kWorkerLimitMs + 500;

// The desktop most cases start from: the user works in Mail; slot 1 holds the editor.
struct Scene {
  Scene() {
    editor = d.Add({.identity = Program(L"editor.exe", L"notes.txt")});
    mail = d.Add({.identity = Program(L"mail.exe", L"Inbox")});
    d.Start();
    Remember(1, editor);
    d.Click(mail);
    d.TakeLog();
  }
  void Remember(int slot, Handle window) {
    d.Click(window);
    d.model->Press(slot, kGet);
  }
  // Windows followed and programs started; slot 3 remembers |exe|, which is on disk.
  void Follow(const wchar_t* exe) {
    d.file[L"Options/FollowWindows"] = L"1";
    d.file[L"Options/StartMissing"] = L"1";
    d.file[L"Windows/Slot3"] = EncodeIdentity(Program(exe, L"Tool"));
    d.files.insert(Program(exe, L"").program);
    d.model->Start();
  }
  Handle Open(const wchar_t* exe, const wchar_t* title, bool behind = true) {
    return d.Add({.identity = Program(exe, title)}, behind);
  }
  Desktop d;
  Handle editor = 0;
  Handle mail = 0;
};

TEST(Escalation, EachRefusalTakesTheNextStepAndOnlyItsEndIsHeard) {
  struct Arranged {
    int refusals = 0;  // of the editor, the target
    bool busy = false;
    bool hangs = false;  // attaching to the thread in front
    Integrity front = Integrity::kNotAbove;
    Integrity target = Integrity::kNotAbove;
  };
  const struct {
    const char* name;
    Arranged arranged;
    std::string calls;  // "attach N": to the thread of window N; flash: the editor's button
    bool lands;
  } cases[] = {
      {"granted", {}, "set", true},
      {"refused once", {1}, "set attach 12 set detach", true},
      {"refused twice", {2}, "set attach 12 set detach key set", true},
      {"always refused", {99}, "set attach 12 set detach key set flash 11 warn", false},
      {"attaching hangs", {99, false, true}, "set key set flash 11 warn", false},
      // A target busy for a moment is not given up on: the key step tries again.
      {"target busy", {1, true}, "set key set", true},
      // Who cannot be attached to is the window in front, not the target.
      {"front above us", {1, false, false, Integrity::kAbove}, "set flash 11 warn", false},
      {"target above us",
       {1, false, false, Integrity::kNotAbove, Integrity::kAbove},
       "set attach 12 set detach",
       true},
      {"front unreadable", {1, false, false, Integrity::kUnknown}, "set attach 12 set detach", true},
  };
  for (const auto& [name, arranged, calls, lands] : cases) {
    SCOPED_TRACE(name);
    Scene s;
    s.d[s.editor].refusals = arranged.refusals;
    s.d[s.editor].answers = !arranged.busy;
    s.d.workers_hang = arranged.hangs;
    s.d[s.mail].integrity = arranged.front;
    s.d[s.editor].integrity = arranged.target;
    s.d.model->Press(1, kChange);
    s.d.Run(kEscalationMs);
    EXPECT_EQ(s.d.TakeLog(), calls);
    EXPECT_EQ(s.d.front == s.editor, lands);
    EXPECT_TRUE(s.d.timers.empty()) << "the escalation did not end";
    EXPECT_TRUE(s.d.allowed == 0 || s.d.allowed == s.editor)
        << "the foreground was offered to " << s.d.allowed;
  }
}

TEST(Escalation, EndsSilentlyAtTheNextPressOrWhenTheUserGoesToAnotherWindow) {
  const struct {
    const char* name;
    std::function<void(Scene&)> meanwhile;  // 100 ms into an escalation that would never land
    Handle in_front;                        // Mail is 12, a window opened meanwhile 13
  } cases[] = {
      {"a click elsewhere", [](Scene& s) { s.d.Click(s.Open(L"calc.exe", L"Calc")); }, 13},
      {"a press in Get Form", [](Scene& s) { s.d.model->Press(2, kGet); }, 12},
      {"a press that starts a program", [](Scene& s) { s.Follow(L"tool.exe"), s.d.model->Press(3, kChange); },
       12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Scene s;
    s.d[s.editor].refusals = 99;
    s.d.model->Press(1, kChange);
    s.d.Run(100);
    c.meanwhile(s);
    s.d.Run(kEscalationMs);
    const std::string log = s.d.TakeLog();
    EXPECT_EQ(log.find("flash"), std::string::npos) << log;
    EXPECT_EQ(log.find("warn"), std::string::npos) << log;
    EXPECT_EQ(s.d.front, c.in_front) << log;
  }
}

TEST(Escalation, AWorkerOfAnOlderSwitchKeepsItsHandsOffTheForeground) {
  Desktop d;
  const Handle front = d.Add({.identity = Program(L"mail.exe", L"Inbox")});
  const Handle target = d.Add({.identity = Program(L"editor.exe", L"notes.txt")}, true);
  d.front = front;
  const SlotCalls calls = d.Calls();
  const auto current = std::make_shared<std::atomic<unsigned>>(7);
  EXPECT_EQ(AttachAndAsk(calls, {target, 7, current}), WorkerResult::kAsked);
  EXPECT_EQ(d.TakeLog(), "attach 11 set detach");
  EXPECT_EQ(d.allowed, target);
  d.front = front;
  current->store(8);  // a newer switch is followed now
  EXPECT_EQ(AttachAndAsk(calls, {target, 7, current}), WorkerResult::kRefused);
  EXPECT_EQ(d.TakeLog(), "attach 11 detach");
  d[front].answers = false;  // attaching to a thread that does not answer would hang us
  EXPECT_EQ(AttachAndAsk(calls, {target, 8, current}), WorkerResult::kRefused);
  d[target].answers = false;
  EXPECT_EQ(AttachAndAsk(calls, {target, 8, current}), WorkerResult::kSilent);
  EXPECT_EQ(d.TakeLog(), "");
}

TEST(ChangeForm, AWindowHeldByAModalDialogGivesWayToIt) {
  const struct {
    const char* name;
    bool owned_by_hidden_root;  // the dialog's owner: a hidden window that owns the window too
    bool dialog_visible;
    bool window_enabled;
    bool lands_on_dialog;
  } cases[] = {
      {"dialog of the window", false, true, false, true},
      {"dialog of a hidden root owner", true, true, false, true},
      {"no dialog to be seen", true, false, false, false},
      {"an enabled window", false, true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Desktop d;
    const Handle root = c.owned_by_hidden_root ? d.Add({.visible = false}) : 0;
    const Handle window = d.Add({.enabled = c.window_enabled, .owner = root});
    const Handle dialog = d.Add({.visible = c.dialog_visible, .owner = root != 0 ? root : window});
    d[root != 0 ? root : window].last_popup = dialog;
    const Handle other = d.Add({});
    d.front = other;
    const keyfun::SwitchAttempt attempt = keyfun::ChangeForm(d.Calls(), window);
    EXPECT_EQ(d.front, c.lands_on_dialog ? dialog : window);
    EXPECT_EQ(attempt.result, keyfun::SwitchAttempt::Result::kInFront);
  }
}

// A followed slot whose program restarted: slot 1 remembered the editor's "notes.txt".
struct Followed : Scene {
  Followed() {
    Follow(L"editor.exe");
    Remember(1, editor);
    d.Click(mail);
    d.Close(editor);
    d.TakeLog();
  }
  void TakenByMail() {  // and the user is in another window
    d.Type(1, std::to_wstring(mail));
    d.Click(Open(L"calc.exe", L"Calc"));
  }
};

TEST(Following, AGoneWindowIsFollowedOnlyToOneThatStandsForItAndStartedOnlyWhenNoneIsOpen) {
  const struct {
    const char* name;
    std::function<void(Followed&)> arrange;
    std::string calls;
    bool slot_moves;  // the slot takes another window, which comes forward
  } cases[] = {
      {"its title open again", [](Followed& f) { f.Open(L"editor.exe", L"notes.txt"); }, "set", true},
      {"the only window of its program", [](Followed& f) { f.Open(L"editor.exe", L"other.txt"); }, "set",
       true},
      {"one of several of its program",
       [](Followed& f) { f.Open(L"editor.exe", L"a.txt"), f.Open(L"editor.exe", L"b.txt"); }, "warn", false},
      {"none open", [](Followed&) {}, "start C:\\Apps\\editor.exe", false},
      // Its handle now names another program's window, which never comes forward for the slot.
      {"handle taken, none open", [](Followed& f) { f.TakenByMail(); }, "start C:\\Apps\\editor.exe", false},
      {"handle taken, program missing", [](Followed& f) { f.d.files.clear(), f.TakenByMail(); }, "warn",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Followed f;
    c.arrange(f);
    const std::wstring held = f.d.shown[1];
    const Handle front = f.d.front;
    f.d.model->Press(1, kChange);
    EXPECT_EQ(f.d.TakeLog(), c.calls);
    EXPECT_EQ(f.d.shown[1] != held, c.slot_moves);
    EXPECT_EQ(f.d.front != front, c.slot_moves);
  }
}

TEST(Following, AStoreAppsFrameWithoutItsAppIsNobodyAndNothingIsStartedForIt) {
  Followed f;
  const Handle frame =
      f.d.Add({.identity = {L"C:\\Windows\\ApplicationFrameHost.exe", L"ApplicationFrameWindow", L"Photos"},
               .kind = Described::Kind::kDetachedFrame});
  f.Remember(2, frame);
  EXPECT_EQ(f.d.file[L"Windows/Slot2"], L"") << "the frame host was kept as the slot's program";
  f.d.Click(f.mail);
  f.d.TakeLog();
  f.d.model->Press(2, kChange);
  EXPECT_EQ(f.d.TakeLog(), "set");
  EXPECT_EQ(f.d.front, frame);
  // An app remembered while it showed; now out of its frame, the frame still stands for it.
  f.d.file[L"Windows/Slot3"] = EncodeIdentity(
      {L"C:\\Program Files\\WindowsApps\\Photos\\Photos.exe", L"ApplicationFrameWindow", L"Photos"});
  f.d.model->Start();
  f.d.Type(3, std::to_wstring(frame));
  f.d.Click(f.mail);
  f.d.model->Press(3, kChange);
  EXPECT_EQ(f.d.TakeLog(), "set");
  EXPECT_EQ(f.d.front, frame);
}

TEST(StartedPrograms, TheWindowTakesTheSlotAndTheFrontOnlyIfNeitherMovedOnMeanwhile) {
  const struct {
    const char* name;
    std::function<void(Followed&)> meanwhile;  // between the press and the window
    bool comes_in_front;                       // the new window takes the front itself
    bool takes_slot;
    std::string calls;  // after the start; "flash N": the new window's button
  } cases[] = {
      {"nothing changed", [](Followed&) {}, false, true, "set"},
      {"it came in front itself", [](Followed&) {}, true, true, ""},
      {"the slot took another window", [](Followed& f) { f.d.model->Press(1, kGet); }, false, false, "set"},
      {"the user went on", [](Followed& f) { f.d.Click(f.Open(L"calc.exe", L"Calc")); }, false, true,
       "flash 14"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Followed f;
    f.d.model->Press(1, kChange);
    f.d.model->Press(1, kChange);  // a second press while it starts starts nothing more
    EXPECT_EQ(f.d.TakeLog(), "start C:\\Apps\\editor.exe");
    f.d.Run(300);
    c.meanwhile(f);
    const std::wstring held = f.d.shown[1];
    const Handle started = f.Open(L"editor.exe", L"Untitled", !c.comes_in_front);
    if (c.comes_in_front) {
      f.d.front = started;
    }
    f.d.Run(300);
    EXPECT_EQ(f.d.shown[1], c.takes_slot ? std::to_wstring(started) : held);
    EXPECT_EQ(f.d.TakeLog(), c.calls);
    EXPECT_TRUE(f.d.timers.empty());
  }
  Followed f;  // nothing comes: the user hears it when the time is up
  f.d.model->Press(1, kChange);
  f.d.Run(static_cast<unsigned>(SlotModel::kStartGiveUpMs) + 500);
  EXPECT_EQ(f.d.TakeLog(), "start C:\\Apps\\editor.exe warn");
}

TEST(GoingBack, APressForTheWindowInFrontGoesBackToTheWindowTheUserWasInNeverToOurs) {
  Scene s;
  s.d.file[L"Options/PressAgainGoesBack"] = L"1";
  s.d.model->Start();
  const Handle ours = s.d.Add({.ours = true}, true);  // the main window, shown
  // From the menu: our own window is in front when the choice is made, and may have been when
  // the menu opened; the user was in Mail.
  for (const bool ours_at_menu : {false, true}) {
    s.d.Click(s.mail);
    s.d.model->Press(1, kChange);
    s.d.model->Press(1, kChange);  // back in Mail, the editor the window to go back to
    s.d.Click(ours_at_menu ? ours : s.mail);
    std::ignore = s.d.model->OpenMenu();
    s.d.front = ours;
    s.d.model->Choose({shell::MenuChoice::Kind::kBringForward, 1});
    EXPECT_EQ(s.d.front, s.editor);
    s.d.model->Press(1, kChange);
    EXPECT_EQ(s.d.front, ours_at_menu ? s.editor : s.mail) << "went back to " << s.d.front;
  }
}

TEST(Menu, ShowsEachSlotsWindowOrWhyThereIsNoneAndWhatAPressWouldStart) {
  Followed f;
  f.Remember(2, f.mail);
  f.d.file[L"Windows/Slot3"] = EncodeIdentity(Program(L"gone.exe", L"Gone"));  // not on disk
  f.d.model->Start();
  f.d.Type(4, L"no handle");
  const shell::MenuState menu = f.d.model->OpenMenu();
  const std::pair<std::wstring, bool> expected[] = {
      {L"1   Ctrl + F1   (not running)", true}, {L"2   Ctrl + F2   Inbox", true},
      {L"3   Ctrl + F3   (no window)", false},  {L"4   Ctrl + F4   (no window)", false},
      {L"5   Ctrl + F5   (no window)", false},
  };
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(menu.windows[i].text, expected[i].first);
    EXPECT_EQ(menu.windows[i].can_bring, expected[i].second) << expected[i].first;
  }
  EXPECT_TRUE(menu.follow_windows && menu.start_missing && menu.in_front == InFront::kNothing);
}

TEST(Settings, WindowsAreWrittenWhenTheyChangeTheirSectionHoldingTheTenSlotsAlone) {
  Scene s;
  s.d.file[L"Options/FollowWindows"] = L"1";
  s.d.file[L"Windows/Other"] = L"hand-written";
  s.d.model->Start();
  s.Remember(1, s.editor);  // a crash from here on loses nothing
  EXPECT_EQ(DecodeIdentity(s.d.file[L"Windows/Slot1"]), Program(L"editor.exe", L"notes.txt"));
  EXPECT_FALSE(s.d.file.contains(L"Windows/Other"));
  EXPECT_EQ(std::count_if(s.d.file.begin(), s.d.file.end(),
                          [](const auto& kv) { return kv.first.starts_with(L"Windows/"); }),
            10);
}

TEST(Settings, ARefusedOptionChoiceOrRunValueIsTold) {
  Scene s;
  s.d.file_refuses = true;
  s.d.model->Choose({shell::MenuChoice::Kind::kStartMissing});
  s.d.model->Choose({shell::MenuChoice::Kind::kSlotInFront, 3, InFront::kGoBack});
  s.d.run_refuses = true;
  s.d.model->Choose({shell::MenuChoice::Kind::kStartWithWindows});
  const std::wstring file = L"The options could not be saved to C:\\Tarnelle\\set.ini.";
  const std::vector<std::wstring> told = {
      file, file,
      L"The options could not be saved to "
      L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run."};
  EXPECT_EQ(s.d.errors, told);
}

TEST(Exit, EveryWaySavesAndRemovesTheIconAndOnlyALogOffLeavesTheEndToTheSession) {
  using Route = SlotModel::ExitRoute;
  const struct {
    Route route;
    bool refused;
    std::string calls;
    bool told;
  } cases[] = {
      {Route::kClose, false, "save hotkeys remove icon end", false},
      {Route::kClose, true, "save hotkeys remove icon end", true},
      {Route::kLogOff, true, "save hotkeys remove icon", false},
      {Route::kCloseApp, false, "save hotkeys remove icon end", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.route));
    Scene s;
    s.d.hotkeys_refused = c.refused ? L"C:\\Tarnelle\\set.ini" : L"";
    s.d.model->Exit(c.route);
    s.d.model->Exit(c.route);  // a second close while the first one's message is open
    EXPECT_EQ(s.d.TakeLog(), c.calls);
    EXPECT_EQ(s.d.errors.size(), c.told ? 1u : 0u);
  }
}

TEST(Exit, OnceItBeganNoPressStartOrEscalationActs) {
  Followed f;
  const Handle stubborn = f.Open(L"calc.exe", L"Calc");
  f.d[stubborn].refusals = 99;
  f.Remember(2, stubborn);
  f.d.Click(f.mail);
  f.d.model->Press(1, kChange);  // its program starts
  f.d.model->Press(2, kChange);  // and the switch to a window that refuses is escalated
  f.d.Run(100);
  f.d.model->Exit(SlotModel::ExitRoute::kClose);
  f.d.TakeLog();
  const std::wstring shown = f.d.shown[2];
  f.Open(L"editor.exe", L"notes.txt");  // the started program's window
  f.d.model->Press(2, kGet);
  f.d.model->Press(1, kChange);
  f.d.model->Choose({shell::MenuChoice::Kind::kBringForward, 1});
  f.d.model->Choose({shell::MenuChoice::Kind::kFollowWindows});
  f.d.Run(kEscalationMs);
  EXPECT_EQ(f.d.TakeLog(), "");
  EXPECT_EQ(f.d.shown[2], shown);
  EXPECT_TRUE(f.d.timers.empty());
}

}  // namespace
}  // namespace tarnelle::switcher::testing
