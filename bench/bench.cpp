// bench.exe: measures tarnelle.exe against floor.exe, the least code that shows the same window
// and does the same work, in one desktop, taking turns press by press and start by start, with
// the real input of the tests' driver; its memory also against floor_hotkeys.exe, the least a
// program can do to hold the same hotkeys. Tarnelle is set up as a user sets it up: set.ini
// beside a private copy, a click on "Start Hotkey 1" and "2", a press of each hotkey in "Get
// Form" with the wanted window in front, a click on "Start Change Form". Prints one table; exits 0
// when every figure was measured and every press and start had its effect, 1 otherwise, 2 when
// it could not set up.
//
//   bench.exe [--presses N] [--warmup N] [--leak-presses N] [--idle S] [--starts N] [--smoke]
//   bench.exe --starts-only [--starts N] [--warmup N]     (the start-ups alone: for A/B variants
//                                                          put in place of floor.exe)

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "tests/driver/driver.h"

namespace {

using namespace tarnelle::driver;

struct Options {
  int presses = 300;  // measured presses per program and case
  int warmup = 3;     // presses and starts per program before the measured ones
  int leak = 10000;   // presses per program between the two memory readings
  int idle = 30;      // seconds
  int starts = 20;
  bool starts_only = false;
};

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Samples {
  std::vector<double> ms;
  int misses = 0;  // presses or starts without their effect within the patience

  [[nodiscard]] std::optional<double> Rank(double share) const {  // nearest rank
    if (ms.empty()) {
      return std::nullopt;
    }
    std::vector<double> s = ms;
    std::sort(s.begin(), s.end());
    const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(s.size())));
    return s[std::clamp<std::size_t>(rank, 1, s.size()) - 1];
  }
};

// One of the two programs: its process, its two slots' text fields (where a stored window shows)
// and their hotkeys, and how its mode is set.
struct Side {
  const char* name;
  Process process;
  HWND text[3] = {};
  Key key[3] = {};
  std::function<bool(bool)> set_mode;
  int next = 1;
};

HWND g_targets[3] = {};

struct Memory {
  std::optional<double> working_set;  // KiB
  std::optional<double> private_bytes;
};

// Wine answers PrivateUsage with 0 for another process; its PagefileUsage, the anonymous resident
// memory and swap, stands in then.
Memory MemoryOf(const Process& p) {
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof(m);
  if (!::GetProcessMemoryInfo(p.handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof(m))) {
    return {};
  }
  const auto kib = [](SIZE_T bytes) { return static_cast<double>(bytes) / 1024.0; };
  return {kib(m.WorkingSetSize), kib(m.PrivateUsage != 0 ? m.PrivateUsage : m.PagefileUsage)};
}

// Summed over its threads: under Wine 8, GetProcessTimes on another process answers with the
// caller's own times, while GetThreadTimes reads each thread's.
double CpuMs(DWORD pid) {
  const unique_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 thread{};
  thread.dwSize = sizeof(thread);
  double total = 0;
  for (BOOL more = ::Thread32First(snapshot.get(), &thread); more;
       more = ::Thread32Next(snapshot.get(), &thread)) {
    const unique_handle t(::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, thread.th32ThreadID));
    FILETIME times[4]{};
    if (thread.th32OwnerProcessID == pid &&
        ::GetThreadTimes(t.get(), &times[0], &times[1], &times[2], &times[3])) {
      for (const FILETIME& f : {times[2], times[3]}) {
        total += static_cast<double>((ULONGLONG{f.dwHighDateTime} << 32) | f.dwLowDateTime) / 10000.0;
      }
    }
  }
  return total;
}

// Wake-ups, counted by the host: every Windows thread is a host thread, and the host's /proc
// (drive Z:) counts its context switches. The host process is the one whose command line Wine
// set to the program's Windows path, in this Wine session: another session on the machine may
// run a program of the same path (its scratch folder is named the same way), so the process's
// environment must name our prefix too.
std::optional<long> HostSwitches(const std::wstring& exe) {
  namespace fs = std::filesystem;
  std::error_code error;
  // The host's environment is UTF-8; without a prefix set (the default one) nothing is told apart.
  wchar_t prefix[MAX_PATH] = {};
  char utf8[4 * MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH) != 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, prefix, -1, utf8, sizeof(utf8), nullptr, nullptr);
  }
  const std::string ours = utf8[0] != '\0' ? std::string(1, '\0') + "WINEPREFIX=" + utf8 + '\0' : "";
  for (const auto& entry : fs::directory_iterator(L"Z:\\proc", error)) {
    const std::string cmdline = ReadBytes((entry.path() / L"cmdline").wstring());
    if (_wcsicmp(std::wstring(cmdline.c_str(), cmdline.c_str() + std::strlen(cmdline.c_str())).c_str(),
                 exe.c_str()) != 0 ||
        ('\0' + ReadBytes((entry.path() / L"environ").wstring())).find(ours) == std::string::npos) {
      continue;
    }
    long switches = 0;
    for (const auto& task : fs::directory_iterator(entry.path() / L"task", error)) {
      const std::string status = ReadBytes((task.path() / L"status").wstring());
      for (const char* field : {"\nvoluntary_ctxt_switches:", "\nnonvoluntary_ctxt_switches:"}) {
        const std::size_t at = status.find(field);
        switches += at == std::string::npos ? 0 : std::atol(status.c_str() + at + std::strlen(field));
      }
    }
    return switches;
  }
  return std::nullopt;
}

// The points of a start that can be seen from outside: its first window, shown or not (wWinMain
// has begun), a window of it shown, that window's face painted on screen (its bottom right
// corner, where neither program has a control, in the face colour), its icon in the
// notification area; done once the window is painted and the icon there. Beside them, the
// processor time the program's threads took until then, which other work on the machine
// disturbs far less than the time on the clock.
enum Stage { kFirstWindow, kShown, kPainted, kIcon, kDone, kProcessorTime, kStages };
using Stages = std::array<double, kStages>;  // ms from CreateProcess; ms of processor time

bool HasWindow(DWORD pid) {  // hidden ones too
  std::vector<HWND> windows;
  ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&windows));
  return std::any_of(windows.begin(), windows.end(), [&](HWND h) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(h, &owner);
    return owner == pid;
  });
}

// Times one start, watching every 5 ms; the program is ended again afterwards, and its icon
// gone, before the next start.
std::optional<Stages> TimeStart(const std::wstring& exe, const std::wstring& arguments) {
  Process p;
  Stages at{};
  std::array<bool, kStages> seen{};
  const auto mark = [&](Stage stage, bool now, double ms) {
    if (now && !seen[stage]) {
      seen[stage] = true;
      at[stage] = ms;
    }
  };
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  const double start = NowMs();
  const bool up =
      p.Start(exe, arguments, exe.substr(0, exe.find_last_of(L'\\'))) &&
      WaitFor(
          [&] {
            const double ms = NowMs() - start;
            mark(kFirstWindow, HasWindow(p.pid()), ms);
            const std::vector<HWND> shown = WindowsOf(p.pid());
            mark(kShown, !shown.empty(), ms);
            if (!shown.empty()) {
              const RECT r = RectOf(shown.front());
              mark(kPainted,
                   Pixels(RECT{r.right - 12, r.bottom - 12, r.right - 11, r.bottom - 11}).at(0) == face, ms);
            }
            mark(kIcon, TrayIcons().size() == 1, ms);
            return seen[kPainted] && seen[kIcon];
          },
          5000);
  at[kDone] = std::max(at[kPainted], at[kIcon]);
  at[kProcessorTime] = CpuMs(p.pid());
  p.End();
  WaitFor([] { return TrayIcons().empty(); });
  return up ? std::optional(at) : std::nullopt;
}

enum class Case { kStore, kSwitch, kSwitchMinimised };

// One press of |slot|, prepared so that its effect can be seen: the time from SendInput until the
// slot's text holds the window in front (store), or until the slot's window is in front and not
// minimised (switch).
std::optional<double> Press(Side& side, int slot, Case c) {
  const auto to_front = [](HWND w) {
    return WaitFor([&] { return ::SetForegroundWindow(w) && ::GetForegroundWindow() == w; }, 2000);
  };
  HWND expect = g_targets[slot];
  if (c == Case::kStore) {  // the window the slot does not hold yet goes in front
    expect = TextOf(side.text[slot]) == HandleText(g_targets[1]) ? g_targets[2] : g_targets[1];
    to_front(expect);
  } else {
    ::ShowWindow(g_targets[3 - slot], SW_RESTORE);
    to_front(g_targets[3 - slot]);
    ::ShowWindow(expect, c == Case::kSwitchMinimised ? SW_MINIMIZE : SW_SHOWNOACTIVATE);
    WaitFor([&] { return (::IsIconic(expect) != FALSE) == (c == Case::kSwitchMinimised); }, 2000);
  }
  const std::function<bool()> done = [&] {
    return c == Case::kStore ? TextOf(side.text[slot]) == HandleText(expect)
                             : ::GetForegroundWindow() == expect && !::IsIconic(expect);
  };
  const double start = NowMs();
  Press({kCtrl, kAlt}, side.key[slot]);
  return WaitFor(done, 5000) ? std::optional(NowMs() - start) : std::nullopt;
}

// Presses both programs' slots in turn, the order flipping every round.
void RunCase(Side* sides[2], Case c, int rounds, int warmup, Samples out[2]) {
  for (int k = 0; k < warmup + rounds; ++k) {
    for (int step = 0; step < 2; ++step) {
      const int j = k % 2 == 0 ? step : 1 - step;
      const auto ms = Press(*sides[j], sides[j]->next, c);
      sides[j]->next = 3 - sides[j]->next;
      if (k >= warmup) {
        ms ? out[j].ms.push_back(*ms) : void(++out[j].misses);
      }
    }
  }
}

// With the wanted window in front, a press of each slot in "Get Form" fills the slot.
bool AssignTargets(Side& side) {
  for (int n = 1; n <= 2; ++n) {
    const bool in_front = WaitFor([&] {
      ::SetForegroundWindow(g_targets[n]);
      return ::GetForegroundWindow() == g_targets[n];
    });
    Press({kCtrl, kAlt}, side.key[n]);
    if (!in_front || !WaitFor([&] { return TextOf(side.text[n]) == HandleText(g_targets[n]); })) {
      return false;
    }
  }
  return true;
}

struct Row {
  std::string name;
  std::optional<double> tarnelle;
  std::optional<double> floor;
  int decimals;
  bool ratio;
};

void AddStartRows(std::vector<Row>& rows, const Samples (&starts)[2][kStages]) {
  const auto add = [&](const std::string& name, Stage stage, double share) {
    rows.push_back(Row{name, starts[0][stage].Rank(share), starts[1][stage].Rank(share), 1, true});
  };
  const std::string done = "start-up to painted window and icon, ";
  add(done + "median (ms)", kDone, 0.5);
  add(done + "fastest (ms)", kDone, 0.0);
  add(done + "slowest (ms)", kDone, 1.0);
  add("  first window (wWinMain begun), median (ms)", kFirstWindow, 0.5);
  add("  window shown, median (ms)", kShown, 0.5);
  add("  window painted, median (ms)", kPainted, 0.5);
  add("  icon in the notification area, median (ms)", kIcon, 0.5);
  add("processor time of a start, median (ms)", kProcessorTime, 0.5);
}

// Prints the rows; tells whether every figure was there.
bool PrintRows(const std::vector<Row>& rows) {
  std::printf("%-52s %12s %12s %8s\n", "figure", "Tarnelle", "floor", "ratio");
  bool complete = true;
  for (const Row& r : rows) {
    char cells[3][32] = {"n/a", "n/a", "-"};
    for (int j = 0; j < 2; ++j) {
      const std::optional<double> v = j == 0 ? r.tarnelle : r.floor;
      if (v) {
        std::snprintf(cells[j], sizeof(cells[j]), "%.*f", r.decimals, *v);
      }
    }
    if (r.ratio && r.tarnelle && r.floor && *r.floor > 0) {
      std::snprintf(cells[2], sizeof(cells[2]), "%.2f", *r.tarnelle / *r.floor);
    }
    std::printf("%-52s %12s %12s %8s\n", r.name.c_str(), cells[0], cells[1], cells[2]);
    complete = complete && r.tarnelle && r.floor;
  }
  return complete;
}

int Run(const Options& o) {
  Program tarnelle;
  const ScratchFolder folder;
  const std::wstring floor_exe = folder.File(L"floor.exe");
  const std::wstring hotkeys_exe = folder.File(L"floor_hotkeys.exe");
  ::CopyFileW(BesideMe(L"floor.exe").c_str(), floor_exe.c_str(), FALSE);
  ::CopyFileW(BesideMe(L"floor_hotkeys.exe").c_str(), hotkeys_exe.c_str(), FALSE);
  const bool written = tarnelle.WriteIni(
      "[Orvanta]\r\nOrvanta1Text=Ctrl + Alt + 1\r\nOrvanta1KeyCode=49\r\nOrvanta1ModKeyCode=3\r\n"
      "Orvanta2Text=Ctrl + Alt + 2\r\nOrvanta2KeyCode=50\r\nOrvanta2ModKeyCode=3\r\n");
  ::GetDesktopWindow();  // the session's shell comes up with its desktop
  if (!written || !WaitFor([] { return ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; })) {
    std::fprintf(stderr, "bench: no notification area; run it in the Wine session (bench/run.sh)\n");
    return 2;
  }
  const std::wstring floor_args = L"--slot 1:3:51 --slot 2:3:52";
  const POINT away{1000, 400};  // a hand off every window: nothing tracks the pointer then

  // Each stage's samples; starts[j][kDone] counts the misses.
  Samples starts[2][kStages];
  std::ignore = MoveTo(away);
  for (int i = -o.warmup; i < o.starts; ++i) {
    for (int step = 0; step < 2; ++step) {
      const int j = (i + o.warmup) % 2 == 0 ? step : 1 - step;  // taking turns
      const auto stages = j == 0 ? TimeStart(tarnelle.exe(), L"") : TimeStart(floor_exe, L"");
      for (int s = 0; s < kStages && i >= 0; ++s) {
        stages ? starts[j][s].ms.push_back((*stages)[static_cast<std::size_t>(s)])
               : void(++starts[j][s].misses);
      }
    }
  }
  if (o.starts_only) {
    std::printf("start-ups per program: %d (each after %d not counted)\n\n", o.starts, o.warmup);
    std::vector<Row> rows;
    AddStartRows(rows, starts);
    return PrintRows(rows) && starts[0][kDone].misses + starts[1][kDone].misses == 0 ? 0 : 1;
  }

  const unique_hwnd target1 = TestWindow(L"bench target 1", {20, 40});
  const unique_hwnd target2 = TestWindow(L"bench target 2", {724, 40});
  g_targets[1] = target1.get();
  g_targets[2] = target2.get();
  Side t{"Tarnelle", {}, {}, {{}, {'1', 0x02}, {'2', 0x03}}, {}};
  Side f{"floor", {}, {}, {{}, {'3', 0x04}, {'4', 0x05}}, {}};
  Process hotkeys;  // holds the same hotkeys as the others, on other keys
  if (!tarnelle.Start() || !tarnelle.Tick(1) || !tarnelle.Tick(2) ||
      !f.process.Start(floor_exe, floor_args, folder.path.wstring()) ||
      !hotkeys.Start(hotkeys_exe, L"--slot 1:3:53 --slot 2:3:54", folder.path.wstring())) {
    std::fprintf(stderr, "bench: the programs did not start as set up\n");
    return 2;
  }
  t.text[1] = tarnelle.SlotText(1);
  t.text[2] = tarnelle.SlotText(2);
  t.set_mode = [&](bool change) {  // the floor's window opens over it
    return WaitFor([&] {
             return ::SetForegroundWindow(tarnelle.window()) && ::GetForegroundWindow() == tarnelle.window();
           }) &&
           tarnelle.ChooseMode(change);
  };
  HWND floor = nullptr;  // its slots' texts are children of its window, placed outside it
  WaitFor([&] {
    const auto windows = WindowsOf(f.process.pid());
    floor = windows.empty() ? nullptr : windows.front();
    return ::GetDlgItem(floor, 302) != nullptr;
  });
  f.text[1] = ::GetDlgItem(floor, 301);
  f.text[2] = ::GetDlgItem(floor, 302);
  f.set_mode = [&](bool change) {
    DWORD_PTR done = 0;
    return ::SendMessageTimeoutW(floor, WM_APP + 2, change, 0, SMTO_NORMAL, kPatienceMs, &done) != 0;
  };
  Side* sides[2] = {&t, &f};
  WaitFor([] { return false; }, 1000);  // the programs settle after start
  const Memory started[2] = {MemoryOf(tarnelle.process()), MemoryOf(f.process)};
  const Memory hotkeys_started = MemoryOf(hotkeys);
  if (!AssignTargets(t) || !AssignTargets(f)) {
    std::fprintf(stderr, "bench: a slot did not take its window\n");
    return 2;
  }
  Samples store[2];
  Samples sw[2];
  Samples sw_min[2];
  std::ignore = MoveTo(away);
  RunCase(sides, Case::kStore, o.presses, o.warmup, store);
  const bool switched = AssignTargets(t) && AssignTargets(f) && t.set_mode(true) && f.set_mode(true);
  std::ignore = MoveTo(away);
  RunCase(sides, Case::kSwitch, o.presses, o.warmup, sw);
  RunCase(sides, Case::kSwitchMinimised, o.presses, o.warmup, sw_min);

  const Memory before[2] = {MemoryOf(tarnelle.process()), MemoryOf(f.process)};
  Samples leak[2];
  RunCase(sides, Case::kSwitch, o.leak / 2, 0, leak);
  const bool stored = t.set_mode(false) && f.set_mode(false);
  std::ignore = MoveTo(away);
  RunCase(sides, Case::kStore, o.leak - o.leak / 2, 0, leak);
  WaitFor([] { return false; }, 500);
  const Memory after[2] = {MemoryOf(tarnelle.process()), MemoryOf(f.process)};

  WaitFor([] { return false; }, 2000);
  const std::wstring exes[2] = {tarnelle.exe(), floor_exe};
  const DWORD pids[2] = {tarnelle.pid(), f.process.pid()};
  double cpu[2];
  std::optional<long> wakes[2];
  for (int j = 0; j < 2; ++j) {
    cpu[j] = CpuMs(pids[j]);
    wakes[j] = HostSwitches(exes[j]);
  }
  WaitFor([] { return false; }, o.idle * 1000);  // both idle: nothing is pumped but this thread

  const auto both = [&](auto get) { return std::pair{get(0), get(1)}; };
  std::vector<Row> rows;
  const auto add = [&](std::string name, std::pair<std::optional<double>, std::optional<double>> v,
                       int decimals = 3, bool ratio = true) {
    rows.push_back(Row{std::move(name), v.first, v.second, decimals, ratio});
  };
  for (const auto& [name, s] :
       {std::pair{"switch latency", sw}, std::pair{"switch to a minimised window", sw_min},
        std::pair{"store latency", store}}) {
    add(std::string(name) + ", median (ms)", both([&](int j) { return s[j].Rank(0.5); }));
    add(std::string(name) + ", p95 (ms)", both([&](int j) { return s[j].Rank(0.95); }));
    add(std::string(name) + ", slowest (ms)", both([&](int j) { return s[j].Rank(1.0); }));
  }
  AddStartRows(rows, starts);
  for (const auto& [name, m] :
       {std::pair{"after start", started}, std::pair{"after the presses below", after}}) {
    add(std::string("working set ") + name + " (KiB)", both([&](int j) { return m[j].working_set; }), 0);
    add(std::string("private bytes ") + name + " (KiB)", both([&](int j) { return m[j].private_bytes; }), 0);
  }
  // The second floor in the floor's column.
  add("working set after start, hotkeys-only floor (KiB)",
      {started[0].working_set, hotkeys_started.working_set}, 0);
  add("private bytes after start, hotkeys-only floor (KiB)",
      {started[0].private_bytes, hotkeys_started.private_bytes}, 0);
  const auto growth = [&](auto field) {
    return both([&](int j) -> std::optional<double> {
      return before[j].*field && after[j].*field ? std::optional(*(after[j].*field) - *(before[j].*field))
                                                 : std::nullopt;
    });
  };
  const std::string over = " over " + std::to_string(o.leak) + " presses (KiB)";
  add("working set growth" + over, growth(&Memory::working_set), 0, false);
  add("private bytes growth" + over, growth(&Memory::private_bytes), 0, false);
  const std::string idle = " over " + std::to_string(o.idle) + " s idle";
  add("CPU time" + idle + " (ms)", both([&](int j) { return std::optional(CpuMs(pids[j]) - cpu[j]); }), 1,
      false);
  add("wake-ups" + idle + " (host context switches)", both([&](int j) -> std::optional<double> {
        const auto now = HostSwitches(exes[j]);
        return now && wakes[j] ? std::optional(static_cast<double>(*now - *wakes[j])) : std::nullopt;
      }),
      0, false);
  add("size of the exe (KiB)", both([&](int j) {
        return std::optional(static_cast<double>(std::filesystem::file_size(exes[j])) / 1024.0);
      }),
      1);
  int misses[2] = {starts[0][kDone].misses, starts[1][kDone].misses};
  for (const Samples* s : {store, sw, sw_min, leak}) {
    misses[0] += s[0].misses;
    misses[1] += s[1].misses;
  }
  add("presses or starts without effect within 5 s", {misses[0], misses[1]}, 0, false);

  std::printf(
      "presses per program and case: %d, start-ups per program: %d (each after %d not counted); "
      "presses between memory readings: %d; idle: %d s\n\n",
      o.presses, o.starts, o.warmup, o.leak, o.idle);
  const bool complete = PrintRows(rows);
  return complete && switched && stored && misses[0] + misses[1] == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options o;
  const std::map<std::wstring, int*> numbers = {{L"--presses", &o.presses},
                                                {L"--warmup", &o.warmup},
                                                {L"--leak-presses", &o.leak},
                                                {L"--idle", &o.idle},
                                                {L"--starts", &o.starts}};
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--smoke") {
      o = Options{5, 1, 20, 1, 1};
    } else if (arg == L"--starts-only") {
      o.starts_only = true;
    } else if (numbers.contains(arg) && i + 1 < argc && std::wcstol(argv[i + 1], nullptr, 10) > 0) {
      *numbers.at(arg) = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
    } else {
      std::fprintf(stderr,
                   "usage: bench.exe [--presses N] [--warmup N] [--leak-presses N] [--idle S] "
                   "[--starts N] [--smoke] [--starts-only]\n");
      return 2;
    }
  }
  return Run(o);
}
