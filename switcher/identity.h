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
[[nodiscard]] bool SameProgramAndClass(const WindowIdentity& a, const WindowIdentity& b);

// The one of |open| (visible top-level windows, the most recently active first) that stands for
// |remembered|: the same program and class, and of those the same title first, else the most
// recently active. Nothing when no window of that program and class is open.
[[nodiscard]] std::optional<std::size_t> FindWindowLike(const WindowIdentity& remembered,
                                                        std::span<const WindowIdentity> open);

// One line of the settings file: the three fields joined by '|'. Printable ASCII stands for
// itself; a space, '%', '|', '"', ';' and every other character are written as %XX escapes of
// their UTF-8 bytes, so that the line survives the profile functions and any code page.
[[nodiscard]] std::wstring EncodeIdentity(const WindowIdentity& identity);
// Nothing for a line that is not one EncodeIdentity wrote: a wrong number of fields, a broken
// escape, no program or no class.
[[nodiscard]] std::optional<WindowIdentity> DecodeIdentity(std::wstring_view line);

// Whether |path| may ever be started: an absolute path (drive or UNC) to a file named *.exe,
// with no quote, control character, forward slash or "." / ".." part that the platform would
// read differently. Whether the file exists is the platform's to say.
[[nodiscard]] bool IsStartablePath(std::wstring_view path);

// The folder of a startable path: where the program is started.
[[nodiscard]] std::wstring FolderOf(std::wstring_view path);

// An option in the settings file: "1" is on, anything else off.
[[nodiscard]] bool ParseOption(std::wstring_view text);

// A slot's line in the tray's Windows menu: "1   Ctrl + Alt + 1   Untitled - Notepad", the title
// shortened to kMenuTitleChars characters; "(no window)" without one.
inline constexpr std::size_t kMenuTitleChars = 40;
[[nodiscard]] std::wstring WindowsMenuItem(int slot, std::wstring_view hotkey_text,
                                           std::optional<std::wstring_view> title);

}  // namespace tarnelle::switcher
