// Malformed set.ini files: cut short, empty, junk, other encodings and line ends, duplicates,
// values out of range, values far too long, keys of boxes that do not exist. Whatever the file
// holds, the program starts, shows what it can, registers what the platform accepts when a slot
// is ticked, and on the way out writes back sane values: the texts as shown, the numbers as plain
// decimal, and whatever else the file held left where it was.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "settings/values.h"
#include "tests/reliability/rig.h"

namespace tarnelle::reliability {
namespace {

constexpr wchar_t kNotSet[] = L"Not set hotkey";
constexpr wchar_t kTaken[] = L"Hotkey already exists, please change a hotkey.";
constexpr std::int32_t kCtrlShift = MOD_CONTROL | MOD_SHIFT;

// What box N must have loaded: one of |any_of|, or anything when empty.
struct Expect {
  std::vector<Hotkey> any_of;
  // The text may be cut short: what is shown must be a non-empty beginning of it.
  bool text_may_be_cut = false;
};

// A value of another section or another key that must survive the save.
struct Kept {
  std::wstring section;
  std::wstring key;
  std::wstring value;
};

struct Variant {
  std::string name;
  std::string bytes;
  std::array<Expect, 10> boxes;
  std::vector<Kept> kept;
};

// Named in test output by its name, not by its bytes.
void PrintTo(const Variant& variant, std::ostream* os) {
  *os << variant.name;
}

const Hotkey kEmpty{L"Press Hotkey", 0, 0};

std::wstring Fn(int slot) {
  return L"Ctrl + Shift + F" + std::to_wstring(slot);
}

// Slot N saved as Ctrl+Shift+F<N>, as the program itself writes it.
std::string SlotLines(int slot, const char* eol = "\r\n") {
  const std::string n = std::to_string(slot);
  return "Orvanta" + n + "Text=Ctrl + Shift + F" + n + eol + "Orvanta" + n +
         "KeyCode=" + std::to_string(VK_F1 + slot - 1) + eol + "Orvanta" + n +
         "ModKeyCode=" + std::to_string(kCtrlShift) + eol;
}

Hotkey SlotHotkey(int slot) {
  return Hotkey{Fn(slot), static_cast<std::int32_t>(VK_F1 + slot - 1), kCtrlShift};
}

std::string AllSlots(const char* eol = "\r\n") {
  std::string text = std::string("[Orvanta]") + eol;
  for (int slot = 1; slot <= 10; ++slot) {
    text += SlotLines(slot, eol);
  }
  return text;
}

std::array<Expect, 10> Defaults() {
  std::array<Expect, 10> boxes;
  for (auto& b : boxes) {
    b.any_of = {kEmpty};
  }
  return boxes;
}

std::array<Expect, 10> AllKnown() {
  std::array<Expect, 10> boxes;
  for (int slot = 1; slot <= 10; ++slot) {
    boxes[static_cast<std::size_t>(slot - 1)].any_of = {SlotHotkey(slot)};
  }
  return boxes;
}

std::array<Expect, 10> Unknown() {
  return {};
}

// Pseudo-random bytes, the same every run; never a byte order mark at the start.
std::string Junk(std::size_t size, std::uint32_t seed) {
  std::string bytes(size, '\0');
  std::uint32_t x = seed;
  for (char& c : bytes) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  bytes[0] = '\x01';
  return bytes;
}

std::string Utf16Le(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>((c >> 8) & 0xFF);
  }
  return bytes;
}

std::wstring FromCodePage(const std::string& bytes, UINT code_page) {
  const int n = ::MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  return text;
}

std::vector<Variant> Variants() {
  std::vector<Variant> v;

  v.push_back({"EmptyFile", "", Defaults(), {}});
  v.push_back({"CutInsideTheSectionName", "[Orva", Defaults(), {}});
  {
    Variant cut{"CutInsideAValue",
                "[Orvanta]\r\n" + SlotLines(1) + SlotLines(2) + "Orvanta3Text=Ctrl + Sh",
                Defaults(),
                {}};
    cut.boxes[0].any_of = {SlotHotkey(1)};
    cut.boxes[1].any_of = {SlotHotkey(2)};
    cut.boxes[2].any_of = {Hotkey{L"Ctrl + Sh", 0, 0}};
    v.push_back(cut);
  }
  {
    Variant cut{"CutInsideAKeyName",
                "[Orvanta]\r\n" + SlotLines(1) + "Orvanta2Text=Ctrl + Shift + F2\r\nOrvanta2KeyC",
                Defaults(),
                {}};
    cut.boxes[0].any_of = {SlotHotkey(1)};
    cut.boxes[1].any_of = {Hotkey{Fn(2), 0, 0}};
    v.push_back(cut);
  }
  v.push_back({"BinaryJunk", Junk(4096, 7), Unknown(), {}});
  v.push_back({"BinaryJunkBeforeTheSection", Junk(2048, 11) + "\r\n" + AllSlots(), Unknown(), {}});
  {
    // The first line holds nothing but the mark, so a reader that does not know it still finds
    // the section; only the text with a letter beyond ASCII depends on it.
    const std::string a_umlaut = "\xC3\x84";
    std::string bytes = "\xEF\xBB\xBF\r\n[Orvanta]\r\nOrvanta1Text=Ctrl + Shift + " + a_umlaut +
                        "\r\nOrvanta1KeyCode=112\r\nOrvanta1ModKeyCode=6\r\n";
    for (int slot = 2; slot <= 10; ++slot) {
      bytes += SlotLines(slot);
    }
    Variant utf8{"Utf8WithByteOrderMark", bytes, AllKnown(), {}};
    utf8.boxes[0].any_of = {Hotkey{L"Ctrl + Shift + \u00C4", VK_F1, kCtrlShift},
                            Hotkey{L"Ctrl + Shift + " + FromCodePage(a_umlaut, CP_ACP), VK_F1, kCtrlShift}};
    v.push_back(utf8);
  }
  {
    std::wstring text =
        L"[Orvanta]\r\nOrvanta1Text=Ctrl + Shift + \u952e\r\nOrvanta1KeyCode=112\r\n"
        L"Orvanta1ModKeyCode=6\r\n";
    for (int slot = 2; slot <= 10; ++slot) {
      const std::string lines = SlotLines(slot);
      text += std::wstring(lines.begin(), lines.end());
    }
    Variant utf16{"Utf16LittleEndianWithByteOrderMark", Utf16Le(text), AllKnown(), {}};
    utf16.boxes[0].any_of = {Hotkey{L"Ctrl + Shift + \u952e", VK_F1, kCtrlShift}};
    v.push_back(utf16);
  }
  v.push_back({"LineFeedsOnly", AllSlots("\n"), AllKnown(), {}});
  v.push_back({"CarriageReturnsOnly", AllSlots("\r"), Unknown(), {}});
  {
    Variant twice{"SectionTwice",
                  "[Orvanta]\r\nOrvanta1Text=First\r\nOrvanta1KeyCode=112\r\nOrvanta1ModKeyCode=6\r\n"
                  "[Orvanta]\r\nOrvanta1Text=Second\r\nOrvanta1KeyCode=113\r\nOrvanta1ModKeyCode=6\r\n"
                  "Orvanta2Text=Only in the second\r\nOrvanta2KeyCode=114\r\nOrvanta2ModKeyCode=6\r\n",
                  Defaults(),
                  {}};
    twice.boxes[0].any_of = {Hotkey{L"First", VK_F1, kCtrlShift}, Hotkey{L"Second", VK_F2, kCtrlShift}};
    twice.boxes[1].any_of = {Hotkey{L"Only in the second", VK_F3, kCtrlShift}, kEmpty};
    v.push_back(twice);
  }
  {
    Variant twice{"KeyTwice",
                  "[Orvanta]\r\nOrvanta1Text=First\r\nOrvanta1Text=Second\r\nOrvanta1KeyCode=112\r\n"
                  "Orvanta1ModKeyCode=6\r\n",
                  Defaults(),
                  {}};
    twice.boxes[0].any_of = {Hotkey{L"First", VK_F1, kCtrlShift}, Hotkey{L"Second", VK_F1, kCtrlShift}};
    v.push_back(twice);
  }
  v.push_back({"SectionMissing",
               "[Other]\r\nkeep=1\r\nOrvanta1Text=Not here\r\nOrvanta1KeyCode=112\r\n",
               Defaults(),
               {{L"Other", L"keep", L"1"}, {L"Other", L"Orvanta1Text", L"Not here"}}});
  {
    Variant upper{"NamesInOtherCase",
                  "[ORVANTA]\r\nORVANTA1TEXT=Upper\r\norvanta1keycode=112\r\nOrVaNtA1MoDkEyCoDe=6\r\n",
                  Defaults(),
                  {}};
    upper.boxes[0].any_of = {Hotkey{L"Upper", VK_F1, kCtrlShift}};
    v.push_back(upper);
  }
  {
    const std::string big_text(64 * 1024, 'x');
    const std::string big_number(64 * 1024, '7');
    Variant big{"ValuesOf64KiB",
                "[Orvanta]\r\nOrvanta1Text=" + big_text +
                    "\r\nOrvanta1KeyCode=112\r\nOrvanta1ModKeyCode=6\r\n" +
                    "Orvanta2Text=Big number\r\nOrvanta2KeyCode=" + big_number +
                    "\r\nOrvanta2ModKeyCode=" + big_number + "\r\n" + SlotLines(3),
                Defaults(),
                {}};
    big.boxes[0].any_of = {Hotkey{std::wstring(big_text.begin(), big_text.end()), VK_F1, kCtrlShift}};
    big.boxes[0].text_may_be_cut = true;
    big.boxes[1].any_of = {Hotkey{L"Big number", 0, 0}};
    big.boxes[2].any_of = {SlotHotkey(3)};
    v.push_back(big);
  }
  {
    // Key codes: only plain decimal that fits in 32 bits is a number; the platform's profile
    // reader drops the blanks around a value.
    const char* codes[10] = {"-1",  "2147483648", "55zz", "0x41",        "",
                             "+65", " 66 ",       "0067", "-2147483648", "4294967296"};
    const std::int32_t loaded[10] = {-1, 0, 0, 0, 0, 0, 66, 67, std::numeric_limits<std::int32_t>::min(), 0};
    std::string bytes = "[Orvanta]\r\n";
    Variant keys{"KeyCodesOutOfRangeOrMalformed", "", Defaults(), {}};
    for (int slot = 1; slot <= 10; ++slot) {
      const std::string n = std::to_string(slot);
      bytes += "Orvanta" + n + "Text=K" + n + "\r\nOrvanta" + n + "KeyCode=" + codes[slot - 1] +
               "\r\nOrvanta" + n + "ModKeyCode=6\r\n";
      keys.boxes[static_cast<std::size_t>(slot - 1)].any_of = {
          Hotkey{L"K" + std::to_wstring(slot), loaded[slot - 1], kCtrlShift}};
    }
    keys.bytes = bytes;
    v.push_back(keys);
  }
  {
    const char* mods[10] = {"16400", "0x4010", "-1", "8", "15", "2147483647", "6.0", "", "16", "6"};
    const std::int32_t loaded[10] = {0x4010, 0, -1, MOD_WIN,   15, std::numeric_limits<std::int32_t>::max(),
                                     0,      0, 16, kCtrlShift};
    std::string bytes = "[Orvanta]\r\n";
    Variant keys{"ModifierMasksWithUnknownBits", "", Defaults(), {}};
    for (int slot = 1; slot <= 10; ++slot) {
      const std::string n = std::to_string(slot);
      bytes += "Orvanta" + n + "Text=M" + n + "\r\nOrvanta" + n +
               "KeyCode=" + std::to_string(VK_F1 + slot - 1) + "\r\nOrvanta" + n +
               "ModKeyCode=" + mods[slot - 1] + "\r\n";
      keys.boxes[static_cast<std::size_t>(slot - 1)].any_of = {Hotkey{
          L"M" + std::to_wstring(slot), static_cast<std::int32_t>(VK_F1 + slot - 1), loaded[slot - 1]}};
    }
    keys.bytes = bytes;
    v.push_back(keys);
  }
  {
    const std::string text = "Ctrl + " + std::string(293, 'Q');
    Variant long_text{
        "TextOf300Characters",
        "[Orvanta]\r\nOrvanta1Text=" + text + "\r\nOrvanta1KeyCode=112\r\nOrvanta1ModKeyCode=6\r\n",
        Defaults(),
        {}};
    long_text.boxes[0].any_of = {Hotkey{std::wstring(text.begin(), text.end()), VK_F1, kCtrlShift}};
    long_text.boxes[0].text_may_be_cut = true;
    v.push_back(long_text);
  }
  v.push_back({"KeysOfBoxesThatDoNotExist",
               AllSlots() + "Orvanta11Text=Eleven\r\nOrvanta11KeyCode=122\r\nOrvanta11ModKeyCode=6\r\n"
                            "Orvanta0Text=Zero\r\nOrvantaText=None\r\nOrvanta1Text2=Suffix\r\n",
               AllKnown(),
               {{L"Orvanta", L"Orvanta11Text", L"Eleven"},
                {L"Orvanta", L"Orvanta11KeyCode", L"122"},
                {L"Orvanta", L"Orvanta0Text", L"Zero"},
                {L"Orvanta", L"OrvantaText", L"None"},
                {L"Orvanta", L"Orvanta1Text2", L"Suffix"}}});
  {
    Variant same{"TwoBoxesWithTheSameHotkey",
                 "[Orvanta]\r\n" + SlotLines(1) +
                     "Orvanta2Text=Ctrl + Shift + F1\r\nOrvanta2KeyCode=112\r\nOrvanta2ModKeyCode=6\r\n",
                 Defaults(),
                 {}};
    same.boxes[0].any_of = {SlotHotkey(1)};
    same.boxes[1].any_of = {Hotkey{Fn(1), VK_F1, kCtrlShift}};
    v.push_back(same);
  }
  {
    Variant quoted{"QuotedAndPaddedValues",
                   "[Orvanta]\r\nOrvanta1Text=\"Ctrl + Q\"\r\nOrvanta1KeyCode=112\r\nOrvanta1ModKeyCode=6\r\n"
                   "Orvanta2Text=   Padded   \r\nOrvanta2KeyCode=113\r\nOrvanta2ModKeyCode=6\r\n"
                   "  Orvanta3Text  =  Spaced key  \r\nOrvanta3KeyCode=114\r\nOrvanta3ModKeyCode=6\r\n",
                   Defaults(),
                   {}};
    quoted.boxes[0].any_of = {Hotkey{L"Ctrl + Q", VK_F1, kCtrlShift},
                              Hotkey{L"\"Ctrl + Q\"", VK_F1, kCtrlShift}};
    quoted.boxes[1].any_of = {Hotkey{L"Padded", VK_F2, kCtrlShift}};
    quoted.boxes[2].any_of = {Hotkey{L"Spaced key", VK_F3, kCtrlShift}};
    v.push_back(quoted);
  }
  {
    static constexpr char kWithNul[] =
        "[Orvanta]\r\nOrvanta1Text=Ctrl\0 + Q\r\nOrvanta1KeyCode=11\0"
        "2\r\nOrvanta1ModKeyCode=6\r\n";
    v.push_back(
        {"NulInsideAValue", std::string(kWithNul, sizeof(kWithNul) - 1) + SlotLines(2), Unknown(), {}});
  }
  {
    std::string bytes;
    while (bytes.size() < 1024 * 1024) {
      bytes += "; a comment line of a settings file that has grown far beyond its purpose\r\n";
    }
    v.push_back({"OneMebibyteOfComments", bytes + AllSlots(), AllKnown(), {}});
  }
  return v;
}

// The outcome of ticking one slot.
enum class Ticked { kRegistered, kUnset, kRefused };

class BadSettings : public ::testing::TestWithParam<Variant> {};

TEST_P(BadSettings, StartsShowsWhatItCanRegistersWhatIsAcceptedAndSavesSaneValues) {
  const Variant& variant = GetParam();
  Tried().bad_inputs++;
  Program app;
  app.WriteIni(variant.bytes);
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(Healthy(app));

  // What each box shows, and which of the expected hotkeys that means it loaded.
  std::array<std::optional<Hotkey>, 10> loaded;
  for (int slot = 1; slot <= 10; ++slot) {
    SCOPED_TRACE("slot " + std::to_string(slot));
    const Expect& expect = variant.boxes[static_cast<std::size_t>(slot - 1)];
    const std::wstring shown = e2e::TextOf(app.BoxField(slot));
    if (expect.any_of.empty()) {
      continue;
    }
    for (const Hotkey& candidate : expect.any_of) {
      const bool same = expect.text_may_be_cut
                            ? !shown.empty() && candidate.text.compare(0, shown.size(), shown) == 0
                            : shown == candidate.text;
      if (same) {
        loaded[static_cast<std::size_t>(slot - 1)] = Hotkey{shown, candidate.key_code, candidate.modifiers};
        break;
      }
    }
    ASSERT_TRUE(loaded[static_cast<std::size_t>(slot - 1)].has_value())
        << "box " << slot << " shows \"" << Utf8(shown.substr(0, 80)) << "\" (" << shown.size()
        << " characters), which is none of the expected texts";
    if (expect.any_of.size() > 1) {
      Figure("bad settings " + variant.name + ": box " + std::to_string(slot) + " shows",
             "\"" + Utf8(shown) + "\"");
    }
    if (expect.text_may_be_cut) {
      Figure("bad settings " + variant.name + ": box " + std::to_string(slot) + " shows",
             std::to_string(shown.size()) + " of " + std::to_string(expect.any_of.front().text.size()) +
                 " characters");
    }
  }

  // Tick every slot in turn: each either registers, or says why not and ends unticked.
  std::array<Ticked, 10> outcome{};
  int registered = 0;
  for (int slot = 1; slot <= 10; ++slot) {
    SCOPED_TRACE("ticking slot " + std::to_string(slot));
    const std::optional<Hotkey>& known = loaded[static_cast<std::size_t>(slot - 1)];
    const bool free_before =
        known && known->key_code != 0 &&
        HotkeyFree(static_cast<UINT>(known->modifiers), static_cast<UINT>(known->key_code));
    bool checked = false;
    std::vector<Shown> shown;
    ASSERT_TRUE(TickSlot(app, slot, checked, shown));
    ASSERT_LE(shown.size(), 1u) << "more than one message for one click";
    if (shown.empty()) {
      ASSERT_TRUE(checked) << "the slot ended unticked without a word";
      outcome[static_cast<std::size_t>(slot - 1)] = Ticked::kRegistered;
      ++registered;
    } else {
      EXPECT_EQ(shown.front().caption, L"error");
      ASSERT_TRUE(shown.front().text == kNotSet || shown.front().text == kTaken)
          << "unexpected message \"" << Utf8(shown.front().text) << "\"";
      EXPECT_FALSE(checked) << "the slot stayed ticked after \"" << Utf8(shown.front().text) << "\"";
      outcome[static_cast<std::size_t>(slot - 1)] =
          shown.front().text == kNotSet ? Ticked::kUnset : Ticked::kRefused;
    }
    if (known) {
      if (known->key_code == 0) {
        EXPECT_EQ(outcome[static_cast<std::size_t>(slot - 1)], Ticked::kUnset) << "a box without a key";
      } else if (free_before) {
        EXPECT_EQ(outcome[static_cast<std::size_t>(slot - 1)], Ticked::kRegistered)
            << "the platform takes this combination, so the program must register it";
      } else {
        EXPECT_EQ(outcome[static_cast<std::size_t>(slot - 1)], Ticked::kRefused)
            << "the combination is taken, so registering it must fail";
      }
      if (outcome[static_cast<std::size_t>(slot - 1)] == Ticked::kRegistered) {
        EXPECT_FALSE(HotkeyFree(static_cast<UINT>(known->modifiers), static_cast<UINT>(known->key_code)))
            << "the slot is ticked but the combination is not registered";
      }
    }
    if (outcome[static_cast<std::size_t>(slot - 1)] == Ticked::kRefused) {
      EXPECT_EQ(app.BoxText(slot), L"Press Hotkey") << "a refused box forgets its combination";
    }
  }
  Figure("bad settings " + variant.name, std::to_string(registered) + " of 10 slots registered");
  ASSERT_TRUE(Healthy(app));

  // What the boxes show on the way out is what must be saved.
  std::array<std::wstring, 10> at_exit;
  for (int slot = 1; slot <= 10; ++slot) {
    at_exit[static_cast<std::size_t>(slot - 1)] = e2e::TextOf(app.BoxField(slot));
  }
  std::vector<Shown> messages;
  ASSERT_TRUE(ExitByCloseImage(app, messages));
  EXPECT_TRUE(messages.empty()) << "a message at exit: \"" << (messages.empty() ? "" : Utf8(messages[0].text))
                                << "\"";

  std::vector<Hotkey> expected;
  for (int slot = 1; slot <= 10; ++slot) {
    SCOPED_TRACE("saved slot " + std::to_string(slot));
    const auto i = static_cast<std::size_t>(slot - 1);
    const std::wstring name = L"Orvanta" + std::to_wstring(slot);
    const std::optional<std::wstring> text = SavedValue(app, name + L"Text");
    const std::optional<std::wstring> key = SavedValue(app, name + L"KeyCode");
    const std::optional<std::wstring> mods = SavedValue(app, name + L"ModKeyCode");
    ASSERT_TRUE(text && key && mods) << "a key of box " << slot << " was not saved";
    EXPECT_EQ(*text, at_exit[i]) << "the saved text is not the one shown";
    // Numbers go out as plain decimal, whatever came in.
    const auto key_number = settings::ParseDecimal32(*key);
    const auto mods_number = settings::ParseDecimal32(*mods);
    ASSERT_TRUE(key_number && mods_number)
        << "not decimal: KeyCode \"" << Utf8(*key) << "\", ModKeyCode \"" << Utf8(*mods) << "\"";
    EXPECT_EQ(*key, std::to_wstring(*key_number));
    EXPECT_EQ(*mods, std::to_wstring(*mods_number));
    if (outcome[i] == Ticked::kRefused) {
      EXPECT_EQ(*text, L"Press Hotkey");
      EXPECT_EQ(*key_number, 0);
      EXPECT_EQ(*mods_number, 0);
    } else if (outcome[i] == Ticked::kUnset) {
      EXPECT_EQ(*key_number, 0);
    }
    if (loaded[i] && outcome[i] != Ticked::kRefused) {
      EXPECT_EQ(*key_number, loaded[i]->key_code);
      EXPECT_EQ(*mods_number, loaded[i]->modifiers);
    }
  }
  for (const Kept& kept : variant.kept) {
    wchar_t value[256]{};
    ::GetPrivateProfileStringW(kept.section.c_str(), kept.key.c_str(), L"\x01(missing)", value, 256,
                               app.IniPath().c_str());
    EXPECT_EQ(std::wstring(value), kept.value)
        << "[" << Utf8(kept.section) << "] " << Utf8(kept.key) << " was lost or changed by the save";
  }
  EXPECT_TRUE(e2e::WaitForTrayIconCount(app.exe(), 0)) << "the icon outlived the program";
}

INSTANTIATE_TEST_SUITE_P(EveryVariant, BadSettings, ::testing::ValuesIn(Variants()),
                         [](const ::testing::TestParamInfo<Variant>& param) { return param.param.name; });

}  // namespace
}  // namespace tarnelle::reliability
