#include "switcher/identity.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tarnelle::switcher {
namespace {

constexpr wchar_t kSeparator = L'|';
constexpr wchar_t kEscape = L'%';

wchar_t FoldAscii(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view end) {
  return text.size() >= end.size() && EqualNoCase(text.substr(text.size() - end.size()), end);
}

bool Literal(wchar_t c) {
  return c > L' ' && c < 0x7F && c != kEscape && c != kSeparator && c != L'"' && c != L';';
}

// The code points of |text|, whether wchar_t holds UTF-16 (Windows) or UTF-32.
std::vector<char32_t> CodePoints(std::wstring_view text) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
        const auto low = static_cast<char32_t>(text[i + 1]);
        if (low >= 0xDC00 && low < 0xE000) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    out.push_back(c);
  }
  return out;
}

void AppendCodePoint(std::wstring& out, char32_t c) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (c >> 10));
      out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
      return;
    }
  }
  out += static_cast<wchar_t>(c);
}

void AppendEscaped(std::wstring& out, std::wstring_view field) {
  static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  const auto byte = [&](unsigned b) {
    out += kEscape;
    out += kHex[(b >> 4) & 0xF];
    out += kHex[b & 0xF];
  };
  for (const char32_t c : CodePoints(field)) {
    if (c < 0x80 && Literal(static_cast<wchar_t>(c))) {
      out += static_cast<wchar_t>(c);
    } else if (c < 0x80) {
      byte(c);
    } else if (c < 0x800) {
      byte(0xC0 | (c >> 6));
      byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      byte(0xE0 | (c >> 12));
      byte(0x80 | ((c >> 6) & 0x3F));
      byte(0x80 | (c & 0x3F));
    } else {
      byte(0xF0 | (c >> 18));
      byte(0x80 | ((c >> 12) & 0x3F));
      byte(0x80 | ((c >> 6) & 0x3F));
      byte(0x80 | (c & 0x3F));
    }
  }
}

std::optional<unsigned> HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') {
    return static_cast<unsigned>(c - L'0');
  }
  if (FoldAscii(c) >= L'a' && FoldAscii(c) <= L'f') {
    return static_cast<unsigned>(FoldAscii(c) - L'a' + 10);
  }
  return std::nullopt;
}

// The bytes of one field's escapes, then its text; nothing for a broken escape or bad UTF-8.
std::optional<std::wstring> Unescape(std::wstring_view field) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const wchar_t c = field[i];
    if (c == kEscape) {
      if (i + 2 >= field.size()) {
        return std::nullopt;
      }
      const auto high = HexDigit(field[i + 1]);
      const auto low = HexDigit(field[i + 2]);
      if (!high || !low) {
        return std::nullopt;
      }
      bytes.push_back(static_cast<std::uint8_t>(*high << 4 | *low));
      i += 2;
    } else if (Literal(c)) {
      bytes.push_back(static_cast<std::uint8_t>(c));
    } else {
      return std::nullopt;  // written by hand, not by us
    }
  }
  std::wstring text;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::uint8_t lead = bytes[i];
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || i + length > bytes.size()) {
      return std::nullopt;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) {
        return std::nullopt;
      }
      c = c << 6 | (bytes[i + k] & 0x3F);
    }
    // Each character has one encoding, its shortest; and no field of ours holds a NUL.
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000) || c < kShortest[length] || c == 0) {
      return std::nullopt;
    }
    AppendCodePoint(text, c);
    i += length;
  }
  return text;
}

}  // namespace

bool SameProgram(const WindowIdentity& a, const WindowIdentity& b) {
  return EqualNoCase(a.program, b.program);
}

bool SameProgramAndClass(const WindowIdentity& a, const WindowIdentity& b) {
  return SameProgram(a, b) && EqualNoCase(a.window_class, b.window_class);
}

WindowLike FindWindowLike(const WindowIdentity& remembered, std::span<const WindowIdentity> open) {
  WindowLike like;
  std::size_t same_program = 0;
  for (std::size_t i = 0; i < open.size(); ++i) {
    if (!SameProgramAndClass(remembered, open[i])) {
      continue;
    }
    if (open[i].title == remembered.title) {
      return {i, true};
    }
    if (same_program++ == 0) {
      like.found = i;
    }
  }
  like.program_open = same_program > 0;
  if (same_program > 1) {
    like.found.reset();
  }
  return like;
}

std::wstring EncodeIdentity(const WindowIdentity& identity) {
  std::wstring line;
  AppendEscaped(line, identity.program);
  line += kSeparator;
  AppendEscaped(line, identity.window_class);
  line += kSeparator;
  AppendEscaped(line, identity.title);
  return line;
}

std::optional<WindowIdentity> DecodeIdentity(std::wstring_view line) {
  std::optional<std::wstring> fields[3];
  for (auto& field : fields) {
    const std::size_t end = std::min(line.find(kSeparator), line.size());
    field = Unescape(line.substr(0, end));
    if (!field) {
      return std::nullopt;
    }
    line.remove_prefix(end);
    if (&field != &fields[2]) {
      if (line.empty()) {
        return std::nullopt;
      }
      line.remove_prefix(1);
    }
  }
  if (!line.empty() || fields[0]->empty() || fields[1]->empty()) {
    return std::nullopt;
  }
  return WindowIdentity{*fields[0], *fields[1], *fields[2]};
}

bool IsStartablePath(std::wstring_view path) {
  const bool drive = path.size() > 3 && FoldAscii(path[0]) >= L'a' && FoldAscii(path[0]) <= L'z' &&
                     path[1] == L':' && path[2] == L'\\';
  if (!drive || !EndsWithNoCase(path, L".exe") || path.size() >= 32768) {
    return false;
  }
  if (std::any_of(path.begin() + 2, path.end(),
                  [](wchar_t c) { return c < L' ' || c == L'"' || c == L'/' || c == L':'; })) {
    return false;
  }
  // Programs that show other content than their own: started alone, they open a bare window.
  static constexpr std::wstring_view kHosts[] = {L"explorer.exe",
                                                 L"mmc.exe",
                                                 L"rundll32.exe",
                                                 L"dllhost.exe",
                                                 L"java.exe",
                                                 L"javaw.exe",
                                                 L"ApplicationFrameHost.exe"};
  // Names the platform takes for devices whatever their extension.
  static constexpr std::wstring_view kDevices[] = {
      L"con",  L"prn",  L"aux",  L"nul",  L"com1", L"com2", L"com3", L"com4", L"com5", L"com6", L"com7",
      L"com8", L"com9", L"lpt1", L"lpt2", L"lpt3", L"lpt4", L"lpt5", L"lpt6", L"lpt7", L"lpt8", L"lpt9"};
  // Every part between separators names something, as it is written: none is empty, "." or
  // "..", ends in a dot or a blank (which the platform drops) or is a device.
  std::wstring_view rest = path.substr(3);
  for (;;) {
    const std::size_t end = rest.find(L'\\');
    const std::wstring_view part = rest.substr(0, end);
    if (part.empty() || part.back() == L'.' || part.back() == L' ' ||
        std::any_of(std::begin(kDevices), std::end(kDevices), [&](std::wstring_view device) {
          return EqualNoCase(part.substr(0, part.find(L'.')), device);
        })) {
      return false;
    }
    if (end == std::wstring_view::npos) {
      return std::none_of(std::begin(kHosts), std::end(kHosts),
                          [&](std::wstring_view host) { return EqualNoCase(part, host); });
    }
    if (EqualNoCase(part, L"WindowsApps")) {
      return false;  // a store package's programs start only through the store's own activation
    }
    rest.remove_prefix(end + 1);
  }
}

std::wstring FolderOf(std::wstring_view path) {
  const std::size_t separator = path.find_last_of(L'\\');
  if (separator == std::wstring_view::npos) {
    return {};
  }
  std::wstring folder(path.substr(0, separator));
  if (folder.size() == 2 && folder[1] == L':') {
    folder += L'\\';  // "D:" alone would mean the drive's current folder
  }
  return folder;
}

bool ParseOption(std::wstring_view text) {
  return text == L"1";
}

std::wstring WindowsMenuItem(int slot, std::wstring_view hotkey_text, MenuWindowState state,
                             std::wstring_view title) {
  // A menu takes '&' for the mark of a mnemonic and a tab for the start of a shortcut's column.
  const auto shown = [](std::wstring_view text) {
    std::wstring out;
    for (const wchar_t c : text) {
      if (c == L'&') {
        out += L"&&";
      } else {
        out += c < L' ' || c == 0x7F ? L' ' : c;
      }
    }
    return out;
  };
  std::wstring item = std::to_wstring(slot) + L"   " + shown(hotkey_text) + L"   ";
  if (state == MenuWindowState::kNoWindow) {
    return item + L"(no window)";
  }
  if (state == MenuWindowState::kNotRunning) {
    return item + L"(not running)";
  }
  if (title.size() <= kMenuTitleChars) {
    return item + shown(title);
  }
  std::size_t cut = kMenuTitleChars - 1;
  if (title[cut - 1] >= 0xD800 && title[cut - 1] < 0xDC00) {
    --cut;  // never half of a character
  }
  return item + shown(title.substr(0, cut)) + L"\u2026";
}

}  // namespace tarnelle::switcher
