// bench_driver.exe: measures tarnelle.exe against floor.exe (the least a program can do for the
// same work) in one desktop, taking turns press by press, with real input (SendInput, real
// clicks). It sets Tarnelle up as a user would: set.ini beside a private copy of the program, a
// click on each "Start Hotkey N" box, a press of each hotkey in "Get Form" mode with the wanted
// window in front, a click on "Start Change Form".
//
//   bench_driver.exe --tarnelle PATH --floor PATH [--presses N] [--leak-presses N] [--idle S]
//                    [--starts N] [--warmup N] [--smoke] [--verbose]
//
// Run it inside a Wine session whose desktop has a notification area (tests/rig/with-wine.sh);
// bench/run.sh does all of that. Prints one table: each figure for Tarnelle, for the floor, and
// their ratio. Exits 0 when every figure was measured, 1 when one could not be (or a press or a
// start had no effect), 2 on a usage or set-up error. --verbose logs every start-up time.

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Options

struct Options {
  std::wstring tarnelle;
  std::wstring floor;
  int presses = 300;         // measured presses per program and case
  int warmup = 3;            // presses per program and case before the measured ones
  int leak_presses = 10000;  // presses per program between the two memory readings
  int idle_seconds = 30;
  int starts = 20;     // start-ups per program
  int settle_ms = 10;  // quiet time before each measured press
};

bool g_verbose = false;  // every sample on the log too, for a closer look

bool ParseInt(const wchar_t* text, int* out) {
  wchar_t* end = nullptr;
  const long value = std::wcstol(text, &end, 10);
  if (end == text || *end != L'\0' || value < 0 || value > 10000000) {
    return false;
  }
  *out = static_cast<int>(value);
  return true;
}

bool ParseOptions(int argc, wchar_t** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    const bool has_value = i + 1 < argc;
    if (a == L"--verbose") {
      g_verbose = true;
    } else if (a == L"--smoke") {
      o->presses = 5;
      o->warmup = 1;
      o->leak_presses = 20;
      o->idle_seconds = 1;
      o->starts = 1;
    } else if (a == L"--tarnelle" && has_value) {
      o->tarnelle = argv[++i];
    } else if (a == L"--floor" && has_value) {
      o->floor = argv[++i];
    } else if (a == L"--presses" && has_value) {
      if (!ParseInt(argv[++i], &o->presses) || o->presses < 1) {
        return false;
      }
    } else if (a == L"--warmup" && has_value) {
      if (!ParseInt(argv[++i], &o->warmup)) {
        return false;
      }
    } else if (a == L"--leak-presses" && has_value) {
      if (!ParseInt(argv[++i], &o->leak_presses) || o->leak_presses < 2) {
        return false;
      }
    } else if (a == L"--idle" && has_value) {
      if (!ParseInt(argv[++i], &o->idle_seconds) || o->idle_seconds < 1) {
        return false;
      }
    } else if (a == L"--starts" && has_value) {
      if (!ParseInt(argv[++i], &o->starts) || o->starts < 1) {
        return false;
      }
    } else {
      return false;
    }
  }
  return !o->tarnelle.empty() && !o->floor.empty();
}

// ---------------------------------------------------------------------------------------------
// Time, text, messages

double NowMs() {
  static const double ticks_per_ms = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER c;
  ::QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / ticks_per_ms;
}

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) {
    s.push_back(c < 128 ? static_cast<char>(c) : '?');
  }
  return s;
}

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) {
    if (c >= L'A' && c <= L'Z') {
      c = static_cast<wchar_t>(c - L'A' + L'a');
    }
  }
  return s;
}

void Log(const std::string& what, const std::string& detail = {}) {
  std::fprintf(stderr, "bench: %s%s\n", what.c_str(), detail.c_str());
  std::fflush(stderr);
}

void PumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// Dispatches this thread's messages until |done| holds; wakes at once for any message (the
// target windows live on this thread, so their activation wakes us) and at least every |poll_ms|.
// Returns the time at which |done| was first seen true, or nothing after |timeout_ms|.
std::optional<double> WaitUntil(const std::function<bool()>& done, double timeout_ms, DWORD poll_ms = 1) {
  const double deadline = NowMs() + timeout_ms;
  for (;;) {
    PumpMessages();
    if (done()) {
      return NowMs();
    }
    if (NowMs() >= deadline) {
      return std::nullopt;
    }
    ::MsgWaitForMultipleObjectsEx(0, nullptr, poll_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void PumpFor(double ms, DWORD poll_ms = 5) {
  WaitUntil([] { return false; }, ms, poll_ms);
}

std::wstring HandleText(HWND h) {
  return std::to_wstring(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(h)));
}

// The text of a window of another process, read as any program reads it (WM_GETTEXT).
std::optional<std::wstring> ReadText(HWND h) {
  wchar_t buf[64] = {};
  DWORD_PTR copied = 0;
  if (::SendMessageTimeoutW(h, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buf), SMTO_NORMAL, 2000, &copied) ==
      0) {
    return std::nullopt;
  }
  return std::wstring(buf, std::min<std::size_t>(copied, 63));
}

// ---------------------------------------------------------------------------------------------
// Input

INPUT KeyInput(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

struct Hotkey {
  UINT mods = 0;  // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4
  WORD vk = 0;
};

// The whole combination in one SendInput: modifiers down, key down and up, modifiers up.
void SendHotkey(const Hotkey& k) {
  std::vector<WORD> mods;
  if ((k.mods & MOD_CONTROL) != 0) {
    mods.push_back(VK_CONTROL);
  }
  if ((k.mods & MOD_ALT) != 0) {
    mods.push_back(VK_MENU);
  }
  if ((k.mods & MOD_SHIFT) != 0) {
    mods.push_back(VK_SHIFT);
  }
  std::vector<INPUT> in;
  for (WORD m : mods) {
    in.push_back(KeyInput(m, false));
  }
  in.push_back(KeyInput(k.vk, false));
  in.push_back(KeyInput(k.vk, true));
  for (auto it = mods.rbegin(); it != mods.rend(); ++it) {
    in.push_back(KeyInput(*it, true));
  }
  ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// An absolute position on the whole virtual screen, for SendInput.
INPUT MouseAt(POINT p, DWORD flags) {
  const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = std::max(1, ::GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1);
  const int height = std::max(1, ::GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = ::MulDiv(p.x - left, 65535, width);
  in.mi.dy = ::MulDiv(p.y - top, 65535, height);
  in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  return in;
}

bool MoveMouseTo(POINT p) {
  INPUT in = MouseAt(p, 0);
  ::SendInput(1, &in, sizeof(INPUT));
  // Wine moves the pointer asynchronously: wait until it is there and stays there.
  int settled = 0;
  return WaitUntil(
             [&] {
               POINT now{};
               settled = ::GetCursorPos(&now) && now.x == p.x && now.y == p.y ? settled + 1 : 0;
               return settled >= 3;
             },
             2000)
      .has_value();
}

// Both events carry the position, so that a late pointer update cannot move the click.
void SendLeftClick(POINT p) {
  INPUT in[2] = {MouseAt(p, MOUSEEVENTF_LEFTDOWN), MouseAt(p, MOUSEEVENTF_LEFTUP)};
  ::SendInput(2, in, sizeof(INPUT));
}

bool MakeForeground(HWND h) {
  for (int i = 0; i < 20; ++i) {
    ::SetForegroundWindow(h);
    if (WaitUntil([&] { return ::GetForegroundWindow() == h; }, 100)) {
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// The windows the programs remember and bring back: plain windows of this thread.

constexpr wchar_t kTargetClass[] = L"TarnelleBench.Target";

LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_KEYMENU) {
    return 0;  // a lone Alt must not open a menu loop in the middle of a run
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

HWND CreateTarget(const wchar_t* title, int x, int y) {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TargetProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kTargetClass;
    return ::RegisterClassExW(&wc);
  }();
  (void)atom;
  return ::CreateWindowExW(0, kTargetClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 280, 160, nullptr,
                           nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Processes and their windows

HWND FindProcessWindow(DWORD pid, const wchar_t* cls, HWND parent = nullptr) {
  HWND h = nullptr;
  while ((h = ::FindWindowExW(parent, h, cls, nullptr)) != nullptr) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(h, &owner);
    if (owner == pid) {
      return h;
    }
  }
  return nullptr;
}

std::set<HWND> TopLevelWindows() {
  std::set<HWND> all;
  ::EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        reinterpret_cast<std::set<HWND>*>(lp)->insert(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

// The notification area of Wine's shell gives every icon a tooltip window of its own, owned by
// the taskbar, made while Shell_NotifyIcon(NIM_ADD) is being answered (and kept after the icon
// is gone). Only windows that are new since |before| are looked at, so that a check costs the
// same however many icons came and went before.
class TrayIconWatch {
 public:
  TrayIconWatch() : before_(TopLevelWindows()), tray_(::FindWindowW(L"Shell_TrayWnd", nullptr)) {}

  bool Added() {
    for (HWND h : TopLevelWindows()) {
      if (before_.count(h) != 0) {
        continue;
      }
      wchar_t cls[32] = {};
      ::GetClassNameW(h, cls, 32);
      if (std::wstring(cls) == L"tooltips_class32" && ::GetWindow(h, GW_OWNER) == tray_) {
        return true;
      }
      before_.insert(h);  // neither its class nor its owner will change
    }
    return false;
  }

 private:
  std::set<HWND> before_;
  HWND tray_;
};

// An error box of the program, which a refused set-up step shows.
std::optional<std::wstring> ErrorBoxOf(DWORD pid) {
  HWND h = nullptr;
  while ((h = ::FindWindowExW(nullptr, h, L"#32770", nullptr)) != nullptr) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(h, &owner);
    if (owner != pid || !::IsWindowVisible(h)) {
      continue;
    }
    std::wstring text;
    HWND child = nullptr;
    while ((child = ::FindWindowExW(h, child, L"Static", nullptr)) != nullptr) {
      wchar_t buf[256] = {};
      if (::GetWindowTextW(child, buf, 256) > 0) {
        text = buf;
      }
    }
    return text;
  }
  return std::nullopt;
}

class Process {
 public:
  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() { End(); }

  bool Start(const std::wstring& exe, const std::wstring& args) {
    std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    const std::wstring dir = exe.substr(0, exe.find_last_of(L'\\'));
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                          &pi_)) {
      return false;
    }
    return true;
  }

  void End() {
    if (pi_.hProcess != nullptr) {
      ::TerminateProcess(pi_.hProcess, 0);
      ::WaitForSingleObject(pi_.hProcess, 10000);
      ::CloseHandle(pi_.hProcess);
      ::CloseHandle(pi_.hThread);
      pi_ = PROCESS_INFORMATION{};
    }
  }

  [[nodiscard]] HANDLE handle() const { return pi_.hProcess; }
  [[nodiscard]] DWORD pid() const { return pi_.dwProcessId; }

 private:
  PROCESS_INFORMATION pi_{};
};

// ---------------------------------------------------------------------------------------------
// What the platform tells about a process

struct Memory {
  double working_set_kib = 0;
  double private_kib = 0;
  bool ok = false;
};

// Wine answers PrivateUsage with 0 for other processes; its PagefileUsage holds the anonymous
// resident memory plus swap, the nearest thing to private bytes, and is used then.
bool g_private_from_pagefile = false;

Memory ReadMemory(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof(m);
  Memory r;
  if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof(m))) {
    return r;
  }
  r.working_set_kib = static_cast<double>(m.WorkingSetSize) / 1024.0;
  if (m.PrivateUsage != 0) {
    r.private_kib = static_cast<double>(m.PrivateUsage) / 1024.0;
  } else {
    r.private_kib = static_cast<double>(m.PagefileUsage) / 1024.0;
    g_private_from_pagefile = true;
  }
  r.ok = m.WorkingSetSize != 0;
  return r;
}

// Summed over the process's threads: under Wine, GetProcessTimes on another process answers
// with the caller's own times, while GetThreadTimes reads the thread's own.
std::optional<double> CpuMs(DWORD pid) {
  const HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  auto ticks = [](const FILETIME& f) {
    return static_cast<double>((static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
  };
  double total = 0;
  int threads = 0;
  THREADENTRY32 te{};
  te.dwSize = sizeof(te);
  for (BOOL more = ::Thread32First(snap, &te); more; more = ::Thread32Next(snap, &te)) {
    if (te.th32OwnerProcessID != pid) {
      continue;
    }
    const HANDLE t = ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, te.th32ThreadID);
    FILETIME created;
    FILETIME exited;
    FILETIME kernel;
    FILETIME user;
    if (t != nullptr && ::GetThreadTimes(t, &created, &exited, &kernel, &user)) {
      total += (ticks(kernel) + ticks(user)) / 10000.0;
      ++threads;
    }
    if (t != nullptr) {
      ::CloseHandle(t);
    }
  }
  ::CloseHandle(snap);
  if (threads == 0) {
    return std::nullopt;
  }
  return total;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
  const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  std::string s;
  char buf[4096];
  DWORD n = 0;
  while (::ReadFile(h, buf, sizeof(buf), &n, nullptr) && n > 0) {
    s.append(buf, n);
  }
  ::CloseHandle(h);
  return s;
}

// Wake-ups are counted by the host kernel: under Wine each Windows thread is a host thread, and
// the host's /proc (reached through drive Z:) counts its context switches. The host process is
// found by its command line, which Wine sets to the program's Windows path.
class HostProcess {
 public:
  bool Find(const std::wstring& exe_path) {
    const std::wstring want = Lower(exe_path);
    WIN32_FIND_DATAW fd;
    const HANDLE f = ::FindFirstFileW(L"Z:\\proc\\*", &fd);
    if (f == INVALID_HANDLE_VALUE) {
      return false;
    }
    do {
      const std::wstring name = fd.cFileName;
      if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) {
        continue;
      }
      const auto cmdline = ReadWholeFile(L"Z:\\proc\\" + name + L"\\cmdline");
      if (!cmdline || cmdline->empty()) {
        continue;
      }
      std::wstring first;
      for (char c : *cmdline) {
        if (c == '\0') {
          break;
        }
        first.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
      }
      first = Lower(first);
      if (first.size() >= want.size() && first.compare(first.size() - want.size(), want.size(), want) == 0) {
        dir_ = L"Z:\\proc\\" + name;
        break;
      }
    } while (::FindNextFileW(f, &fd));
    ::FindClose(f);
    return !dir_.empty();
  }

  struct Counts {
    std::uint64_t switches = 0;
    std::uint64_t run_ns = 0;
    bool run_ok = false;
  };

  // Context switches (voluntary and not) and time on a CPU, over all threads.
  std::optional<Counts> Read() const {
    if (dir_.empty()) {
      return std::nullopt;
    }
    Counts c;
    c.run_ok = true;
    bool any = false;
    WIN32_FIND_DATAW fd;
    const HANDLE f = ::FindFirstFileW((dir_ + L"\\task\\*").c_str(), &fd);
    if (f == INVALID_HANDLE_VALUE) {
      return std::nullopt;
    }
    do {
      const std::wstring tid = fd.cFileName;
      if (tid.empty() || tid.find_first_not_of(L"0123456789") != std::wstring::npos) {
        continue;
      }
      const std::wstring task = dir_ + L"\\task\\" + tid;
      const auto status = ReadWholeFile(task + L"\\status");
      if (!status) {
        continue;
      }
      for (const char* key : {"voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:"}) {
        const std::size_t at = status->find(std::string("\n") + key);
        if (at != std::string::npos) {
          c.switches += std::strtoull(status->c_str() + at + 1 + std::strlen(key), nullptr, 10);
          any = true;
        }
      }
      const auto sched = ReadWholeFile(task + L"\\schedstat");
      if (sched && !sched->empty()) {
        c.run_ns += std::strtoull(sched->c_str(), nullptr, 10);
      } else {
        c.run_ok = false;
      }
    } while (::FindNextFileW(f, &fd));
    ::FindClose(f);
    if (!any) {
      return std::nullopt;
    }
    return c;
  }

 private:
  std::wstring dir_;
};

// Other work on the machine shows in every figure; the report says how busy it was.
std::string LoadAverage() {
  const auto text = ReadWholeFile(L"Z:\\proc\\loadavg");
  if (!text || text->empty()) {
    return "unknown";
  }
  return text->substr(0, text->find(' '));
}

// ---------------------------------------------------------------------------------------------
// The file and what it imports

struct Image {
  double size_kib = 0;
  std::vector<std::string> imports;
  std::vector<std::string> non_system;
  bool ok = false;
};

Image InspectImage(const std::wstring& path) {
  Image img;
  const auto data = ReadWholeFile(path);
  if (!data || data->size() < 0x200) {
    return img;
  }
  const std::string& d = *data;
  img.size_kib = static_cast<double>(d.size()) / 1024.0;
  auto u16 = [&](std::size_t at) -> std::uint32_t {
    return at + 2 <= d.size() ? static_cast<std::uint32_t>(static_cast<unsigned char>(d[at]) |
                                                           (static_cast<unsigned char>(d[at + 1]) << 8))
                              : 0;
  };
  auto u32 = [&](std::size_t at) -> std::uint32_t { return u16(at) | (u16(at + 2) << 16); };
  if (u16(0) != 0x5A4D) {
    return img;
  }
  const std::size_t pe = u32(0x3C);
  if (u32(pe) != 0x00004550) {
    return img;
  }
  const std::size_t sections_count = u16(pe + 6);
  const std::size_t opt = pe + 24;
  const std::size_t opt_size = u16(pe + 20);
  const bool pe32plus = u16(opt) == 0x20B;
  const std::size_t dirs = opt + (pe32plus ? 112 : 96);
  const std::size_t sections = opt + opt_size;
  auto to_offset = [&](std::uint32_t rva) -> std::optional<std::size_t> {
    for (std::size_t i = 0; i < sections_count; ++i) {
      const std::size_t s = sections + i * 40;
      const std::uint32_t va = u32(s + 12);
      const std::uint32_t size = std::max(u32(s + 8), u32(s + 16));
      if (rva >= va && rva < va + size) {
        return static_cast<std::size_t>(rva - va + u32(s + 20));
      }
    }
    return std::nullopt;
  };
  auto name_at = [&](std::uint32_t rva) {
    std::string name;
    if (const auto off = to_offset(rva)) {
      for (std::size_t i = *off; i < d.size() && d[i] != '\0'; ++i) {
        name.push_back(d[i]);
      }
    }
    return name;
  };
  // The import table (directory 1) and the delay-load table (directory 13).
  for (const auto& [dir_index, entry_size, name_field] :
       {std::tuple<std::size_t, std::size_t, std::size_t>{1, 20, 12}, {13, 32, 4}}) {
    const std::uint32_t rva = u32(dirs + dir_index * 8);
    if (rva == 0) {
      continue;
    }
    const auto off = to_offset(rva);
    if (!off) {
      return img;
    }
    for (std::size_t e = *off; e + entry_size <= d.size(); e += entry_size) {
      const std::uint32_t name_rva = u32(e + name_field);
      if (name_rva == 0) {
        break;
      }
      img.imports.push_back(name_at(name_rva));
    }
  }
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring here = path.substr(0, path.find_last_of(L'\\'));
  for (const std::string& dll : img.imports) {
    const std::wstring w(dll.begin(), dll.end());
    const bool in_system =
        ::GetFileAttributesW((std::wstring(system) + L"\\" + w).c_str()) != INVALID_FILE_ATTRIBUTES;
    const bool beside = ::GetFileAttributesW((here + L"\\" + w).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!in_system || beside) {
      img.non_system.push_back(dll);
    }
  }
  img.ok = !img.imports.empty();
  return img;
}

// ---------------------------------------------------------------------------------------------
// Figures

struct Samples {
  std::vector<double> ms;
  int timeouts = 0;

  [[nodiscard]] std::optional<double> Median() const {
    if (ms.empty()) {
      return std::nullopt;
    }
    std::vector<double> s = ms;
    std::sort(s.begin(), s.end());
    const std::size_t n = s.size();
    return n % 2 == 1 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2.0;
  }
  // The least disturbed one, where other work on the machine comes and goes.
  [[nodiscard]] std::optional<double> Min() const {
    if (ms.empty()) {
      return std::nullopt;
    }
    return *std::min_element(ms.begin(), ms.end());
  }
  // Nearest rank.
  [[nodiscard]] std::optional<double> P95() const {
    if (ms.empty()) {
      return std::nullopt;
    }
    std::vector<double> s = ms;
    std::sort(s.begin(), s.end());
    const auto rank = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(s.size())));
    return s[std::max<std::size_t>(rank, 1) - 1];
  }
};

struct Row {
  std::string name;
  std::optional<double> tarnelle;
  std::optional<double> floor;
  int decimals = 2;
  bool ratio = true;
};

std::vector<Row> g_rows;
std::vector<std::string> g_notes;
bool g_missing = false;

void AddRow(const std::string& name, std::optional<double> t, std::optional<double> f, int decimals = 2,
            bool ratio = true) {
  if (!t || !f) {
    g_missing = true;
  }
  g_rows.push_back(Row{name, t, f, decimals, ratio});
}

void PrintTable(const Options& o) {
  std::printf("Tarnelle against the floor, measured side by side in one run\n");
  std::printf(
      "presses per program and case: %d, start-ups per program: %d (each after %d not counted); "
      "presses between memory readings: %d; idle: %d s\n\n",
      o.presses, o.starts, o.warmup, o.leak_presses, o.idle_seconds);
  std::printf("%-52s %12s %12s %8s\n", "figure", "Tarnelle", "floor", "ratio");
  for (const Row& r : g_rows) {
    char t[32] = "n/a";
    char f[32] = "n/a";
    char q[32] = "-";
    if (r.tarnelle) {
      std::snprintf(t, sizeof(t), "%.*f", r.decimals, *r.tarnelle);
    }
    if (r.floor) {
      std::snprintf(f, sizeof(f), "%.*f", r.decimals, *r.floor);
    }
    if (r.ratio && r.tarnelle && r.floor && *r.floor > 0) {
      std::snprintf(q, sizeof(q), "%.2f", *r.tarnelle / *r.floor);
    }
    std::printf("%-52s %12s %12s %8s\n", r.name.c_str(), t, f, q);
  }
  std::printf("\n");
  for (const std::string& n : g_notes) {
    std::printf("%s\n", n.c_str());
  }
  std::fflush(stdout);
}

// ---------------------------------------------------------------------------------------------
// The two programs under test

enum class Kind { kTarnelle, kFloor };

struct Program {
  Kind kind = Kind::kTarnelle;
  const char* name = "";
  std::wstring exe;     // the private copy
  Hotkey keys[3] = {};  // slots 1 and 2
  Process process{};
  HWND main = nullptr;  // the visible window
  HWND texts[3] = {};   // where slot N's remembered window is shown
  HostProcess host{};
  std::optional<double> start_cpu_ms{};  // host processor time of the last start
  int next_slot = 1;
};

std::wstring FloorArgs(const Program& p) {
  std::wstring args = L"--mode get";
  for (int n = 1; n <= 2; ++n) {
    args += L" --slot " + std::to_wstring(n) + L":" + std::to_wstring(p.keys[n].mods) + L":" +
            std::to_wstring(p.keys[n].vk);
  }
  return args;
}

HWND FindMain(const Program& p) {
  return FindProcessWindow(p.process.pid(),
                           p.kind == Kind::kTarnelle ? L"Tarnelle.frmSet" : L"TarnelleBench.FloorMain");
}

// From process creation until the icon is in the notification area and the main window is shown
// and waiting for input.
std::optional<double> TimeStart(Program& p, const std::wstring& args) {
  TrayIconWatch icon;
  const double t0 = NowMs();
  if (!p.process.Start(p.exe, args)) {
    Log("cannot start ", Narrow(p.exe));
    return std::nullopt;
  }
  // Blocks without asking anything of the server, which the starting program needs.
  ::WaitForInputIdle(p.process.handle(), 20000);
  const auto ready = WaitUntil(
      [&] {
        const HWND main = FindMain(p);
        return main != nullptr && ::IsWindowVisible(main) && icon.Added();
      },
      20000, 2);
  if (!ready) {
    Log("no window or no tray icon from ", p.name);
    return std::nullopt;
  }
  p.main = FindMain(p);
  // What the start cost the processor, which other work on the machine does not stretch.
  p.host = HostProcess();
  p.start_cpu_ms.reset();
  if (p.host.Find(p.exe)) {
    if (const auto c = p.host.Read(); c && c->run_ok) {
      p.start_cpu_ms = static_cast<double>(c->run_ns) / 1e6;
    }
  }
  return *ready - t0;
}

// A real click on a checkbox or option button of Tarnelle's window, as its user makes it, until
// the control shows |want_checked|. Another window may still take the foreground just then (the
// floor's, which opens at the same place): like a user, the driver then clicks again.
bool ClickControl(const Program& p, int id, bool want_checked) {
  const HWND ctrl = ::GetDlgItem(p.main, id);
  if (ctrl == nullptr) {
    Log("no control ", std::to_string(id));
    return false;
  }
  RECT r{};
  ::GetWindowRect(ctrl, &r);
  const POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  for (int attempt = 0; attempt < 3; ++attempt) {
    MakeForeground(p.main);
    if (!MoveMouseTo(at)) {
      Log("the pointer does not move");
      return false;
    }
    if (::WindowFromPoint(at) != ctrl) {
      ::SetWindowPos(p.main, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      WaitUntil([&] { return ::WindowFromPoint(at) == ctrl; }, 1000);
    }
    if (::WindowFromPoint(at) != ctrl) {
      continue;
    }
    SendLeftClick(at);
    const auto done = WaitUntil(
        [&] {
          return (::SendMessageW(ctrl, BM_GETCHECK, 0, 0) == BST_CHECKED) == want_checked ||
                 ErrorBoxOf(p.process.pid()).has_value();
        },
        1500);
    if (const auto box = ErrorBoxOf(p.process.pid())) {
      Log("Tarnelle showed an error: ", Narrow(*box));
      return false;
    }
    if (done) {
      return true;
    }
  }
  wchar_t front[64] = {};
  ::GetClassNameW(::GetAncestor(::WindowFromPoint(at), GA_ROOT), front, 64);
  Log("three clicks did not take: control " + std::to_string(id) + ", in front: ", Narrow(front));
  return false;
}

// Switches the program's mode as its user does: a click on an option button for Tarnelle, the
// same one message for the floor.
bool SetMode(Program& p, bool change) {
  if (p.kind == Kind::kTarnelle) {
    if (!ClickControl(p, change ? 401 : 400, true)) {
      return false;
    }
  } else {
    const HWND hk = FindProcessWindow(p.process.pid(), L"TarnelleBench.Floor", HWND_MESSAGE);
    ::PostMessageW(hk, WM_APP + 2, change ? 1 : 0, 0);
    PumpFor(50);
  }
  return true;
}

// Brings the program up for the hotkey runs and finds its text boxes.
bool StartForPresses(Program& p) {
  const std::wstring args = p.kind == Kind::kFloor ? FloorArgs(p) : L"";
  if (!TimeStart(p, args)) {
    return false;
  }
  if (p.kind == Kind::kTarnelle) {
    for (int n = 1; n <= 2; ++n) {
      p.texts[n] = ::GetDlgItem(p.main, 300 + n);
    }
  } else {
    // On its hotkey window, or (for a floor built to try out another design) its main window.
    const HWND hk = FindProcessWindow(p.process.pid(), L"TarnelleBench.Floor", HWND_MESSAGE);
    for (int n = 1; n <= 2; ++n) {
      p.texts[n] = hk != nullptr ? ::GetDlgItem(hk, 300 + n) : nullptr;
      if (p.texts[n] == nullptr) {
        p.texts[n] = ::GetDlgItem(p.main, 300 + n);
      }
    }
  }
  if (p.texts[1] == nullptr || p.texts[2] == nullptr) {
    Log("no text boxes in ", p.name);
    return false;
  }
  return true;
}

// Tarnelle's slots start switched off: its user ticks "Start Hotkey 1" and "Start Hotkey 2".
bool EnableSlots(Program& p) {
  if (p.kind == Kind::kTarnelle) {
    for (int n = 1; n <= 2; ++n) {
      if (!ClickControl(p, 100 + n, true)) {
        return false;
      }
    }
  }
  // Whoever holds a combination, nobody else can take it.
  for (int n = 1; n <= 2; ++n) {
    if (::RegisterHotKey(nullptr, 0xB000 + n, p.keys[n].mods, p.keys[n].vk)) {
      ::UnregisterHotKey(nullptr, 0xB000 + n);
      Log("hotkey not registered by ", p.name);
      return false;
    }
  }
  return true;
}

HWND g_targets[3] = {};

enum class Case { kStore, kSwitch, kSwitchMinimised };

// One press of slot |slot| of |p|, prepared so that its effect can be seen: the time from
// SendInput until the slot's text holds the foreground window (store), or until the slot's
// window is the foreground window and not minimised (switch).
std::optional<double> Press(Program& p, int slot, Case c, int settle_ms) {
  HWND expect_window = nullptr;
  std::wstring expect_text;
  if (c == Case::kStore) {
    // Put in front the window the slot does not hold yet, so that the press changes the text.
    const auto now = ReadText(p.texts[slot]);
    const HWND front = now && *now == HandleText(g_targets[1]) ? g_targets[2] : g_targets[1];
    if (::GetForegroundWindow() != front && !MakeForeground(front)) {
      Log("cannot bring a target window forward");
    }
    expect_text = HandleText(front);
  } else {
    expect_window = g_targets[slot];
    const HWND other = g_targets[3 - slot];
    if (::GetForegroundWindow() != other || ::IsIconic(other)) {
      if (::IsIconic(other)) {
        ::ShowWindow(other, SW_RESTORE);
      }
      MakeForeground(other);
    }
    if (c == Case::kSwitchMinimised) {
      ::ShowWindow(expect_window, SW_MINIMIZE);
      WaitUntil([&] { return ::IsIconic(expect_window) && ::GetForegroundWindow() == other; }, 2000);
    } else if (::IsIconic(expect_window)) {
      ::ShowWindow(expect_window, SW_SHOWNOACTIVATE);
      WaitUntil([&] { return !::IsIconic(expect_window); }, 2000);
    }
  }
  if (settle_ms > 0) {
    PumpFor(settle_ms);
  }

  std::function<bool()> done;
  if (c == Case::kStore) {
    // Read as fast as the program answers: each read waits for the program's message loop.
    const HWND text = p.texts[slot];
    done = [text, &expect_text] {
      const auto t = ReadText(text);
      return t && *t == expect_text;
    };
  } else {
    done = [expect_window] { return ::GetForegroundWindow() == expect_window && !::IsIconic(expect_window); };
  }
  const double t0 = NowMs();
  SendHotkey(p.keys[slot]);
  const auto at = WaitUntil(done, 5000, c == Case::kStore ? 0 : 1);
  if (!at) {
    wchar_t title[64] = {};
    ::GetWindowTextW(::GetForegroundWindow(), title, 64);
    const auto text = ReadText(p.texts[slot]);
    Log(std::string("a press had no effect in ") + p.name + ": slot " + std::to_string(slot) + ", " +
            (c == Case::kStore ? "store, wanted " + Narrow(expect_text) : "switch") + ", text " +
            Narrow(text.value_or(L"?")) + ", in front: ",
        Narrow(title));
    return std::nullopt;
  }
  return *at - t0;
}

// Presses both programs' hotkeys in turn (the order changes every round) and collects the times.
void RunCase(Program* progs[2], Case c, int rounds, int warmup, int settle_ms, Samples out[2]) {
  for (int k = 0; k < warmup + rounds; ++k) {
    for (int step = 0; step < 2; ++step) {
      const int j = (k % 2 == 0) ? step : 1 - step;
      Program& p = *progs[j];
      const int slot = p.next_slot;
      p.next_slot = 3 - slot;
      const auto ms = Press(p, slot, c, settle_ms);
      if (k < warmup) {
        continue;
      }
      if (ms) {
        out[j].ms.push_back(*ms);
      } else {
        ++out[j].timeouts;
        PumpFor(200);
      }
    }
  }
}

// With the wanted window in front, one press per slot in "Get Form" mode fills the slot.
bool AssignTargets(Program& p) {
  for (int n = 1; n <= 2; ++n) {
    MakeForeground(g_targets[n]);
    PumpFor(20);
    const std::wstring want = HandleText(g_targets[n]);
    SendHotkey(p.keys[n]);
    if (!WaitUntil(
            [&] {
              const auto t = ReadText(p.texts[n]);
              return t && *t == want;
            },
            5000)) {
      Log("slot not filled in ", p.name);
      return false;
    }
  }
  return true;
}

std::wstring TempFolder() {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring dir = std::wstring(temp) + L"tarnelle-bench-" + std::to_wstring(::GetCurrentProcessId());
  ::CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

void RemoveFolder(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  const HANDLE f = ::FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (f != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name != L"." && name != L"..") {
        ::DeleteFileW((dir + L"\\" + name).c_str());
      }
    } while (::FindNextFileW(f, &fd));
    ::FindClose(f);
  }
  ::RemoveDirectoryW(dir.c_str());
}

// The hotkeys the user typed into Tarnelle's boxes before, as the boxes save them.
bool WriteSettings(const std::wstring& dir, const Program& t) {
  std::string ini = "[Orvanta]\r\n";
  for (int n = 1; n <= 2; ++n) {
    const std::string slot = "Orvanta" + std::to_string(n);
    ini += slot + "Text=Ctrl + Alt + " + std::string(1, static_cast<char>(t.keys[n].vk)) + "\r\n";
    ini += slot + "KeyCode=" + std::to_string(t.keys[n].vk) + "\r\n";
    ini += slot + "ModKeyCode=" + std::to_string(t.keys[n].mods) + "\r\n";
  }
  const HANDLE h = ::CreateFileW((dir + L"\\set.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD written = 0;
  const BOOL ok = ::WriteFile(h, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr);
  ::CloseHandle(h);
  return ok && written == ini.size();
}

std::optional<double> Opt(bool ok, double v) {
  return ok ? std::optional<double>(v) : std::nullopt;
}

std::string Join(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& x : v) {
    s += (s.empty() ? "" : ", ") + x;
  }
  return s.empty() ? "none" : s;
}

int Run(const Options& o) {
  const std::wstring dir = TempFolder();
  Program tarnelle{.kind = Kind::kTarnelle, .name = "Tarnelle", .exe = dir + L"\\tarnelle.exe"};
  Program floor{.kind = Kind::kFloor, .name = "floor", .exe = dir + L"\\floor.exe"};
  // Same modifiers, different keys: both programs hold their hotkeys at once.
  constexpr UINT kCtrlAlt = MOD_CONTROL | MOD_ALT;
  tarnelle.keys[1] = {kCtrlAlt, '1'};
  tarnelle.keys[2] = {kCtrlAlt, '2'};
  floor.keys[1] = {kCtrlAlt, '3'};
  floor.keys[2] = {kCtrlAlt, '4'};
  if (!::CopyFileW(o.tarnelle.c_str(), tarnelle.exe.c_str(), FALSE) ||
      !::CopyFileW(o.floor.c_str(), floor.exe.c_str(), FALSE) || !WriteSettings(dir, tarnelle)) {
    Log("cannot prepare ", Narrow(dir));
    RemoveFolder(dir);
    return 2;
  }
  // The shell comes up with the session's first window; give it time.
  ::GetDesktopWindow();
  if (!WaitUntil([] { return ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }, 15000, 20)) {
    Log("no notification area: run inside the Wine session with Desktop=shell");
    RemoveFolder(dir);
    return 2;
  }
  // A running Tarnelle holds the one-instance lock: a new one would only show the old window.
  if (::FindWindowW(L"Tarnelle.frmSet", nullptr) != nullptr) {
    Log("another Tarnelle is running in this session; end it first");
    RemoveFolder(dir);
    return 2;
  }
  Program* progs[2] = {&tarnelle, &floor};
  const std::string load_before = LoadAverage();

  // Size and imports.
  const Image ti = InspectImage(tarnelle.exe);
  const Image fi = InspectImage(floor.exe);
  g_notes.push_back("tarnelle.exe imports: " + Join(ti.imports) +
                    "; not from the system folder: " + Join(ti.non_system));
  g_notes.push_back("floor.exe imports: " + Join(fi.imports) +
                    "; not from the system folder: " + Join(fi.non_system));

  // Start-up, taking turns.
  Log("start-up");
  Samples starts[2];
  Samples start_cpu[2];
  for (int i = -o.warmup; i < o.starts; ++i) {
    for (int step = 0; step < 2; ++step) {
      const int j = ((i + o.warmup) % 2 == 0) ? step : 1 - step;
      Program& p = *progs[j];
      const auto ms = TimeStart(p, L"");
      p.process.End();
      if (!ms) {
        ++starts[j].timeouts;
        break;
      }
      if (i >= 0) {
        starts[j].ms.push_back(*ms);
        if (p.start_cpu_ms) {
          start_cpu[j].ms.push_back(*p.start_cpu_ms);
        }
      }
      if (g_verbose) {
        Log(std::string("start of ") + p.name + ": ", std::to_string(*ms) + " ms");
      }
      PumpFor(300);
    }
    if (starts[0].timeouts + starts[1].timeouts > 0) {
      break;  // the same would happen every time
    }
  }

  // The pair that takes the presses.
  Log("setting up");
  g_targets[1] = CreateTarget(L"bench target 1", 20, 40);
  g_targets[2] = CreateTarget(L"bench target 2", 724, 40);
  PumpFor(200);
  if (!StartForPresses(tarnelle) || !StartForPresses(floor)) {
    RemoveFolder(dir);
    return 2;
  }
  PumpFor(1000);
  const Memory t_start = ReadMemory(tarnelle.process.handle());
  const Memory f_start = ReadMemory(floor.process.handle());
  if (!EnableSlots(tarnelle) || !EnableSlots(floor) || !AssignTargets(tarnelle) || !AssignTargets(floor)) {
    RemoveFolder(dir);
    return 2;
  }
  MoveMouseTo(POINT{1000, 400});

  // The processor time each program spends on the presses of a case, per press: unlike the
  // latency, other work on the machine hardly changes it.
  auto host_ns = [](const Program& p) -> std::optional<double> {
    const auto c = p.host.Read();
    return c && c->run_ok ? std::optional<double>(static_cast<double>(c->run_ns)) : std::nullopt;
  };
  auto run_measured = [&](Case c, Samples out[2], std::optional<double> cpu_us[2]) {
    const std::optional<double> before[2] = {host_ns(tarnelle), host_ns(floor)};
    RunCase(progs, c, o.presses, o.warmup, o.settle_ms, out);
    for (int j = 0; j < 2; ++j) {
      const auto after = host_ns(*progs[j]);
      if (before[j] && after) {
        cpu_us[j] = (*after - *before[j]) / 1000.0 / (o.presses + o.warmup);
      }
    }
  };

  Log("store latency");
  Samples store[2];
  std::optional<double> store_cpu[2];
  run_measured(Case::kStore, store, store_cpu);

  Log("switch latency");
  if (!AssignTargets(tarnelle) || !AssignTargets(floor) || !SetMode(tarnelle, true) ||
      !SetMode(floor, true)) {
    RemoveFolder(dir);
    return 2;
  }
  MoveMouseTo(POINT{1000, 400});
  Samples sw[2];
  Samples sw_min[2];
  std::optional<double> sw_cpu[2];
  std::optional<double> sw_min_cpu[2];
  run_measured(Case::kSwitch, sw, sw_cpu);
  run_measured(Case::kSwitchMinimised, sw_min, sw_min_cpu);

  Log("presses for memory growth");
  PumpFor(500);
  const Memory t_before = ReadMemory(tarnelle.process.handle());
  const Memory f_before = ReadMemory(floor.process.handle());
  Samples leak[2];
  const int half = o.leak_presses / 2;
  RunCase(progs, Case::kSwitch, half, 0, 0, leak);
  if (!SetMode(tarnelle, false) || !SetMode(floor, false)) {
    RemoveFolder(dir);
    return 2;
  }
  MoveMouseTo(POINT{1000, 400});
  RunCase(progs, Case::kStore, o.leak_presses - half, 0, 0, leak);
  PumpFor(500);
  const Memory t_after = ReadMemory(tarnelle.process.handle());
  const Memory f_after = ReadMemory(floor.process.handle());

  Log("idle");
  PumpFor(2000);
  const auto t_cpu0 = CpuMs(tarnelle.process.pid());
  const auto f_cpu0 = CpuMs(floor.process.pid());
  const auto t_host0 = tarnelle.host.Read();
  const auto f_host0 = floor.host.Read();
  PumpFor(o.idle_seconds * 1000.0, 100);
  const auto t_cpu1 = CpuMs(tarnelle.process.pid());
  const auto f_cpu1 = CpuMs(floor.process.pid());
  const auto t_host1 = tarnelle.host.Read();
  const auto f_host1 = floor.host.Read();

  AddRow("switch latency, median (ms)", sw[0].Median(), sw[1].Median(), 3);
  AddRow("switch latency, p95 (ms)", sw[0].P95(), sw[1].P95(), 3);
  AddRow("  processor time per switch (host, us)", sw_cpu[0], sw_cpu[1], 1);
  AddRow("switch to a minimised window, median (ms)", sw_min[0].Median(), sw_min[1].Median(), 3);
  AddRow("switch to a minimised window, p95 (ms)", sw_min[0].P95(), sw_min[1].P95(), 3);
  AddRow("  processor time per switch (host, us)", sw_min_cpu[0], sw_min_cpu[1], 1);
  AddRow("store latency, median (ms)", store[0].Median(), store[1].Median(), 3);
  AddRow("store latency, p95 (ms)", store[0].P95(), store[1].P95(), 3);
  AddRow("  processor time per store (host, us)", store_cpu[0], store_cpu[1], 1);
  AddRow("start-up to icon and ready window, median (ms)", starts[0].Median(), starts[1].Median(), 1);
  AddRow("start-up to icon and ready window, p95 (ms)", starts[0].P95(), starts[1].P95(), 1);
  AddRow("start-up to icon and ready window, fastest (ms)", starts[0].Min(), starts[1].Min(), 1);
  AddRow("  processor time of a start-up, median (host, ms)", start_cpu[0].Median(), start_cpu[1].Median(),
         1);
  AddRow("working set after start (KiB)", Opt(t_start.ok, t_start.working_set_kib),
         Opt(f_start.ok, f_start.working_set_kib), 0);
  AddRow("private bytes after start (KiB)", Opt(t_start.ok, t_start.private_kib),
         Opt(f_start.ok, f_start.private_kib), 0);
  AddRow("working set after the presses below (KiB)", Opt(t_after.ok, t_after.working_set_kib),
         Opt(f_after.ok, f_after.working_set_kib), 0);
  AddRow("private bytes after the presses below (KiB)", Opt(t_after.ok, t_after.private_kib),
         Opt(f_after.ok, f_after.private_kib), 0);
  const std::string over = " over " + std::to_string(o.leak_presses) + " presses (KiB)";
  AddRow("working set growth" + over,
         Opt(t_before.ok && t_after.ok, t_after.working_set_kib - t_before.working_set_kib),
         Opt(f_before.ok && f_after.ok, f_after.working_set_kib - f_before.working_set_kib), 0, false);
  AddRow("private bytes growth" + over,
         Opt(t_before.ok && t_after.ok, t_after.private_kib - t_before.private_kib),
         Opt(f_before.ok && f_after.ok, f_after.private_kib - f_before.private_kib), 0, false);
  const std::string idle = " over " + std::to_string(o.idle_seconds) + " s idle";
  AddRow("CPU time" + idle + ", GetThreadTimes (ms)",
         Opt(t_cpu0 && t_cpu1, t_cpu1.value_or(0) - t_cpu0.value_or(0)),
         Opt(f_cpu0 && f_cpu1, f_cpu1.value_or(0) - f_cpu0.value_or(0)), 1, false);
  const bool host_ok = t_host0 && t_host1 && f_host0 && f_host1;
  if (host_ok) {
    AddRow("CPU time" + idle + ", host run time (us)",
           Opt(t_host0->run_ok && t_host1->run_ok,
               static_cast<double>(t_host1->run_ns - t_host0->run_ns) / 1000.0),
           Opt(f_host0->run_ok && f_host1->run_ok,
               static_cast<double>(f_host1->run_ns - f_host0->run_ns) / 1000.0),
           1, false);
    AddRow("wake-ups" + idle + " (host context switches)",
           static_cast<double>(t_host1->switches - t_host0->switches),
           static_cast<double>(f_host1->switches - f_host0->switches), 0, false);
  } else {
    g_rows.push_back(Row{"wake-ups" + idle + ": not measurable (no host /proc on drive Z:)", std::nullopt,
                         std::nullopt, 0, false});
  }
  AddRow("size of the exe (KiB)", Opt(ti.ok, ti.size_kib), Opt(fi.ok, fi.size_kib), 1);
  AddRow("DLLs imported from outside the system folder",
         Opt(ti.ok, static_cast<double>(ti.non_system.size())),
         Opt(fi.ok, static_cast<double>(fi.non_system.size())), 0, false);

  int timeouts[2] = {0, 0};
  for (const Samples* s : {store, sw, sw_min, leak, starts}) {
    for (int j = 0; j < 2; ++j) {
      timeouts[j] += s[j].timeouts;
    }
  }
  g_rows.push_back(Row{"presses or starts without effect within 5 s", static_cast<double>(timeouts[0]),
                       static_cast<double>(timeouts[1]), 0, false});
  if (g_private_from_pagefile) {
    g_notes.push_back(
        "private bytes: Wine reports PrivateUsage as 0 for other processes; PagefileUsage "
        "(anonymous resident memory plus swap) is shown instead.");
  }
  g_notes.push_back("host load average over 1 min, at start and end: " + load_before + " / " + LoadAverage());
  g_notes.push_back(
      "growth: from before to after the presses between memory readings, half switches, half "
      "stores.");

  PrintTable(o);

  tarnelle.process.End();
  floor.process.End();
  ::DestroyWindow(g_targets[1]);
  ::DestroyWindow(g_targets[2]);
  RemoveFolder(dir);
  return g_missing || timeouts[0] + timeouts[1] > 0 ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    std::fprintf(stderr,
                 "usage: bench_driver.exe --tarnelle PATH --floor PATH [--presses N] [--leak-presses N] "
                 "[--idle S] [--starts N] [--warmup N] [--smoke] [--verbose]\n");
    return 2;
  }
  return Run(o);
}
