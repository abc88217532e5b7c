#include "hotkeybox/subclass.h"

#include <tuple>

#include "hotkeybox/orvanta.h"

namespace tarnelle::hotkeybox {
namespace {

WNDPROC KeptProcedure(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(::GetPropW(hwnd, kPropWinProc));
}

HANDLE AsProperty(LONG_PTR value) {
  return reinterpret_cast<HANDLE>(value);
}

}  // namespace

// The platform's results are ignored here on purpose: the hook has no one to report to, and a
// failed step leaves the window with its own procedure, which is harmless.

void HookWindow(HWND hwnd, Orvanta* box) {
  std::ignore = ::SetPropW(hwnd, kPropObject, box);
  const LONG_PTR old = ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HotKeyWndProc));
  std::ignore = ::SetPropW(hwnd, kPropWinProc, AsProperty(old));
}

void UnhookWindow(HWND hwnd) noexcept {
  const HANDLE previous = ::GetPropW(hwnd, kPropWinProc);
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  std::ignore = ::RemovePropW(hwnd, kPropObject);
  std::ignore = ::RemovePropW(hwnd, kPropWinProc);
}

void HookTextBox(HWND hwnd) {
  const LONG_PTR old = ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TextBoxWndProc));
  std::ignore = ::SetPropW(hwnd, kPropWinProc, AsProperty(old));
}

void UnhookTextBox(HWND hwnd) noexcept {
  const HANDLE previous = ::GetPropW(hwnd, kPropWinProc);
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  std::ignore = ::RemovePropW(hwnd, kPropWinProc);
}

LRESULT CALLBACK HotKeyWndProc(HWND hwnd, UINT msg, WPARAM /*wp*/, LPARAM /*lp*/) noexcept {
  // The window only carries the hotkey: nothing else, not even WM_CLOSE, may act on it. The
  // identifier and keys are not looked at, since each window carries exactly one hotkey.
  if (msg == WM_HOTKEY) {
    if (Orvanta* box = ObjectFromPtr(::GetPropW(hwnd, kPropObject))) {
      box->RaiseEvents();
    }
  }
  return 0;
}

LRESULT CALLBACK TextBoxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == WM_CONTEXTMENU) {
    return 0;  // the box never offers Cut, Paste and the like
  }
  // Looked up on every message: the property is the only record of the old procedure.
  const WNDPROC previous = KeptProcedure(hwnd);
  if (previous == nullptr) {
    return ::DefWindowProcW(hwnd, msg, wp, lp);
  }
  return ::CallWindowProcW(previous, hwnd, msg, wp, lp);
}

Orvanta* ObjectFromPtr(HANDLE address) noexcept {
  // The property owns nothing: the host keeps the box alive, and teardown removes the property
  // before the box goes away.
  return static_cast<Orvanta*>(address);
}

}  // namespace tarnelle::hotkeybox
