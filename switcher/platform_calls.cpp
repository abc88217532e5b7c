#include "switcher/platform_calls.h"

#include <optional>
#include <system_error>
#include <thread>
#include <tuple>

#include "shell/autostart.h"
#include "switcher/escalation.h"
#include "switcher/open_windows.h"
#include "win32/trace.h"
#include "win32/unique.h"

namespace tarnelle::switcher {
namespace {

// A worker's answer: wParam the generation of its switch, lParam a WorkerResult.
constexpr UINT kWorkerDone = WM_APP + 1;
// How long a window's thread may take to answer before it counts as busy; to restore a window.
constexpr UINT kAnswerMs = 200;
constexpr UINT kRestoreMs = 100;
// No key carries this code (winuser.h: "0xE8 : unassigned"), so its press changes nothing for
// the user, and it is no key a user could be holding.
constexpr WORD kUnassignedKey = 0xE8;
// The longest an identity line can be in the settings file.
constexpr DWORD kLineChars = 8192;

bool OnOurThread(HWND window) {
  return ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId();
}

// A minimised window is restored before it is asked to the front, as a click on its taskbar
// button does, so that it comes forward restored at once. One of another thread is given a moment
// to do it, never more, and none at all when it does not answer: it restores when it gets to it.
void Restore(Handle handle) {
  const HWND window = ToHwnd(handle);
  DWORD_PTR ignored = 0;
  if (OnOurThread(window)) {
    std::ignore = ::ShowWindow(window, SW_RESTORE);  // answers the old visibility, not success
  } else if (::SendMessageTimeoutW(window, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_ABORTIFHUNG, kRestoreMs,
                                   &ignored) == 0) {
    std::ignore = ::ShowWindowAsync(window, SW_RESTORE);  // a window gone meanwhile: nothing to restore
  }
}

// A window of another thread is shown without waiting for it, so a hung window cannot hang us.
void Show(Handle handle, int how) {
  const HWND window = ToHwnd(handle);
  if (OnOurThread(window)) {
    std::ignore = ::ShowWindow(window, how);  // answers the old visibility, not success
  } else {
    std::ignore = ::ShowWindowAsync(window, how);  // a window gone meanwhile: nothing to show
  }
}

// The integrity level of |process|'s token; nothing when it cannot be read.
std::optional<DWORD> IntegrityOf(HANDLE process) {
  win32::unique_handle token;
  if (!::OpenProcessToken(process, TOKEN_QUERY, token.put())) {
    return std::nullopt;
  }
  // The label and the SID it points to; a SID has at most 15 sub-authorities.
  alignas(TOKEN_MANDATORY_LABEL) BYTE buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE]{};
  DWORD size = 0;
  if (!::GetTokenInformation(token.get(), TokenIntegrityLevel, buffer, sizeof(buffer), &size)) {
    return std::nullopt;
  }
  const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
  return *::GetSidSubAuthority(sid, *::GetSidSubAuthorityCount(sid) - 1U);
}

Integrity IntegrityAgainstOurs(Handle handle) {
  DWORD pid = 0;
  std::ignore = ::GetWindowThreadProcessId(ToHwnd(handle), &pid);
  // A process we may not even ask is not therefore above us: a service's, or one just gone.
  const win32::unique_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  const auto theirs = process ? IntegrityOf(process.get()) : std::nullopt;
  const auto ours = IntegrityOf(::GetCurrentProcess());
  if (!theirs || !ours) {
    return Integrity::kUnknown;
  }
  return *theirs > *ours ? Integrity::kAbove : Integrity::kNotAbove;
}

// Its style says the rest in one call: each call about another program's window is a trip to the
// window server, and a switch asks this twice.
WindowState StateOf(Handle handle) {
  const HWND window = ToHwnd(handle);
  DWORD pid = 0;
  if (handle == 0 || ::GetWindowThreadProcessId(window, &pid) == 0) {
    return {};  // no such window
  }
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
  return WindowState{.exists = true,
                     .visible = (style & WS_VISIBLE) != 0,  // a top-level window has no parent to hide it
                     .minimised = (style & WS_MINIMIZE) != 0,
                     .enabled = (style & WS_DISABLED) == 0,
                     .ours = pid == ::GetCurrentProcessId()};
}

// The calls that need nothing but the platform: the worker takes a copy of these.
SlotCalls PlatformOnly() {
  return SlotCalls{
      .foreground = [] { return ToHandle(::GetForegroundWindow()); },
      .set_foreground = [](Handle window) { return ::SetForegroundWindow(ToHwnd(window)) != FALSE; },
      .press_unassigned_key =
          [] {
            INPUT keys[2]{};
            for (INPUT& key : keys) {
              key.type = INPUT_KEYBOARD;
              key.ki.wVk = kUnassignedKey;
            }
            keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
            // Refused only when another program blocks input; the retry then fails and says so.
            std::ignore = ::SendInput(2, keys, sizeof(INPUT));
          },
      .flash =
          [](Handle window) {
            FLASHWINFO flash{.cbSize = sizeof(flash),
                             .hwnd = ToHwnd(window),
                             .dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG,  // until it comes forward
                             .uCount = 0,
                             .dwTimeout = 0};
            std::ignore = ::FlashWindowEx(&flash);  // answers the old state of the button
          },
      .warn = [] { std::ignore = ::MessageBeep(MB_ICONWARNING); },  // a silent system is no failure
      .state = &StateOf,
      .owner = [](Handle window) { return ToHandle(::GetWindow(ToHwnd(window), GW_OWNER)); },
      .cloaked = [](Handle window) { return IsCloaked(ToHwnd(window)); },
      .last_active_popup = [](Handle window) { return ToHandle(::GetLastActivePopup(ToHwnd(window))); },
      .restore = &Restore,
      .minimise = [](Handle window) { Show(window, SW_MINIMIZE); },
      .raise =
          [](Handle window) {
            // Asynchronous: a hung window's thread cannot hold us; a refusal leaves the order as it was.
            std::ignore = ::SetWindowPos(ToHwnd(window), HWND_TOP, 0, 0, 0, 0,
                                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
          },
      .title =
          [](Handle window) {
            wchar_t text[256]{};
            const int n = ::InternalGetWindowText(ToHwnd(window), text, 256);  // no message: never held up
            return std::wstring(text, static_cast<std::size_t>(n > 0 ? n : 0));
          },
      .describe = [](Handle window) { return Describe(ToHwnd(window)); },
      .open_windows = &OpenWindows,
      .integrity = &IntegrityAgainstOurs,
      .answers =
          [](Handle window) {
            DWORD_PTR ignored = 0;
            return ::SendMessageTimeoutW(ToHwnd(window), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs,
                                         &ignored) != 0;
          },
      .thread_of = [](Handle window) -> std::uint32_t {
        return ::GetWindowThreadProcessId(ToHwnd(window), nullptr);
      },
      .current_thread = []() -> std::uint32_t { return ::GetCurrentThreadId(); },
      .attach_input =
          [](std::uint32_t from, std::uint32_t to, bool attach) {
            return ::AttachThreadInput(from, to, attach ? TRUE : FALSE) != FALSE;
          },
      .allow_foreground =
          [](Handle window) {
            DWORD pid = 0;
            if (::GetWindowThreadProcessId(ToHwnd(window), &pid) != 0) {
              std::ignore = ::AllowSetForegroundWindow(pid);  // refused unless we may set it ourselves
            }
          },
      .is_file =
          [](const std::wstring& path) {
            const DWORD attributes = ::GetFileAttributesW(path.c_str());
            return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
          },
      .start_program =
          [](const std::wstring& program, const std::wstring& folder) {
            // The application name is the path itself: the platform splits no command line to find it.
            std::wstring command_line = L"\"" + program + L"\"";
            STARTUPINFOW startup{};
            startup.cb = sizeof(startup);
            PROCESS_INFORMATION started{};
            if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  folder.c_str(), &startup, &started)) {
              win32::TraceLastError(L"CreateProcessW");
              return false;
            }
            const win32::unique_handle process(started.hProcess);
            const win32::unique_handle thread(started.hThread);
            return true;
          },
      .now_ms = [] { return static_cast<std::uint64_t>(::GetTickCount64()); },
      .starts_with_session = [] { return shell::StartsWithSession(settings::ThisProgramPath()); },
      .set_start_with_session =
          [](bool on) { return shell::SetStartWithSession(settings::ThisProgramPath(), on); },
  };
}

}  // namespace

HWND ToHwnd(Handle handle) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(handle));
}

Handle ToHandle(HWND window) {
  return static_cast<Handle>(reinterpret_cast<std::intptr_t>(window));
}

bool SlotPlatform::Create() {
  static const win32::WindowClass cls({.name = L"Tarnelle.Slots"});
  return CreateFrom(cls, 0, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr) != nullptr;
}

SlotCalls SlotPlatform::Calls(const settings::IniFile& file) {
  SlotCalls calls = PlatformOnly();
  const HWND self = hwnd();
  calls.start_worker = [self](WorkerTask task) {
    try {
      // Detached: a worker stuck on a hung thread is left behind, never waited for.
      std::thread([self, task = std::move(task)] {
        const WorkerResult result = AttachAndAsk(PlatformOnly(), task);
        std::ignore = ::PostMessageW(self, kWorkerDone, task.generation,
                                     static_cast<LPARAM>(result));  // gone at exit
      }).detach();
    } catch (const std::system_error&) {
      win32::TraceError(L"std::thread", ERROR_NOT_ENOUGH_MEMORY);  // the step's time runs out instead
    }
  };
  calls.set_timer = [self](Timer timer, unsigned ms) {
    if (::SetTimer(self, static_cast<UINT_PTR>(timer) + 1, ms, nullptr) == 0) {
      win32::TraceLastError(L"SetTimer");  // without it the escalation or the start waits in vain
    }
  };
  calls.kill_timer = [self](Timer timer) {
    std::ignore = ::KillTimer(self, static_cast<UINT_PTR>(timer) + 1);  // fails only when there was none
  };
  calls.read_setting = [file](const std::wstring& section, const std::wstring& key) {
    return file.Read(section, key, L"", kLineChars);
  };
  calls.write_setting = [file](const std::wstring& section, const std::wstring& key,
                               const std::wstring& value) { return file.Write(section, key, value).ok; };
  calls.write_section = [file](const std::wstring& section,
                               const std::vector<std::pair<std::wstring, std::wstring>>& keys) {
    return file.WriteSection(section, keys).ok;
  };
  calls.has_section = [file](const std::wstring& section) { return file.HasSection(section); };
  return calls;
}

LRESULT SlotPlatform::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (on_timer && (wp == 1 || wp == 2)) {
        on_timer(static_cast<Timer>(wp - 1));
        return 0;
      }
      break;
    case kWorkerDone:
      if (on_worker_done) {
        on_worker_done(static_cast<unsigned>(wp), static_cast<WorkerResult>(lp));
      }
      return 0;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tarnelle::switcher
