#include "switcher/slot_model.h"

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "shell/autostart.h"
#include "switcher/handle_text.h"
#include "switcher/keyfun.h"

namespace tarnelle::switcher {
namespace {

constexpr int kLongestOwnerChain = 16;

std::vector<WindowIdentity> IdentitiesOf(const std::vector<OpenWindow>& open) {
  std::vector<WindowIdentity> identities;
  identities.reserve(open.size());
  for (const OpenWindow& w : open) {
    identities.push_back(w.identity);
  }
  return identities;
}

}  // namespace

SlotModel::SlotModel(SlotCalls calls, std::wstring settings_file)
    : calls_(std::move(calls)), settings_file_(std::move(settings_file)) {}

void SlotModel::Start() {
  memory_.Load();
  if (!memory_.Has(Option::kFollowWindows)) {
    return;  // a start shows no remembered windows
  }
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    if (const auto& remembered = memory_.Identity(slot)) {
      const std::vector<OpenWindow> open = calls_.open_windows(remembered->window_class);
      if (const WindowLike like = FindWindowLike(*remembered, IdentitiesOf(open)); like.found) {
        SetSlotWindow(slot, open[*like.found].window);
      }
    }
  }
}

void SlotModel::Press(int slot, Mode mode) {
  if (exiting_) {
    return;
  }
  escalation_.Stop();  // every press ends the escalation of the one before
  if (mode == Mode::kGetForm) {
    Remember(slot);
  } else {
    const Handle front = calls_.foreground();
    BringForward(slot, front, front);
  }
}

void SlotModel::Choose(const shell::MenuChoice& choice) {
  if (exiting_) {
    return;
  }
  using Kind = shell::MenuChoice::Kind;
  switch (choice.kind) {
    case Kind::kBringForward:
      return ChooseWindow(choice.slot);
    case Kind::kFollowWindows:
      return ChooseOption(Option::kFollowWindows);
    case Kind::kStartMissing:
      return ChooseOption(Option::kStartMissing);
    case Kind::kForget:
      return Forget(choice.slot);
    case Kind::kSlotInFront:
      return ChooseInFront(choice.slot, choice.in_front);
    case Kind::kInFront:
      return ChooseInFront(0, choice.in_front);
    case Kind::kStartWithWindows:
      return ChooseStartWithWindows();
  }
}

void SlotModel::ChooseWindow(int slot) {
  escalation_.Stop();
  // The menu put our own window in front; the user was in the one before it.
  BringForward(slot, calls_.foreground(), front_at_menu_);
}

void SlotModel::TextChanged(int slot) {
  if (!writing_text_) {
    const std::wstring text = calls_.slot_text(slot);
    texts_.at(Index(slot)) = Text{text.empty(), ParseHandleText(text)};
  }
}

void SlotModel::Remember(int slot) {
  const Handle front = keyfun::GetForm(calls_);
  SetSlotWindow(slot, front);
  if (memory_.Has(Option::kFollowWindows)) {
    memory_.SetIdentity(slot, IdentityOf(front));
    SaveWindows();
  }
}

void SlotModel::SetSlotWindow(int slot, Handle window) {
  texts_.at(Index(slot)) = Text{false, window};
  writing_text_ = true;
  calls_.show_slot_text(slot, FormatHandleText(window));
  writing_text_ = false;
}

void SlotModel::SaveWindows() {
  // A refusal now is told at exit, when the windows are saved once more.
  std::ignore = memory_.SaveWindows();
}

std::optional<WindowIdentity> SlotModel::IdentityOf(Handle window) const {
  Described described = calls_.describe(window);
  if (described.kind != Described::Kind::kKnown) {
    return std::nullopt;  // a store app's frame without its app is nobody in particular
  }
  return std::move(described.identity);
}

bool SlotModel::StillTheSame(Handle window, const WindowIdentity& remembered) const {
  if (window == 0 || !calls_.state(window).exists) {
    return false;
  }
  const Described now = calls_.describe(window);
  switch (now.kind) {
    case Described::Kind::kKnown:
      return SameProgramAndClass(now.identity, remembered);
    case Described::Kind::kDetachedFrame:
      // The app is out of the frame for now; the frame keeps its handle while the app lives.
      return now.identity.window_class == remembered.window_class;
    case Described::Kind::kUnreadable:
      return false;
  }
  return false;
}

bool SlotModel::MayStart(const WindowIdentity& identity) const {
  return IsStartablePath(identity.program) && calls_.is_file(identity.program);
}

SlotModel::Resolved SlotModel::Resolve(int slot) const {
  using Kind = Resolved::Kind;
  const Text& text = texts_.at(Index(slot));
  const auto& remembered = memory_.Identity(slot);
  if (memory_.Has(Option::kFollowWindows) && remembered &&
      !StillTheSame(text.handle.value_or(0), *remembered)) {
    const std::vector<OpenWindow> open = calls_.open_windows(remembered->window_class);
    const WindowLike like = FindWindowLike(*remembered, IdentitiesOf(open));
    if (like.found) {
      return {Kind::kWindow, open[*like.found].window, true};
    }
    // Gone, or its handle now another program's: never that window. Started only when no window
    // of the program is open, for one of several would not be the slot's.
    if (!like.program_open && memory_.Has(Option::kStartMissing) && MayStart(*remembered)) {
      return {Kind::kStart};
    }
    return {Kind::kNone};
  }
  if (text.empty) {
    return {Kind::kEmpty};
  }
  return text.handle ? Resolved{Kind::kWindow, *text.handle} : Resolved{Kind::kNone};
}

bool SlotModel::IsInFront(Handle window, Handle front) const {
  Handle w = front;
  for (int depth = 0; w != 0 && depth < kLongestOwnerChain; ++depth) {
    if (w == window) {
      return !calls_.state(window).minimised && !calls_.cloaked(window);
    }
    w = calls_.owner(w);
  }
  return false;
}

std::optional<Handle> SlotModel::NextOfProgram(Handle window, Handle front) const {
  const std::optional<WindowIdentity> slots = IdentityOf(window);
  const std::optional<WindowIdentity> in_front = IdentityOf(front);
  if (!slots || !in_front || !SameProgram(*slots, *in_front) || calls_.state(front).minimised ||
      calls_.cloaked(front)) {
    return std::nullopt;
  }
  // Its windows are the ones the taskbar shows for it: neither owned nor tool windows, and here.
  const std::vector<OpenWindow> open = calls_.open_windows({});
  const auto last = std::find_if(open.rbegin(), open.rend(), [&](const OpenWindow& w) {
    return !w.owned && !w.tool && !w.cloaked && SameProgram(w.identity, *slots);
  });
  return last != open.rend() ? std::optional(last->window) : std::nullopt;
}

void SlotModel::BringForward(int slot, Handle front, Handle user_front) {
  const Resolved resolved = Resolve(slot);
  switch (resolved.kind) {
    case Resolved::Kind::kEmpty:
      return;  // an empty slot stays silent
    case Resolved::Kind::kNone:
      calls_.warn();
      return;
    case Resolved::Kind::kStart:
      if (!StartProgram(slot, front)) {
        calls_.warn();
      }
      return;
    case Resolved::Kind::kWindow:
      break;
  }
  if (resolved.followed) {
    SetSlotWindow(slot, resolved.window);
  }
  InFront in_front = memory_.SlotInFront(slot);
  if (in_front == InFront::kAsInOptions) {
    in_front = memory_.in_front();
  }
  if (in_front == InFront::kNextWindow) {
    // Each press brings the one the user saw last: in turn, every window of the program.
    if (const std::optional<Handle> next = NextOfProgram(resolved.window, front)) {
      SwitchTo(*next, front, user_front);
      // Most recent now in the order the next press reads. Windows stacks a window it activates
      // on top of the others; not every platform does (Wine).
      calls_.raise(*next);
      return;
    }
  } else if (in_front != InFront::kNothing && IsInFront(resolved.window, front)) {
    if (in_front == InFront::kGoBack) {
      GoBack(front);
    } else {
      calls_.minimise(resolved.window);  // the next press brings it back
    }
    return;
  }
  SwitchTo(resolved.window, front, user_front);
}

void SlotModel::SwitchTo(Handle window, Handle front, Handle user_front) {
  const keyfun::SwitchAttempt attempt = keyfun::ChangeForm(calls_, window);
  // Kept only while some press may go back to it: asking costs a switch time.
  if (memory_.AnyGoesBack() && (attempt.result == keyfun::SwitchAttempt::Result::kInFront ||
                                attempt.result == keyfun::SwitchAttempt::Result::kRefused)) {
    // Never one of ours (the menu's, usually hidden) nor one nobody sees.
    if (const WindowState was = calls_.state(user_front); was.exists && was.visible && !was.ours) {
      before_ = user_front;
    }
  }
  escalation_.Follow(attempt, front);
}

void SlotModel::GoBack(Handle front) {
  // Back to where the last switch came from, if that is still there to be seen.
  if (before_ != front && calls_.state(before_).exists && !calls_.cloaked(before_)) {
    SwitchTo(before_, front, front);
  }
}

SlotModel::Held SlotModel::HeldBy(int slot) const {
  return Held{texts_.at(Index(slot)), memory_.Identity(slot)};
}

bool SlotModel::StartProgram(int slot, Handle front) {
  std::optional<Starting>& starting = starting_.at(Index(slot));
  if (starting) {
    return true;  // a second press while it starts starts nothing more
  }
  const WindowIdentity& identity = *memory_.Identity(slot);
  if (!calls_.start_program(identity.program, FolderOf(identity.program))) {
    return false;
  }
  starting = Starting{identity, calls_.now_ms() + kStartGiveUpMs, front, HeldBy(slot)};
  calls_.set_timer(Timer::kStarter, kStartLookMs);
  return true;
}

void SlotModel::OnStarterTick() {
  std::vector<OpenWindow> open;
  bool listed = false;
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    std::optional<Starting>& starting = starting_.at(Index(slot));
    if (!starting) {
      continue;
    }
    if (!listed) {
      open = calls_.open_windows({});
      listed = true;
    }
    const WindowLike like = FindWindowLike(starting->identity, IdentitiesOf(open));
    if (like.found) {
      const Starting started = *std::exchange(starting, std::nullopt);
      Arrived(slot, open[*like.found].window, started);
    } else if (calls_.now_ms() >= starting->deadline) {
      starting.reset();
      calls_.warn();
    }
  }
  if (std::none_of(starting_.begin(), starting_.end(), [](const auto& s) { return s.has_value(); })) {
    calls_.kill_timer(Timer::kStarter);
  }
}

void SlotModel::Arrived(int slot, Handle window, const Starting& started) {
  // The user may have given the slot another window meanwhile, or gone on to other work: the
  // new window takes neither.
  if (HeldBy(slot) == started.held) {
    SetSlotWindow(slot, window);
  }
  const Handle front = calls_.foreground();
  if (front == window) {
    return;
  }
  if (front == started.front) {
    escalation_.Stop();
    SwitchTo(window, front, front);
  } else {
    calls_.flash(window);
  }
}

shell::MenuState SlotModel::OpenMenu() {
  front_at_menu_ = calls_.foreground();
  shell::MenuState menu;
  for (int slot = 1; slot <= design::kSlotCount; ++slot) {
    const Resolved resolved = Resolve(slot);
    const std::wstring hotkey = calls_.hotkey_text(slot);
    shell::MenuState::Slot& item = menu.windows.at(Index(slot));
    if (resolved.kind == Resolved::Kind::kStart) {
      item.text = WindowsMenuItem(slot, hotkey, MenuWindowState::kNotRunning);
      item.can_bring = true;
    } else if (resolved.kind == Resolved::Kind::kWindow && calls_.state(resolved.window).exists) {
      item.text = WindowsMenuItem(slot, hotkey, MenuWindowState::kWindow, calls_.title(resolved.window));
      item.can_bring = true;
    } else {
      item.text = WindowsMenuItem(slot, hotkey, MenuWindowState::kNoWindow);
    }
    item.can_forget = !texts_.at(Index(slot)).empty || memory_.Identity(slot).has_value();
    item.in_front = memory_.SlotInFront(slot);
  }
  menu.follow_windows = memory_.Has(Option::kFollowWindows);
  menu.start_missing = memory_.Has(Option::kStartMissing);
  menu.in_front = memory_.in_front();
  menu.start_with_windows = calls_.starts_with_session();
  return menu;
}

void SlotModel::Forget(int slot) {
  starting_.at(Index(slot)).reset();
  texts_.at(Index(slot)) = Text{};
  writing_text_ = true;
  calls_.show_slot_text(slot, L"");
  writing_text_ = false;
  if (memory_.Identity(slot)) {
    memory_.SetIdentity(slot, std::nullopt);
    SaveWindows();
  }
}

void SlotModel::ChooseInFront(int slot, InFront in_front) {
  const bool saved = slot == 0 ? memory_.SetInFront(in_front) : memory_.SetSlotInFront(slot, in_front);
  if (!saved) {
    calls_.show_error(L"The options could not be saved to " + settings_file_ + L".");
  }
}

void SlotModel::ChooseOption(Option option) {
  const bool saved = memory_.Set(option, !memory_.Has(option));
  if (option == Option::kFollowWindows && memory_.Has(option)) {
    // The windows the slots hold now are the ones to follow from here on.
    for (int slot = 1; slot <= design::kSlotCount; ++slot) {
      const Text& text = texts_.at(Index(slot));
      if (text.handle && calls_.state(*text.handle).exists) {
        memory_.SetIdentity(slot, IdentityOf(*text.handle));
      }
    }
    SaveWindows();
  }
  if (!saved) {
    calls_.show_error(L"The options could not be saved to " + settings_file_ + L".");
  }
}

void SlotModel::ChooseStartWithWindows() {
  if (!calls_.set_start_with_session(!calls_.starts_with_session())) {
    calls_.show_error(std::wstring(L"The options could not be saved to ") + shell::kRunKeyName + L".");
  }
}

void SlotModel::Exit(ExitRoute route) {
  if (exiting_) {
    return;  // a second Exit (or close) while the first one's message is open
  }
  exiting_ = true;
  escalation_.Stop();
  if (std::any_of(starting_.begin(), starting_.end(), [](const auto& s) { return s.has_value(); })) {
    starting_ = {};
    calls_.kill_timer(Timer::kStarter);
  }
  std::wstring refused = memory_.Save() ? L"" : settings_file_;
  if (const std::wstring boxes = calls_.save_hotkeys(); refused.empty()) {
    refused = boxes;
  }
  if (!refused.empty() && route == ExitRoute::kClose) {
    // Ending as if all were saved would lose the hotkeys without a word.
    calls_.show_error(L"The hotkeys could not be saved to " + refused + L".");
  }
  calls_.remove_icon();
  if (route != ExitRoute::kLogOff) {
    calls_.end_program();
  }
}

void SlotModel::OnTimer(Timer timer) {
  if (exiting_) {
    return;
  }
  if (timer == Timer::kEscalation) {
    escalation_.OnTick();
  } else {
    OnStarterTick();
  }
}

void SlotModel::OnWorkerDone(unsigned generation, WorkerResult result) {
  if (!exiting_) {
    escalation_.OnWorkerDone(generation, result);
  }
}

}  // namespace tarnelle::switcher
