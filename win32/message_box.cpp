#include "win32/message_box.h"

#include <tuple>
#include <utility>

namespace tarnelle::win32 {
namespace {

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}

}  // namespace

int ShowMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT style) {
  if (const auto& handler = Handler()) {
    return handler(owner, text, caption, style);
  }
  const std::wstring t(text);
  const std::wstring c(caption);
  return ::MessageBoxW(owner, t.c_str(), c.c_str(), style);
}

void ShowError(HWND owner, std::wstring_view text) {
  std::ignore = ShowMessageBox(owner, text, kErrorCaption, kErrorStyle);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  return std::exchange(Handler(), std::move(handler));
}

}  // namespace tarnelle::win32
