#include "settings/paths.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tarnelle::settings {
namespace {

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
