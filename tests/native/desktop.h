#pragma once
// A desktop of the tests' own making behind the slots' calls: windows in z-order, the window in
// front, a clock, a settings file and a log of what was asked of the platform, in words.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "switcher/escalation.h"
#include "switcher/slot_model.h"

namespace tarnelle::switcher::testing {

struct Win {
  Handle handle = 0;
  WindowIdentity identity{};
  Described::Kind kind = Described::Kind::kKnown;
  bool visible = true;
  bool minimised = false;
  bool enabled = true;
  bool ours = false;
  bool cloaked = false;
  bool tool = false;  // a tool window, which the taskbar does not show
  Handle owner = 0;
  Handle last_popup = 0;
  int refusals = 0;  // how many times the foreground is refused to it
  bool answers = true;
  Integrity integrity = Integrity::kNotAbove;
};

inline WindowIdentity Program(const wchar_t* exe, const wchar_t* title, const wchar_t* cls = L"Main") {
  return {std::wstring(L"C:\\Apps\\") + exe, cls, title};
}

class Desktop {
 public:
  // Adds a window in front of the others, or behind them all.
  Handle Add(Win w, bool behind = false) {
    w.handle = next_++;
    windows_.insert(behind ? windows_.end() : windows_.begin(), w);
    return w.handle;
  }
  Win& operator[](Handle h) { return *Find(h); }
  void Close(Handle h) {
    windows_.erase(Find(h));
    front = front == h ? 0 : front;
  }
  void Raise(Handle h) { std::rotate(windows_.begin(), Find(h), Find(h) + 1); }
  void Click(Handle h) {  // it comes in front, on top of the others
    Raise(h);
    front = h;
  }

  SlotCalls Calls() {
    SlotCalls c;
    const auto has = [this](Handle h) { return Find(h) != windows_.end(); };
    c.foreground = [this] { return front; };
    c.set_foreground = [this, has](Handle h) {
      Note("set");
      const bool granted = has(h) && (*this)[h].refusals-- <= 0;
      if (granted) {
        Click(h);
      }
      return granted;
    };
    c.press_unassigned_key = [this] { Note("key"); };
    c.flash = [this](Handle h) { Note("flash " + std::to_string(h)); };
    c.warn = [this] { Note("warn"); };
    c.state = [this, has](Handle h) {
      const Win w = has(h) ? (*this)[h] : Win{};
      return WindowState{has(h), w.visible, w.minimised, w.enabled, w.ours};
    };
    c.owner = [this, has](Handle h) { return has(h) ? (*this)[h].owner : 0; };
    c.cloaked = [this, has](Handle h) { return has(h) && (*this)[h].cloaked; };
    c.last_active_popup = [this](Handle h) { return (*this)[h].last_popup != 0 ? (*this)[h].last_popup : h; };
    c.restore = [this](Handle h) {
      Note("restore");
      (*this)[h].minimised = false;
    };
    c.minimise = [this](Handle h) {
      Note("minimise " + std::to_string(h));
      (*this)[h].minimised = true;
      front = front == h ? 0 : front;
    };
    c.raise = [this](Handle h) { Raise(h); };
    c.title = [this](Handle h) { return (*this)[h].identity.title; };
    c.describe = [this, has](Handle h) {
      return has(h) ? Described{(*this)[h].kind, (*this)[h].identity} : Described{};
    };
    c.open_windows = [this](const std::wstring& cls) {
      std::vector<OpenWindow> open;
      for (const Win& w : windows_) {
        if (w.visible && w.kind == Described::Kind::kKnown &&
            (cls.empty() || cls == w.identity.window_class)) {
          open.push_back({w.handle, w.identity, w.owner != 0, w.tool, w.cloaked});
        }
      }
      return open;
    };
    c.integrity = [this, has](Handle h) { return has(h) ? (*this)[h].integrity : Integrity::kUnknown; };
    c.answers = [this, has](Handle h) { return has(h) && (*this)[h].answers; };
    c.thread_of = [](Handle h) { return static_cast<std::uint32_t>(100 + h); };
    c.current_thread = [] { return std::uint32_t{1}; };
    c.attach_input = [this](std::uint32_t, std::uint32_t to, bool attach) {
      Note(attach ? "attach " + std::to_string(to - 100) : "detach");
      return true;
    };
    c.allow_foreground = [this](Handle h) { allowed = h; };
    c.start_worker = [this](WorkerTask task) { workers.push_back(std::move(task)); };
    c.is_file = [this](const std::wstring& path) { return files.contains(path); };
    c.start_program = [this](const std::wstring& program, const std::wstring&) {
      Note("start " + std::string(program.begin(), program.end()));
      return true;
    };
    c.now_ms = [this] { return now; };
    c.set_timer = [this](Timer t, unsigned ms) { timers[t] = ms; };
    c.kill_timer = [this](Timer t) { timers.erase(t); };
    c.read_setting = [this](const std::wstring& section, const std::wstring& key) {
      return file.contains(section + L"/" + key) ? file[section + L"/" + key] : L"";
    };
    c.write_setting = [this](const std::wstring& section, const std::wstring& key,
                             const std::wstring& value) {
      file[section + L"/" + key] = value;
      return !file_refuses;
    };
    c.write_section = [this](const std::wstring& section,
                             const std::vector<std::pair<std::wstring, std::wstring>>& keys) {
      std::erase_if(file, [&](const auto& kv) { return kv.first.starts_with(section + L"/"); });
      for (const auto& [key, value] : keys) {
        file[section + L"/" + key] = value;
      }
      return !file_refuses;
    };
    c.has_section = [this](const std::wstring& section) {
      return std::any_of(file.begin(), file.end(),
                         [&](const auto& kv) { return kv.first.starts_with(section + L"/"); });
    };
    c.starts_with_session = [this] { return run_value; };
    c.set_start_with_session = [this](bool on) {
      run_value = run_refuses ? run_value : on;
      return !run_refuses;
    };
    c.hotkey_text = [](int slot) { return L"Ctrl + F" + std::to_wstring(slot); };
    c.slot_text = [this](int slot) { return shown[slot]; };
    c.show_slot_text = [this](int slot, const std::wstring& text) {
      shown[slot] = text;
      model->TextChanged(slot);  // as the box tells the window it changed
    };
    c.show_error = [this](const std::wstring& text) { errors.push_back(text); };
    c.save_hotkeys = [this] {
      Note("save hotkeys");
      return hotkeys_refused;
    };
    c.remove_icon = [this] { Note("remove icon"); };
    c.end_program = [this] { Note("end"); };
    return c;
  }

  // Lets |ms| pass in steps of 5 ms: the timers due fire, and workers report as they would.
  void Run(unsigned ms) {
    for (unsigned t = 0; t < ms; t += 5) {
      now += 5;
      for (auto& task : std::exchange(workers, {})) {
        if (!workers_hang) {  // else stuck on a thread that never answers
          model->OnWorkerDone(task.generation, AttachAndAsk(calls, task));
        }
      }
      for (const auto& [timer, every] : std::map<Timer, unsigned>(timers)) {
        if (now % std::max(every - every % 5, 5u) == 0) {
          model->OnTimer(timer);
        }
      }
    }
  }

  // Makes the model over this desktop, its settings file beside the hotkeys.
  SlotModel& Start() {
    calls = Calls();
    owned_ = std::make_unique<SlotModel>(calls, L"C:\\Tarnelle\\set.ini");
    model = owned_.get();
    model->Start();
    return *model;
  }

  // A user who tabbed into slot |slot|'s box leaves |text| there.
  void Type(int slot, const std::wstring& text) {
    shown[slot] = text;
    model->TextChanged(slot);
  }

  void Note(const std::string& word) { log += (log.empty() ? "" : " ") + word; }
  std::string TakeLog() { return std::exchange(log, {}); }

  Handle front = 0;
  std::string log;
  std::map<std::wstring, std::wstring> file;  // "Section/Key" to value
  bool file_refuses = false;
  std::set<std::wstring> files;  // the programs on disk
  std::uint64_t now = 1000;
  std::map<Timer, unsigned> timers;
  std::vector<WorkerTask> workers;
  bool workers_hang = false;
  Handle allowed = 0;  // the last window whose process was let take the foreground
  bool run_value = false;
  bool run_refuses = false;
  std::wstring hotkeys_refused;
  std::map<int, std::wstring> shown;  // each slot's text as its box shows it
  std::vector<std::wstring> errors;
  SlotCalls calls;
  SlotModel* model = nullptr;

 private:
  std::vector<Win>::iterator Find(Handle h) {
    return std::find_if(windows_.begin(), windows_.end(), [h](const Win& w) { return w.handle == h; });
  }

  std::vector<Win> windows_;  // the most recently active first
  Handle next_ = 11;
  std::unique_ptr<SlotModel> owned_;
};

}  // namespace tarnelle::switcher::testing
