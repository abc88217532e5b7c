#include "switcher/starter.h"

#include <algorithm>
#include <string>
#include <tuple>

#include "switcher/open_windows.h"
#include "win32/trace.h"
#include "win32/unique.h"

namespace tarnelle::switcher {
namespace {

constexpr UINT_PTR kTimer = 1;
constexpr UINT kLookEveryMs = 200;

bool IsExistingFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

bool ProgramStarter::Create() {
  static const win32::WindowClass cls({.name = L"Tarnelle.Starter"});
  return CreateFrom(cls, 0, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr) != nullptr;
}

bool ProgramStarter::Start(int slot, const WindowIdentity& identity) {
  Waiting& waiting = waiting_.at(static_cast<std::size_t>(slot - 1));
  if (waiting.deadline != 0) {
    return true;  // a second press while it starts starts nothing more
  }
  const std::wstring& program = identity.program;
  if (!IsStartablePath(program) || !IsExistingFile(program)) {
    return false;
  }
  // The application name is the path itself: the platform splits no command line to find it.
  std::wstring command_line = L"\"" + program + L"\"";
  const std::wstring folder = FolderOf(program);
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
  waiting = Waiting{identity, ::GetTickCount64() + kGiveUpMs};
  if (::SetTimer(hwnd(), kTimer, kLookEveryMs, nullptr) == 0) {
    win32::TraceLastError(L"SetTimer");
    waiting.deadline = 0;
    return false;
  }
  return true;
}

LRESULT ProgramStarter::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == kTimer) {
    OnTick();
    return 0;
  }
  return Window::OnMessage(msg, wp, lp);
}

void ProgramStarter::OnTick() {
  for (std::size_t i = 0; i < waiting_.size(); ++i) {
    Waiting& waiting = waiting_[i];
    if (waiting.deadline == 0) {
      continue;
    }
    const int slot = static_cast<int>(i + 1);
    if (const HWND window = FindOpenWindow(waiting.identity)) {
      waiting.deadline = 0;
      if (on_window) {
        on_window(slot, window);
      }
    } else if (::GetTickCount64() >= waiting.deadline) {
      waiting.deadline = 0;
      if (on_gave_up) {
        on_gave_up(slot);
      }
    }
  }
  // A callback may have started another program meanwhile.
  if (std::none_of(waiting_.begin(), waiting_.end(), [](const Waiting& w) { return w.deadline != 0; })) {
    std::ignore = ::KillTimer(hwnd(), kTimer);  // fails only when there was none
  }
}

}  // namespace tarnelle::switcher
