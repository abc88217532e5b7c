// Malformed values in the per-user settings store (HKCU\Software\<name>\Orvanta), read by the
// program's own hotkey box set to keep its hotkey there. The main window's boxes all use the INI
// file, so this runs in this process with the box hosted here. Whatever a value holds (or is
// typed as), the box shows text, registers what the platform accepts, and saves plain text
// values: the text as shown and the numbers in decimal, leaving other values alone.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "hotkeybox/orvanta.h"
#include "hotkeybox/properties.h"
#include "tests/reliability/rig.h"
#include "tests/wine/hotkeybox_host.h"
#include "tests/wine/support.h"

namespace tarnelle::reliability {
namespace {

using hotkeybox::host::TestBox;

constexpr wchar_t kNotSet[] = L"Not set hotkey";
constexpr wchar_t kTaken[] = L"Hotkey already exists, please change a hotkey.";

// One raw registry value as someone (or something) left it.
struct Raw {
  std::wstring name;
  DWORD type = REG_SZ;
  std::vector<BYTE> data;
};

Raw Text(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ) {
  const auto* bytes = reinterpret_cast<const BYTE*>(value.c_str());
  return Raw{name, type, std::vector<BYTE>(bytes, bytes + (value.size() + 1) * sizeof(wchar_t))};
}

Raw Dword(const std::wstring& name, DWORD value) {
  const auto* bytes = reinterpret_cast<const BYTE*>(&value);
  return Raw{name, REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof(value))};
}

Raw Binary(const std::wstring& name, std::size_t size) {
  std::vector<BYTE> data(size);
  std::uint32_t x = 99;
  for (BYTE& b : data) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<BYTE>(x >> 24);
  }
  return Raw{name, REG_BINARY, data};
}

struct Case {
  std::string name;
  std::vector<Raw> values;
  Hotkey loaded;  // what box Orvanta1 must show and hold
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

std::vector<Case> Cases() {
  const std::wstring t = L"Orvanta1Text";
  const std::wstring k = L"Orvanta1KeyCode";
  const std::wstring m = L"Orvanta1ModKeyCode";
  const std::wstring long_text = L"Ctrl + " + std::wstring(293, L'Q');
  const std::wstring huge_text(64 * 1024, L'x');
  std::vector<Case> cases = {
      {"KeyCodeMinusOne", {Text(t, L"A"), Text(k, L"-1"), Text(m, L"6")}, {L"A", -1, 6}},
      {"KeyCodeBeyond32Bits", {Text(t, L"B"), Text(k, L"2147483648"), Text(m, L"6")}, {L"B", 0, 6}},
      {"KeyCodeWithLetters", {Text(t, L"C"), Text(k, L"55zz"), Text(m, L"6")}, {L"C", 0, 6}},
      {"KeyCodeInHex", {Text(t, L"D"), Text(k, L"0x41"), Text(m, L"6")}, {L"D", 0, 6}},
      {"KeyCodeEmpty", {Text(t, L"E"), Text(k, L""), Text(m, L"6")}, {L"E", 0, 6}},
      {"KeyCodeWithBlanks", {Text(t, L"F"), Text(k, L" 116 "), Text(m, L"6")}, {L"F", 0, 6}},
      {"KeyCodeMostNegative",
       {Text(t, L"G"), Text(k, L"-2147483648"), Text(m, L"6")},
       {L"G", std::numeric_limits<std::int32_t>::min(), 6}},
      {"ModifierMaskWithUnknownBits",
       {Text(t, L"H"), Text(k, L"117"), Text(m, L"16400")},
       {L"H", 117, 0x4010}},
      {"ModifierMaskInHex", {Text(t, L"I"), Text(k, L"117"), Text(m, L"0x4010")}, {L"I", 117, 0}},
      {"TextOf300Characters", {Text(t, long_text), Text(k, L"118"), Text(m, L"6")}, {long_text, 118, 6}},
      {"TextOf64KiB", {Text(t, huge_text), Text(k, L"118"), Text(m, L"6")}, {huge_text, 118, 6}},
      {"TextWithNulInside",
       {Raw{t, REG_SZ, {'C', 0, 't', 0, 0, 0, 'X', 0, 0, 0}}, Text(k, L"119"), Text(m, L"6")},
       {L"Ct", 119, 6}},
      {"NumbersAsDwords", {Text(t, L"J"), Dword(k, 120), Dword(m, 6)}, {L"J", 0, 0}},
      {"TextAsBinaryJunk", {Binary(t, 300), Text(k, L"120"), Text(m, L"6")}, {L"Press Hotkey", 120, 6}},
      {"TextToBeExpanded",
       {Text(t, L"%PATH%", REG_EXPAND_SZ), Text(k, L"121"), Text(m, L"6")},
       {L"Press Hotkey", 121, 6}},
      {"TextAsMultiString",
       {Raw{t, REG_MULTI_SZ, {'A', 0, 0, 0, 'B', 0, 0, 0, 0, 0}}, Text(k, L"121"), Text(m, L"6")},
       {L"Press Hotkey", 121, 6}},
      {"KeysOfABoxThatDoesNotExist",
       {Text(L"Orvanta11Text", L"Eleven"), Text(L"Orvanta11KeyCode", L"122"), Text(t, L"K"), Text(k, L"122"),
        Text(m, L"6")},
       {L"K", 122, 6}},
  };
  return cases;
}

class UserStoreBox : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    static int counter = 0;
    application_ = L"TarnelleReliability-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                   std::to_wstring(++counter);
  }
  void TearDown() override {
    boxes_.clear();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + application_).c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, (L"Software\\" + application_).c_str());
  }
  [[nodiscard]] std::wstring Section() const { return L"Software\\" + application_ + L"\\Orvanta"; }

  void Put(const Raw& raw) const {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, Section().c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExW(key, raw.name.c_str(), 0, raw.type, raw.data.data(),
                               static_cast<DWORD>(raw.data.size())),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
  }

  // The value's type and text; nothing when it is missing.
  bool Get(const std::wstring& name, DWORD& type, std::wstring& text) const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, Section().c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return false;
    }
    DWORD bytes = 0;
    LSTATUS status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes);
    if (status == ERROR_SUCCESS) {
      text.assign(bytes / sizeof(wchar_t) + 1, L'\0');
      status =
          ::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes);
      text.resize(bytes / sizeof(wchar_t));
      if (!text.empty() && text.back() == L'\0') {
        text.pop_back();
      }
    }
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
  }

  TestBox& NewBox() {
    boxes_.push_back(std::make_unique<TestBox>(host_.hwnd(), true, L"Orvanta1"));
    EXPECT_TRUE(boxes_.back()->created);
    hotkeybox::PropertyStore store;
    store.Write(hotkeybox::prop::kSettingLocation, std::int32_t{1}, std::int32_t{0});
    store.Write(hotkeybox::prop::kRegKeyName, application_, std::wstring(L"Orvanta"));
    boxes_.back()->Load(store);
    return *boxes_.back();
  }

  testing::TargetWindow host_{L"Per-user store"};
  std::wstring application_;
  std::vector<std::unique_ptr<TestBox>> boxes_;
};

TEST_P(UserStoreBox, LoadsSaneRegistersWhatIsAcceptedAndSavesTextValues) {
  const Case& c = GetParam();
  for (const Raw& raw : c.values) {
    Put(raw);
  }
  Tried().bad_inputs++;
  TestBox& b = NewBox();
  EXPECT_EQ(b.box.Text().size(), c.loaded.text.size());
  EXPECT_TRUE(b.box.Text() == c.loaded.text) << "shows \"" << Utf8(b.box.Text().substr(0, 60)) << "\"";
  EXPECT_EQ(b.box.KeyCode(), c.loaded.key_code);
  EXPECT_EQ(b.box.ModKeyCode(), c.loaded.modifiers);

  // Switching it on registers what the platform takes, and says why not otherwise.
  const bool free = c.loaded.key_code != 0 &&
                    HotkeyFree(static_cast<UINT>(c.loaded.modifiers), static_cast<UINT>(c.loaded.key_code));
  {
    testing::MessageBoxWatcher messages;
    b.box.SetHotKeyEnabled(true);
    if (c.loaded.key_code == 0) {
      EXPECT_FALSE(b.box.HotKeyEnabled());
      ASSERT_EQ(messages.shown().size(), 1u);
      EXPECT_EQ(messages.shown()[0].text, kNotSet);
    } else if (free) {
      EXPECT_TRUE(b.box.HotKeyEnabled());
      EXPECT_TRUE(messages.shown().empty());
      EXPECT_FALSE(HotkeyFree(static_cast<UINT>(c.loaded.modifiers), static_cast<UINT>(c.loaded.key_code)));
    } else {
      EXPECT_FALSE(b.box.HotKeyEnabled());
      ASSERT_EQ(messages.shown().size(), 1u);
      EXPECT_EQ(messages.shown()[0].text, kTaken);
      EXPECT_EQ(b.box.Text(), L"Press Hotkey");
    }
    for (const auto& shown : messages.shown()) {
      EXPECT_EQ(shown.caption, L"error");
    }
  }

  const hotkeybox::SaveResult saved = b.box.SaveSettings();
  ASSERT_TRUE(saved.ok) << Utf8(saved.where) << " refused the write (error " << saved.error << ")";
  const std::pair<std::wstring, std::wstring> expected[] = {
      {L"Orvanta1Text", b.box.Text()},
      {L"Orvanta1KeyCode", std::to_wstring(b.box.KeyCode())},
      {L"Orvanta1ModKeyCode", std::to_wstring(b.box.ModKeyCode())},
  };
  for (const auto& [name, value] : expected) {
    DWORD type = 0;
    std::wstring text;
    ASSERT_TRUE(Get(name, type, text)) << Utf8(name) << " was not saved";
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << Utf8(name) << " is not saved as text";
    EXPECT_TRUE(text == value) << Utf8(name) << " saved as \"" << Utf8(text.substr(0, 60)) << "\" ("
                               << text.size() << " characters) instead of \"" << Utf8(value.substr(0, 60))
                               << "\" (" << value.size() << ")";
  }
  // Values of other boxes are not the box's business.
  for (const Raw& raw : c.values) {
    if (raw.name == L"Orvanta1Text" || raw.name == L"Orvanta1KeyCode" || raw.name == L"Orvanta1ModKeyCode") {
      continue;  // the box's own
    }
    DWORD type = 0;
    std::wstring text;
    ASSERT_TRUE(Get(raw.name, type, text)) << Utf8(raw.name) << " was removed";
    EXPECT_EQ(type, raw.type) << Utf8(raw.name) << " was rewritten";
  }

  // And the box that loads what was saved shows the same.
  const std::wstring text = b.box.Text();
  const std::int32_t key = b.box.KeyCode();
  const std::int32_t mods = b.box.ModKeyCode();
  boxes_.clear();
  TestBox& again = NewBox();
  EXPECT_TRUE(again.box.Text() == text);
  EXPECT_EQ(again.box.KeyCode(), key);
  EXPECT_EQ(again.box.ModKeyCode(), mods);
}

INSTANTIATE_TEST_SUITE_P(EveryMalformedValue, UserStoreBox, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& param) { return param.param.name; });

}  // namespace
}  // namespace tarnelle::reliability
