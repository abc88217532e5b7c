#pragma once
// Who a remembered window is, beyond its handle: the program behind it, its class and its title,
// so that a slot can find the window again after the program, or Tarnelle, restarted. Pure: the
// platform supplies the open windows, this decides which one stands for a remembered one, and
// how an identity is kept in the settings file.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarnelle::switcher {

struct WindowIdentity {
  std::wstring program;  // the full path of its program
  std::wstring window_class;
  std::wstring title;
  friend bool operator==(const WindowIdentity&, const WindowIdentity&) = default;
};

// Paths and class names compare as the platform compares them: without regard to case.
[[nodiscard]] bool SameProgram(const WindowIdentity& a, const WindowIdentity& b);
[[nodiscard]] bool SameProgramAndClass(const WindowIdentity& a, const WindowIdentity& b);

// Which of |open| (visible top-level windows, the most recently active first) stands for
// |remembered|: of the same program and class, the one with the same title first; else the only
// one of that program and class. With several and none of the same title there is no telling
// which one the slot had (one of a browser's windows, one Explorer folder of many): none stands
// for it, though windows of the program are open.
struct WindowLike {
  std::optional<std::size_t> found;
  bool program_open = false;  // some window of that program and class is open
};
[[nodiscard]] WindowLike FindWindowLike(const WindowIdentity& remembered,
                                        std::span<const WindowIdentity> open);

// One line of the settings file: the three fields joined by '|'. Printable ASCII stands for
// itself; a space, '%', '|', '"', ';' and every other character are written as %XX escapes of
// their UTF-8 bytes, so that the line survives the profile functions and any code page.
[[nodiscard]] std::wstring EncodeIdentity(const WindowIdentity& identity);
// Nothing for a line that is not one EncodeIdentity wrote: a wrong number of fields, a broken
// escape, bytes that are not the shortest UTF-8 of a character, a NUL, no program or no class.
[[nodiscard]] std::optional<WindowIdentity> DecodeIdentity(std::wstring_view line);

// Whether |path| may ever be started: an absolute path on a drive ("C:\...") to a file named
// *.exe, with nothing the platform would read differently (a quote, a control character, a
// forward slash, another ':', an empty, "." or ".." part, a part ending in a dot or a blank, a
// device name such as CON), and not a program that only hosts other content (Explorer, the
// management console, rundll32, dllhost, Java, the store's frame host) nor one of a store
// package (under a WindowsApps folder), which started alone opens something else than the
// slot's window. Whether the file exists is the platform's to say.
[[nodiscard]] bool IsStartablePath(std::wstring_view path);

// The folder of a startable path: where the program is started.
[[nodiscard]] std::wstring FolderOf(std::wstring_view path);

// An option in the settings file: "1" is on, anything else off.
[[nodiscard]] bool ParseOption(std::wstring_view text);

// A slot's line in the tray's Windows menu: "1   Ctrl + Alt + 1   Untitled - Notepad", the title
// cut to kMenuTitleChars characters; "(no window)" without one, "(not running)" for a program a
// press would start. Shown as it is: an '&' stays an '&', a control character a blank.
inline constexpr std::size_t kMenuTitleChars = 40;
enum class MenuWindowState { kWindow, kNoWindow, kNotRunning };
[[nodiscard]] std::wstring WindowsMenuItem(int slot, std::wstring_view hotkey_text, MenuWindowState state,
                                           std::wstring_view title = {});

}  // namespace tarnelle::switcher
