#include "switcher/open_windows.h"

#include <tuple>
#include <vector>

#include "win32/unique.h"
#include "win32/window.h"

namespace tarnelle::switcher {
namespace {

// The class of the window a store app draws in, a child of the frame host's window.
constexpr wchar_t kCoreWindowClass[] = L"Windows.UI.Core.CoreWindow";

std::wstring& FrameHostName() {
  static std::wstring name = L"ApplicationFrameHost.exe";
  return name;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256]{};
  const int n = ::GetClassNameW(window, name, 256);
  return std::wstring(name, static_cast<std::size_t>(n > 0 ? n : 0));
}

std::optional<std::wstring> ProgramOf(DWORD pid) {
  const win32::unique_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) {
    return std::nullopt;
  }
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    auto size = static_cast<DWORD>(path.size());
    if (::QueryFullProcessImageNameW(process.get(), 0, path.data(), &size)) {
      path.resize(size);
      return path;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768) {
      return std::nullopt;
    }
    path.resize(path.size() * 2);
  }
}

bool IsFrameHost(const std::wstring& program) {
  const std::wstring& host = FrameHostName();
  if (program.size() <= host.size() || program[program.size() - host.size() - 1] != L'\\') {
    return false;
  }
  return ::CompareStringOrdinal(program.c_str() + program.size() - host.size(), static_cast<int>(host.size()),
                                host.c_str(), static_cast<int>(host.size()), TRUE) == CSTR_EQUAL;
}

// The process of the store app a frame host window shows: its core window's.
DWORD CoreProcessOf(HWND frame, DWORD frame_pid) {
  struct Search {
    DWORD frame_pid;
    DWORD found;
  } search{frame_pid, 0};
  std::ignore = ::EnumChildWindows(
      frame,
      [](HWND child, LPARAM lp) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        std::ignore = ::GetWindowThreadProcessId(child, &pid);
        if (pid != s.frame_pid && ClassName(child) == kCoreWindowClass) {
          s.found = pid;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::optional<WindowIdentity> IdentityOf(HWND window) {
  DWORD pid = 0;
  if (::GetWindowThreadProcessId(window, &pid) == 0) {
    return std::nullopt;
  }
  std::optional<std::wstring> program = ProgramOf(pid);
  if (program && IsFrameHost(*program)) {
    if (const DWORD core = CoreProcessOf(window, pid); core != 0) {
      program = ProgramOf(core);
    }
  }
  if (!program) {
    return std::nullopt;
  }
  // The text the window keeps, read without a message: a hung window cannot hold us up.
  wchar_t title[512]{};
  const int n = ::InternalGetWindowText(window, title, 512);
  return WindowIdentity{*program, ClassName(window),
                        std::wstring(title, static_cast<std::size_t>(n > 0 ? n : 0))};
}

HWND FindOpenWindow(const WindowIdentity& remembered) {
  std::vector<HWND> windows;
  std::ignore = ::EnumWindows(
      [](HWND window, LPARAM lp) -> BOOL {
        if (::IsWindowVisible(window)) {
          reinterpret_cast<std::vector<HWND>*>(lp)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  // Only the windows of the right class are worth asking their program for.
  std::vector<HWND> candidates;
  std::vector<WindowIdentity> identities;
  for (const HWND window : windows) {
    if (::CompareStringOrdinal(ClassName(window).c_str(), -1, remembered.window_class.c_str(), -1, TRUE) !=
        CSTR_EQUAL) {
      continue;
    }
    if (auto identity = IdentityOf(window)) {
      candidates.push_back(window);
      identities.push_back(std::move(*identity));
    }
  }
  const auto found = FindWindowLike(remembered, identities);
  return found ? candidates[*found] : nullptr;
}

std::wstring SetFrameHostName(std::wstring name) {
  return std::exchange(FrameHostName(), std::move(name));
}

}  // namespace tarnelle::switcher
