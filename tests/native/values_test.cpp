#include "settings/values.h"
#include "settings/paths.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnelle::settings {
namespace {

struct ParseCase {
  const wchar_t* text;
  std::optional<std::int32_t> expected;
};

// Leading zeros are accepted and read as the number they spell ("00012" is 12): a hand-edited
// file may pad its numbers, and there is no other way to read them. Signs other than a leading
// minus, blanks, hexadecimal and anything out of the 32-bit range are not numbers.
TEST(ParseDecimal32, ReadsPlainDecimalsAndRejectsTheRest) {
  const ParseCase cases[] = {
      {L"0", 0},
      {L"88", 88},
      {L"116", 116},
      {L"-1", -1},
      {L"2147483647", std::numeric_limits<std::int32_t>::max()},
      {L"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {L"00012", 12},
      {L"-007", -7},
      {L"-0", 0},
      {L"00000000000000000015", 15},
      {L"-0000000002147483648", std::numeric_limits<std::int32_t>::min()},
      {L"2147483648", std::nullopt},
      {L"-2147483649", std::nullopt},
      {L"9999999999", std::nullopt},
      {L"99999999999999999999", std::nullopt},
      {L"", std::nullopt},
      {L"55zz", std::nullopt},
      {L"zz55", std::nullopt},
      {L"0x41", std::nullopt},
      {L" 1", std::nullopt},
      {L"1 ", std::nullopt},
      {L"+1", std::nullopt},
      {L"-", std::nullopt},
      {L"--1", std::nullopt},
      {L"1-", std::nullopt},
      {L"1.0", std::nullopt},
      {L"\x0661", std::nullopt},  // a digit of another script
      {L"\xFF11", std::nullopt},  // a full-width digit
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::wstring(c.text).size()));
    EXPECT_EQ(ParseDecimal32(c.text), c.expected);
  }
}

TEST(ParseDecimal32, StopsNowhereButTheEndOfTheView) {
  const std::wstring text = L"12345";
  EXPECT_EQ(ParseDecimal32(std::wstring_view(text).substr(0, 2)), 12);
  const std::wstring with_nul(
      L"12\0"
      L"3",
      4);
  EXPECT_EQ(ParseDecimal32(with_nul), std::nullopt);
}

TEST(ParseSavedNumber, AnythingThatIsNotANumberLoadsAsZero) {
  EXPECT_EQ(ParseSavedNumber(L"88"), 88);
  EXPECT_EQ(ParseSavedNumber(L"-5"), -5);
  EXPECT_EQ(ParseSavedNumber(L""), 0);
  EXPECT_EQ(ParseSavedNumber(L"55zz"), 0);
  EXPECT_EQ(ParseSavedNumber(L"0x41"), 0);
  EXPECT_EQ(ParseSavedNumber(L"4294967296"), 0);
}

TEST(FormatDecimal32, WritesPlainSignedDecimals) {
  EXPECT_EQ(FormatDecimal32(0), L"0");
  EXPECT_EQ(FormatDecimal32(88), L"88");
  EXPECT_EQ(FormatDecimal32(-1), L"-1");
  EXPECT_EQ(FormatDecimal32(std::numeric_limits<std::int32_t>::max()), L"2147483647");
  EXPECT_EQ(FormatDecimal32(std::numeric_limits<std::int32_t>::min()), L"-2147483648");
}

TEST(FormatDecimal32, ParsesBackToTheSameNumber) {
  // Every power of ten and its neighbours, where digit counts change, and both ends.
  for (std::int64_t p = 1; p <= std::numeric_limits<std::int32_t>::max(); p *= 10) {
    for (const std::int64_t v : {p - 1, p, p + 1, -p + 1, -p, -p - 1}) {
      const auto n = static_cast<std::int32_t>(v);
      EXPECT_EQ(ParseDecimal32(FormatDecimal32(n)), n) << n;
    }
  }
  for (const std::int32_t n :
       {std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()}) {
    EXPECT_EQ(ParseDecimal32(FormatDecimal32(n)), n) << n;
  }
}

TEST(JoinIniPath, PutsExactlyOneSeparatorBetweenFolderAndName) {
  EXPECT_EQ(JoinIniPath(L"C:\\Tools", L"set.ini"), L"C:\\Tools\\set.ini");
  EXPECT_EQ(JoinIniPath(L"D:\\", L"set.ini"), L"D:\\set.ini");
  EXPECT_EQ(JoinIniPath(L"\\\\server\\share\\app", L"set.ini"), L"\\\\server\\share\\app\\set.ini");
  // The name is used unchanged.
  EXPECT_EQ(JoinIniPath(L"C:\\Tools", L"settings"), L"C:\\Tools\\settings");
  EXPECT_EQ(JoinIniPath(L"C:\\Tools", L"sub\\other.INI"), L"C:\\Tools\\sub\\other.INI");
  EXPECT_EQ(JoinIniPath(L"C:\\Tools", L""), L"C:\\Tools\\");
}

// Behaves like GetModuleFileNameW: copies what fits, always ends with a NUL, and returns the
// buffer's size when the path was cut short.
class FakeModulePath {
 public:
  explicit FakeModulePath(std::wstring path) : path_(std::move(path)) {}
  std::size_t operator()(wchar_t* buffer, std::size_t size) {
    sizes.push_back(size);
    const std::size_t copied = path_.size() < size ? path_.size() : size - 1;
    path_.copy(buffer, copied);
    buffer[copied] = L'\0';
    return path_.size() < size ? path_.size() : size;
  }
  std::vector<std::size_t> sizes;

 private:
  std::wstring path_;
};

TEST(ReadGrowingText, ShortTextNeedsOneCall) {
  FakeModulePath fill(L"C:\\Tools\\tarnelle.exe");
  EXPECT_EQ(ReadGrowingText(std::ref(fill), 260, 32768), L"C:\\Tools\\tarnelle.exe");
  EXPECT_EQ(fill.sizes, (std::vector<std::size_t>{260}));
}

TEST(ReadGrowingText, LongTextGrowsTheBufferUntilItFits) {
  std::wstring deep = L"C:";
  while (deep.size() < 1000) {
    deep += L"\\" + std::wstring(60, L'd');
  }
  deep += L"\\tarnelle.exe";
  FakeModulePath fill(deep);
  EXPECT_EQ(ReadGrowingText(std::ref(fill), 260, 32768), deep);
  EXPECT_EQ(fill.sizes, (std::vector<std::size_t>{260, 520, 1040, 2080}));

  // Exactly one character short of the buffer still fits with its NUL; exactly the buffer's
  // size does not.
  FakeModulePath just_fits(std::wstring(259, L'x'));
  EXPECT_EQ(ReadGrowingText(std::ref(just_fits), 260, 32768), std::wstring(259, L'x'));
  EXPECT_EQ(just_fits.sizes.size(), 1u);
  FakeModulePath just_too_long(std::wstring(260, L'x'));
  EXPECT_EQ(ReadGrowingText(std::ref(just_too_long), 260, 32768), std::wstring(260, L'x'));
  EXPECT_EQ(just_too_long.sizes, (std::vector<std::size_t>{260, 520}));
}

TEST(ReadGrowingText, GivesNothingRatherThanACutText) {
  FakeModulePath beyond(std::wstring(40000, L'x'));
  EXPECT_EQ(ReadGrowingText(std::ref(beyond), 260, 32768), L"");
  EXPECT_EQ(beyond.sizes.back(), 32768u);  // the last try used the whole limit

  FakeModulePath at_limit(std::wstring(32767, L'x'));
  EXPECT_EQ(ReadGrowingText(std::ref(at_limit), 260, 32768), std::wstring(32767, L'x'));

  int calls = 0;
  auto failing = [&calls](wchar_t*, std::size_t) -> std::size_t {
    ++calls;
    return 0;
  };
  EXPECT_EQ(ReadGrowingText(failing, 260, 32768), L"");
  EXPECT_EQ(calls, 1);
}

TEST(FolderOfPath, DropsTheFileNameAndKeepsADriveRoot) {
  EXPECT_EQ(FolderOfPath(L"C:\\Tools\\tarnelle.exe"), L"C:\\Tools");
  EXPECT_EQ(FolderOfPath(L"D:\\tarnelle.exe"), L"D:\\");
  EXPECT_EQ(FolderOfPath(L"\\\\server\\share\\tarnelle.exe"), L"\\\\server\\share");
  EXPECT_EQ(FolderOfPath(L"\\\\?\\C:\\tarnelle.exe"), L"\\\\?\\C:\\");
  EXPECT_EQ(FolderOfPath(L"C:\\a.b\\c d\\tarnelle"), L"C:\\a.b\\c d");
  EXPECT_EQ(FolderOfPath(L"tarnelle.exe"), L"");
  EXPECT_EQ(FolderOfPath(L""), L"");
}

}  // namespace
}  // namespace tarnelle::settings
