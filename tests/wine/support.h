#pragma once
// Helpers for the tests that run under Wine against real windows, hotkeys, files and registry.

#include <windows.h>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tarnelle::testing {

// Dispatches this thread's messages until |done| is true or |timeout_ms| has passed.
bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 3000);
// Dispatches this thread's messages for |ms| milliseconds.
void PumpFor(int ms);

// Real keyboard input through SendInput: presses the modifiers (VK codes) in order, the key,
// then releases everything in reverse order.
void SendCombo(const std::vector<WORD>& modifiers, WORD key);
void SendKeyDown(WORD vk);
void SendKeyUp(WORD vk);
// A real mouse click at a screen position (pixels), with the given button.
enum class MouseButton { kLeft, kRight, kMiddle };
void SendClick(POINT screen, MouseButton button = MouseButton::kLeft);
void MoveMouseTo(POINT screen);

// One message box as shown on screen.
struct ShownMessage {
  std::wstring text;
  std::wstring caption;
  UINT style = 0;
  bool seen_on_screen = false;  // the real dialog was found and read
};

// Lets the program's message boxes be shown for real; a watcher thread finds each one on
// screen, reads its caption and text, and answers OK. Restores the previous handler on exit.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher();
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  [[nodiscard]] const std::vector<ShownMessage>& shown() const { return shown_; }
  void clear() { shown_.clear(); }

 private:
  std::vector<ShownMessage> shown_;
  struct State;
  State* state_;
};

// A plain top-level application window for the tests to remember and bring back.
class TargetWindow {
 public:
  explicit TargetWindow(const wchar_t* title = L"Tarnelle test target");
  ~TargetWindow();
  TargetWindow(const TargetWindow&) = delete;
  TargetWindow& operator=(const TargetWindow&) = delete;
  [[nodiscard]] HWND hwnd() const { return hwnd_; }
  void Destroy();

 private:
  HWND hwnd_ = nullptr;
};

// Brings a window to the foreground as reliably as a test can.
bool MakeForeground(HWND hwnd);

}  // namespace tarnelle::testing
