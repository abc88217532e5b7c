#include <windows.h>
#include <commctrl.h>

#include "app/resource.h"
#include "switcher/frmset.h"
#include "win32/message_box.h"
#include "win32/trace.h"
#include "win32/unique.h"

namespace {

constexpr wchar_t kInstanceMutex[] = L"Local\\Orvanta.Tarnelle";

constexpr tarnelle::switcher::Resources kResources{
    .icon = IDI_TARNELLE,
    .logo = IDR_LOGO,
    .hide_image = IDR_HIDE,
    .close_image = IDR_CLOSE,
    .hand_cursor = IDI_HAND_CURSOR,
    .hand_hot_spot = {13, 4},  // the fingertip of the drawing
};

// A second start brings the running instance's window up and leaves everything else alone:
// two instances would fight over every hotkey and overwrite each other's settings.
void ShowRunningInstance() {
  const HWND running = ::FindWindowW(tarnelle::switcher::frmSet::kClassName, nullptr);
  if (running != nullptr) {
    std::ignore = ::ShowWindow(running, SW_SHOW);  // answers the old visibility
    std::ignore = ::SetForegroundWindow(running);  // refused under a foreground lock
  }
}

// The program cannot run: the user must hear why, not find it gone.
int Fail(const wchar_t* what) {
  tarnelle::win32::ShowError(nullptr, what);
  return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Load system DLLs from the system folder only, never from the program's folder.
  std::ignore = tarnelle::win32::Check(::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32),
                                       L"SetDefaultDllDirectories");
  std::ignore = tarnelle::win32::Check(
      ::HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0), L"HeapSetInformation");

  const tarnelle::win32::unique_handle instance(::CreateMutexW(nullptr, FALSE, kInstanceMutex));
  if (instance && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    ShowRunningInstance();
    return 0;
  }

  const INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  std::ignore = tarnelle::win32::Check(::InitCommonControlsEx(&icc), L"InitCommonControlsEx");

  tarnelle::switcher::frmSet form(kResources);
  if (!form.Create()) {
    return Fail(L"Tarnelle could not start: its window could not be made.");
  }
  form.Show();

  MSG msg;
  BOOL got;
  while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0 && got != -1) {
    // Only keys move the focus between the window's controls; everything else, a hotkey press
    // among them, goes straight to its window without asking which one that is.
    const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
    if (!key || !::IsDialogMessageW(form.hwnd(), &msg)) {
      std::ignore = ::TranslateMessage(&msg);  // answers whether a character came of it
      ::DispatchMessageW(&msg);
    }
  }
  return got == 0 ? static_cast<int>(msg.wParam) : 1;
}
