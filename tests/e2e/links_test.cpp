// The web pages the program opens, and the link label's hover underline.

#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace tarnelle::e2e {
namespace {

constexpr wchar_t kMossgate[] = L"http://www.mossgate.example/";
constexpr wchar_t kMakerSite[] = L"http://www.orvanta.example/";
constexpr wchar_t kAboutPage[] = L"http://www.orvanta.example/products/tarnelle/";
constexpr wchar_t kVersionPage[] = L"http://www.orvanta.example/products/tarnelle/verson.html?verson=1.0";

TEST(Links, LinkLabelOpensMossgateAndTheLogoOpensTheMakersSite) {
  BrowserRecorder browser;
  ASSERT_TRUE(browser.installed());
  Program app;
  ASSERT_TRUE(app.Start());
  const HWND label = app.Control(kLinkLabelId);
  EXPECT_EQ(TextOf(label), L"Orvanta:  Mossgate is Search Guides!");

  ASSERT_TRUE(ClickWindow(label));
  ASSERT_TRUE(browser.WaitForUrls(1));
  ASSERT_TRUE(ClickWindow(app.Logo()));
  ASSERT_TRUE(browser.WaitForUrls(2));
  EXPECT_EQ(browser.Urls(), (std::vector<std::wstring>{kMossgate, kMakerSite}))
      << "each page opened once, in order";
  EXPECT_TRUE(app.running());
  EXPECT_TRUE(app.Visible());
}

TEST(Links, AboutMenuOpensTheProductPageAndTheVersionPage) {
  BrowserRecorder browser;
  ASSERT_TRUE(browser.installed());
  Program app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(ChooseFromTrayMenu(app, kMenuAboutTarnelle));
  ASSERT_TRUE(browser.WaitForUrls(1));
  ASSERT_TRUE(ChooseFromTrayMenu(app, kMenuCheckVerson));
  ASSERT_TRUE(browser.WaitForUrls(2));
  EXPECT_EQ(browser.Urls(), (std::vector<std::wstring>{kAboutPage, kVersionPage}));
  EXPECT_TRUE(app.running());
}

TEST(Links, HoveringTheLabelUnderlinesItUntilThePointerCrossesTheBackground) {
  Program app;
  ASSERT_TRUE(app.Start());
  const HWND label = app.Control(kLinkLabelId);
  const auto background = app.BackgroundPoint();
  ASSERT_TRUE(background.has_value());
  auto underlined = [&] {
    const auto drawn = DrawnUnderlined(label);
    const auto font = FontUnderlined(label);
    // Where another process can read the label's font, it must agree with the screen.
    if (drawn && font && *drawn != *font) {
      return std::optional<bool>();
    }
    return drawn;
  };

  ASSERT_TRUE(MoveMouseTo(*background));
  ASSERT_TRUE(app.Sync());
  ASSERT_EQ(underlined(), std::optional<bool>(false)) << "underlined before any hover";

  RECT r{};
  ::GetWindowRect(label, &r);
  ASSERT_TRUE(MoveMouseTo(POINT{r.left + 10, (r.top + r.bottom) / 2}));
  ASSERT_TRUE(MoveMouseTo(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
  EXPECT_TRUE(WaitUntil([&] { return underlined() == std::optional<bool>(true); }))
      << "hovering the label did not underline it";

  // Straight onto a checkbox: it stays underlined.
  ASSERT_TRUE(MoveMouseTo(CenterOf(app.Control(CheckId(9)))));
  ASSERT_TRUE(app.Sync());
  EXPECT_EQ(underlined(), std::optional<bool>(true)) << "leaving onto a checkbox cleared the underline";

  // Across the bare background: cleared.
  ASSERT_TRUE(MoveMouseTo(*background));
  EXPECT_TRUE(WaitUntil([&] { return underlined() == std::optional<bool>(false); }))
      << "the background did not clear the underline";
}

}  // namespace
}  // namespace tarnelle::e2e
