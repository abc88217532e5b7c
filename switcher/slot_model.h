#pragma once
// Every decision of the ten slots, in one place: what a hotkey press does in either mode, what a
// choice from the tray's Windows and Options menus does, what a start and an exit do. It owns each
// slot's window and who that window is, the options and what a press does for a window in front,
// the programs started for their slots, the escalation of a refused switch and the window to go
// back to. The main window forwards its events here; everything this asks of the platform goes
// through SlotCalls. Pure.
//
// A slot's window is also shown as text in its box TextN (the handle as signed decimal, empty
// for none): written here when a slot takes a window, and read back only when the box changes.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "shell/menu_state.h"
#include "switcher/design.h"
#include "switcher/escalation.h"
#include "switcher/memory.h"
#include "switcher/slot_calls.h"

namespace tarnelle::switcher {

class SlotModel {
 public:
  enum class Mode { kGetForm, kStartChangeForm };
  enum class ExitRoute {
    kClose,     // the close picture, the menu's Exit, a close message: a refused save is shown
    kLogOff,    // the session ends: nothing can be shown, and the session ends the process
    kCloseApp,  // the restart manager asks the program to close
  };

  // |settings_file| names the file the options are kept in, for the user to hear of a refusal.
  SlotModel(SlotCalls calls, std::wstring settings_file);
  SlotModel(const SlotModel&) = delete;
  SlotModel& operator=(const SlotModel&) = delete;

  // The options, and with windows followed each slot's window again where it is open.
  void Start();

  // The hotkey of |slot| (1 to 10) was pressed: in Get Form the slot takes the window in front;
  // in Start Change Form its window comes forward (followed, or its program started, as the
  // options say).
  void Press(int slot, Mode mode);
  // The text of the slot's box changed, by this model or by a user who tabbed into it.
  void TextChanged(int slot);

  // The menu is opening: what the Windows and Options menus show. The window in front now is the
  // one the user was in, to go back to after a switch chosen from the menu.
  [[nodiscard]] shell::MenuState OpenMenu();
  // A choice from the Windows menu (bring a slot's window forward, in either mode; forget it; what
  // a press of it does for its window in front) or from Options.
  void Choose(const shell::MenuChoice& choice);

  // Saves the slots' windows and options and the hotkeys, tells of a refusal where it can be
  // seen, removes the icon and ends the program (but at a log-off, which ends it). From then on
  // nothing acts: no press, choice, start or escalation.
  void Exit(ExitRoute route);

  void OnTimer(Timer timer);
  void OnWorkerDone(unsigned generation, WorkerResult result);

  // How long a started program has to show its window, and how often it is looked for.
  static constexpr std::uint64_t kStartGiveUpMs = 15000;
  static constexpr unsigned kStartLookMs = 200;

 private:
  // A slot's window as its box shows it.
  struct Text {
    bool empty = true;
    std::optional<Handle> handle;  // nothing for text that is no handle
    friend bool operator==(const Text&, const Text&) = default;
  };
  // What a slot holds, to tell whether it changed while its program started.
  struct Held {
    Text text;
    std::optional<WindowIdentity> identity;
    friend bool operator==(const Held&, const Held&) = default;
  };
  struct Starting {
    WindowIdentity identity;
    std::uint64_t deadline = 0;
    Handle front = 0;  // in front at the press
    Held held;         // the slot at the press
  };
  // What a press of a slot would come to.
  struct Resolved {
    enum class Kind { kEmpty, kWindow, kStart, kNone };
    Kind kind = Kind::kEmpty;
    Handle window = 0;
    bool followed = false;  // the window stands for the remembered one, which is gone
  };

  [[nodiscard]] static std::size_t Index(int slot) { return static_cast<std::size_t>(slot - 1); }
  [[nodiscard]] Held HeldBy(int slot) const;
  [[nodiscard]] std::optional<WindowIdentity> IdentityOf(Handle window) const;
  // Whether |window| is still the remembered program's, of the remembered class.
  [[nodiscard]] bool StillTheSame(Handle window, const WindowIdentity& remembered) const;
  [[nodiscard]] bool MayStart(const WindowIdentity& identity) const;
  [[nodiscard]] Resolved Resolve(int slot) const;
  // Whether |window| (or a window it owns) is in front, with |front| in front. A minimised
  // window, or one on another virtual desktop, never is, whatever the platform says.
  [[nodiscard]] bool IsInFront(Handle window, Handle front) const;
  // The least recently active of the windows of |window|'s program, when one of them is in front.
  [[nodiscard]] std::optional<Handle> NextOfProgram(Handle window, Handle front) const;

  void ChooseWindow(int slot);
  void ChooseOption(Option option);
  void ChooseInFront(int slot, InFront in_front);  // slot 0: for the slots left "As in Options"
  void ChooseStartWithWindows();
  void Forget(int slot);
  void Remember(int slot);
  // |front| is in front at the press; |user_front| the window the user was in (for going back).
  void BringForward(int slot, Handle front, Handle user_front);
  void SwitchTo(Handle window, Handle front, Handle user_front);
  void GoBack(Handle front);
  void SetSlotWindow(int slot, Handle window);
  void SaveWindows();
  [[nodiscard]] bool StartProgram(int slot, Handle front);
  void OnStarterTick();
  void Arrived(int slot, Handle window, const Starting& started);

  SlotCalls calls_;
  std::wstring settings_file_;
  SlotMemory memory_{calls_};
  Escalation escalation_{calls_};
  std::array<Text, design::kSlotCount> texts_;
  std::array<std::optional<Starting>, design::kSlotCount> starting_;
  Handle before_ = 0;          // the window in front before the last switch
  Handle front_at_menu_ = 0;   // the window in front when the menu opened
  bool writing_text_ = false;  // a change of a slot's text is ours, and known
  bool exiting_ = false;
};

}  // namespace tarnelle::switcher
