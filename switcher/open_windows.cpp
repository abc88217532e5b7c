#include "switcher/open_windows.h"

#include <map>
#include <optional>
#include <tuple>
#include <utility>

#include "win32/module.h"
#include "win32/unique.h"

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

// The text the window keeps, read without a message: a hung window cannot hold us up.
std::wstring TitleOf(HWND window) {
  wchar_t title[512]{};
  const int n = ::InternalGetWindowText(window, title, 512);
  return std::wstring(title, static_cast<std::size_t>(n > 0 ? n : 0));
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

// The process of the store app a frame host window shows: its core window's; 0 while the app is
// minimised or suspended, when the core window is not in the frame.
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

// Describe, with the programs of the processes already asked kept for the next window.
Described DescribeWith(HWND window, std::map<DWORD, std::optional<std::wstring>>& programs) {
  const auto program_of = [&](DWORD pid) -> const std::optional<std::wstring>& {
    auto [at, added] = programs.try_emplace(pid);
    if (added) {
      at->second = ProgramOf(pid);
    }
    return at->second;
  };
  DWORD pid = 0;
  if (::GetWindowThreadProcessId(window, &pid) == 0) {
    return {};
  }
  std::optional<std::wstring> program = program_of(pid);
  Described::Kind kind = Described::Kind::kKnown;
  if (program && IsFrameHost(*program)) {
    if (const DWORD core = CoreProcessOf(window, pid); core != 0) {
      program = program_of(core);
    } else {
      kind = Described::Kind::kDetachedFrame;
    }
  }
  if (!program) {
    return {};
  }
  return {kind, WindowIdentity{*program, ClassName(window), TitleOf(window)}};
}

}  // namespace

Described Describe(HWND window) {
  std::map<DWORD, std::optional<std::wstring>> programs;
  return DescribeWith(window, programs);
}

std::vector<OpenWindow> OpenWindows(const std::wstring& window_class) {
  std::vector<HWND> windows;
  std::ignore = ::EnumWindows(
      [](HWND window, LPARAM lp) -> BOOL {
        if (::IsWindowVisible(window)) {
          reinterpret_cast<std::vector<HWND>*>(lp)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  std::vector<OpenWindow> open;
  std::map<DWORD, std::optional<std::wstring>> programs;
  for (const HWND window : windows) {
    // Only the windows of the right class are worth asking their program for.
    if (!window_class.empty() &&
        ::CompareStringOrdinal(ClassName(window).c_str(), -1, window_class.c_str(), -1, TRUE) != CSTR_EQUAL) {
      continue;
    }
    const Described described = DescribeWith(window, programs);
    if (described.kind == Described::Kind::kKnown) {
      const auto ex_style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
      open.push_back(OpenWindow{static_cast<Handle>(reinterpret_cast<std::intptr_t>(window)),
                                described.identity, ::GetWindow(window, GW_OWNER) != nullptr,
                                (ex_style & WS_EX_TOOLWINDOW) != 0, IsCloaked(window)});
    }
  }
  return open;
}

bool IsCloaked(HWND window) {
  // Bound at the first need: the program imports nothing beyond the system's core DLLs.
  using GetAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  static const win32::unique_hmodule dwm(
      ::LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  static const auto get = win32::BindFunction<GetAttribute>(dwm.get(), "DwmGetWindowAttribute");
  constexpr DWORD kCloaked = 14;  // DWMWA_CLOAKED
  DWORD cloaked = 0;
  return get != nullptr && SUCCEEDED(get(window, kCloaked, &cloaked, sizeof(cloaked))) && cloaked != 0;
}

std::wstring SetFrameHostName(std::wstring name) {
  return std::exchange(FrameHostName(), std::move(name));
}

}  // namespace tarnelle::switcher
