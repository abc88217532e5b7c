#include "settings/values.h"
#include "settings/paths.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace tarnelle::settings {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// Only plain decimal digits, with a leading minus at most, that fit in 32 bits are numbers; a
// hand-edited file may pad them with zeros.
TEST(ParseDecimal32, ReadsPlainDecimalsAndNothingElse) {
  const std::pair<std::wstring_view, std::optional<std::int32_t>> cases[] = {
      // clang-format off
      {L"0", 0}, {L"88", 88}, {L"-1", -1}, {L"2147483647", kMax}, {L"-2147483648", kMin}, {L"00012", 12},
      {L"-007", -7}, {L"-0", 0}, {L"00000000000000000015", 15}, {L"2147483648", {}}, {L"-2147483649", {}},
      {L"99999999999999999999", {}}, {L"", {}}, {L"55zz", {}}, {L"zz55", {}}, {L"0x41", {}}, {L" 1", {}},
      {L"1 ", {}}, {L"+1", {}}, {L"-", {}}, {L"--1", {}}, {L"1-", {}}, {L"1.0", {}}, {L"\x0661", {}},
      {L"\xFF11", {}}, {std::wstring_view(L"12\0" L"3", 4), {}},
      // clang-format on
  };
  for (const auto& [text, number] : cases) {
    EXPECT_EQ(ParseDecimal32(text), number) << text.size() << " characters";
  }
}

TEST(FormatDecimal32, ReadsBackAsTheSameNumberWhereverTheDigitCountChanges) {
  for (std::int64_t p = 1; p <= kMax; p *= 10) {
    for (const std::int64_t v : {p - 1, p, p + 1, -p + 1, -p, -p - 1}) {
      EXPECT_EQ(ParseDecimal32(FormatDecimal32(static_cast<std::int32_t>(v))), v);
    }
  }
  EXPECT_EQ(FormatDecimal32(kMin), L"-2147483648");
}

TEST(IniPath, IsTheNameInTheProgramsFolderWithOneSeparator) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\Tools\\tarnelle.exe", L"C:\\Tools\\set.ini"},
      {L"D:\\tarnelle.exe", L"D:\\set.ini"},
      {L"\\\\server\\share\\tarnelle.exe", L"\\\\server\\share\\set.ini"},
      {L"\\\\?\\C:\\tarnelle.exe", L"\\\\?\\C:\\set.ini"},
      {L"C:\\a.b\\c d\\tarnelle", L"C:\\a.b\\c d\\set.ini"},
  };
  for (const auto& [program, ini] : cases) {
    EXPECT_EQ(JoinIniPath(FolderOfPath(program), L"set.ini"), ini);
  }
  EXPECT_EQ(FolderOfPath(L"tarnelle.exe"), L"");
}

// The buffer starts at 260 characters and doubles up to 32768 until the text fits, as the
// platform reports a cut text: the buffer's size, the text NUL-terminated within it.
TEST(ReadGrowingText, GrowsTheBufferUntilTheWholeTextFitsOrGivesNothing) {
  const struct {
    std::size_t length;
    bool whole;
    std::size_t calls;
  } cases[] = {{21, true, 1},   {259, true, 1},   {260, true, 2},
               {1100, true, 4}, {32767, true, 8}, {40000, false, 8}};
  for (const auto& [length, whole, calls] : cases) {
    const std::wstring text(length, L'x');
    std::vector<std::size_t> sizes;
    const auto fill = [&](wchar_t* buffer, std::size_t size) {
      sizes.push_back(size);
      buffer[text.copy(buffer, size - 1)] = L'\0';
      return std::min(text.size(), size);
    };
    EXPECT_EQ(ReadGrowingText(fill, 260, 32768), whole ? text : L"") << length;
    EXPECT_EQ(sizes.size(), calls) << length;
    EXPECT_EQ(sizes.back(), std::min<std::size_t>(260u << (calls - 1), 32768)) << length;
  }
  EXPECT_EQ(ReadGrowingText([](wchar_t*, std::size_t) { return std::size_t{0}; }, 260, 32768), L"");
}

}  // namespace
}  // namespace tarnelle::settings
