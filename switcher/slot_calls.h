#pragma once
// Everything the slots ask of the platform and of the window around them, as one replaceable set
// of calls: the program passes the platform's own (switcher/platform_calls.h), the tests a desktop
// of their own making. Pure: a window is the 32-bit handle a slot keeps.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "switcher/identity.h"

namespace tarnelle::switcher {

// A window as a slot keeps it: its handle's 32 significant bits, sign-extended back by the
// platform. 0 is no window.
using Handle = std::int32_t;

struct WindowState {
  bool exists = false;
  bool visible = false;
  bool minimised = false;
  bool enabled = true;
  bool ours = false;  // one of Tarnelle's own windows
};

// Who a window is, as far as can be told.
struct Described {
  enum class Kind {
    kKnown,          // identity holds its program, class and title
    kDetachedFrame,  // a store app's frame whose app is minimised or suspended: no identity
    kUnreadable,     // its program cannot be read (gone, or a process above ours)
  };
  Kind kind = Kind::kUnreadable;
  WindowIdentity identity;
};

// A visible top-level window, as the open windows are listed: the most recently active first.
struct OpenWindow {
  Handle window = 0;
  WindowIdentity identity;
  bool owned = false;
  bool tool = false;
  bool cloaked = false;  // on another virtual desktop, or kept out of sight by the shell
};

// Where a process stands against ours: input cannot be given to, nor attached to, one above.
enum class Integrity { kNotAbove, kAbove, kUnknown };

// The timers the slots run, each calling back SlotModel::OnTimer.
enum class Timer { kEscalation, kStarter };

// The attach step of an escalation, run on a thread of its own because attaching to a hung
// thread hangs the caller. |current| is the generation being followed now: a worker of an older
// switch keeps its hands off the foreground.
struct WorkerTask {
  Handle target = 0;
  unsigned generation = 0;
  std::shared_ptr<const std::atomic<unsigned>> current;
};
enum class WorkerResult { kAsked, kRefused, kSilent };

struct SlotCalls {
  // The window in front.
  std::function<Handle()> foreground{};
  std::function<bool(Handle)> set_foreground{};
  std::function<void()> press_unassigned_key{};  // a press and release no user can make
  std::function<void(Handle)> flash{};           // the window's taskbar button
  std::function<void()> warn{};                  // the system's warning sound

  // Windows.
  std::function<WindowState(Handle)> state{};
  std::function<Handle(Handle)> owner{};  // the window that owns it, if any
  std::function<bool(Handle)> cloaked{};
  std::function<Handle(Handle)> last_active_popup{};
  std::function<void(Handle)> restore{};  // from minimised, without waiting for the window's thread
  std::function<void(Handle)> minimise{};
  std::function<void(Handle)> raise{};  // to the top of the stacking order, without activating it
  std::function<std::wstring(Handle)> title{};
  std::function<Described(Handle)> describe{};
  // Of |window_class| only, or of every class for an empty one.
  std::function<std::vector<OpenWindow>(const std::wstring& window_class)> open_windows{};

  // The attach step (WorkerTask); all but start_worker may be called on the worker's thread.
  std::function<Integrity(Handle)> integrity{};  // of the window's process against ours
  std::function<bool(Handle)> answers{};         // its thread takes a message within a moment
  std::function<std::uint32_t(Handle)> thread_of{};
  std::function<std::uint32_t()> current_thread{};
  std::function<bool(std::uint32_t from, std::uint32_t to, bool attach)> attach_input{};
  std::function<void(Handle)> allow_foreground{};  // lets the window's process take the foreground
  std::function<void(WorkerTask)> start_worker{};  // reported back through SlotModel::OnWorkerDone

  // Programs.
  std::function<bool(const std::wstring& path)> is_file{};
  std::function<bool(const std::wstring& program, const std::wstring& folder)> start_program{};

  // Time.
  std::function<std::uint64_t()> now_ms{};
  std::function<void(Timer, unsigned ms)> set_timer{};
  std::function<void(Timer)> kill_timer{};

  // The settings file beside the hotkeys.
  std::function<std::wstring(const std::wstring& section, const std::wstring& key)> read_setting{};
  std::function<bool(const std::wstring& section, const std::wstring& key, const std::wstring& value)>
      write_setting{};
  // Replaces the whole section with these keys.
  std::function<bool(const std::wstring& section, const std::vector<std::pair<std::wstring, std::wstring>>&)>
      write_section{};
  std::function<bool(const std::wstring& section)> has_section{};

  // Starting with the user's session.
  std::function<bool()> starts_with_session{};
  std::function<bool(bool on)> set_start_with_session{};

  // The main window and its icon.
  std::function<std::wstring(int slot)> hotkey_text{};
  std::function<std::wstring(int slot)> slot_text{};
  std::function<void(int slot, const std::wstring& text)> show_slot_text{};
  std::function<void(const std::wstring& text)> show_error{};
  std::function<std::wstring()> save_hotkeys{};  // the place that refused a write, or empty
  std::function<void()> remove_icon{};
  std::function<void()> end_program{};
};

}  // namespace tarnelle::switcher
