#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "switcher/frmset.h"
#include "win32/unique.h"

namespace {

constexpr wchar_t kInstanceMutex[] = L"Local\\Orvanta.Tarnelle";

// A second start brings the running instance's window up and leaves everything else alone:
// two instances would fight over every hotkey and overwrite each other's settings.
void ShowRunningInstance() {
  const HWND running = ::FindWindowW(tarnelle::switcher::frmSet::kClassName, nullptr);
  if (running != nullptr) {
    ::ShowWindow(running, SW_SHOW);
    ::SetForegroundWindow(running);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Load system DLLs from the system folder only, never from the program's folder.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  ::HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);

  const tarnelle::win32::unique_handle instance(::CreateMutexW(nullptr, FALSE, kInstanceMutex));
  if (instance && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    ShowRunningInstance();
    return 0;
  }

  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
    return 1;
  }
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);

  int exit_code = 0;
  {
    tarnelle::switcher::frmSet form;
    if (!form.Create()) {
      ::CoUninitialize();
      return 1;
    }
    form.ShowCentered();

    MSG msg;
    BOOL got;
    while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0 && got != -1) {
      if (!::IsDialogMessageW(form.hwnd(), &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
    exit_code = got == 0 ? static_cast<int>(msg.wParam) : 1;
  }
  ::CoUninitialize();
  return exit_code;
}
