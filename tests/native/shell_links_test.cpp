#include "shell/link_urls.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tarnelle::shell {
namespace {

std::wstring_view HostOf(std::wstring_view url) {
  constexpr std::wstring_view kScheme = L"http://";
  if (url.substr(0, kScheme.size()) != kScheme) {
    return {};
  }
  url.remove_prefix(kScheme.size());
  return url.substr(0, url.find(L'/'));
}

TEST(ShellLinks, PagesAreTheFixedAddresses) {
  EXPECT_EQ(kMakerSiteUrl, L"http://www.orvanta.example/");
  EXPECT_EQ(kAboutUrl, L"http://www.orvanta.example/products/tarnelle/");
  EXPECT_EQ(kVersionUrl, L"http://www.orvanta.example/products/tarnelle/verson.html?verson=1.0");
  EXPECT_EQ(kMossgateUrl, L"http://www.mossgate.example/");
}

TEST(ShellLinks, MakerPagesShareOneHostAndTheOtherProductHasItsOwn) {
  for (std::wstring_view url : {kMakerSiteUrl, kAboutUrl, kVersionUrl, kMossgateUrl}) {
    const std::wstring_view host = HostOf(url);
    ASSERT_FALSE(host.empty()) << std::wstring(url);
    // Reserved names only: no page of the program ever points at a real third party's host.
    EXPECT_TRUE(host.ends_with(L".example")) << std::wstring(url);
  }
  EXPECT_EQ(HostOf(kAboutUrl), HostOf(kMakerSiteUrl));
  EXPECT_EQ(HostOf(kVersionUrl), HostOf(kMakerSiteUrl));
  EXPECT_NE(HostOf(kMossgateUrl), HostOf(kMakerSiteUrl));
  // The two home pages are the sites' roots.
  EXPECT_EQ(kMakerSiteUrl.substr(7 + HostOf(kMakerSiteUrl).size()), L"/");
  EXPECT_EQ(kMossgateUrl.substr(7 + HostOf(kMossgateUrl).size()), L"/");
}

TEST(ShellLinks, VersionPageAsksForVersionOnePointZero) {
  // The query is fixed text, spelt as the site expects it.
  ASSERT_TRUE(kVersionUrl.starts_with(kAboutUrl));
  EXPECT_EQ(kVersionUrl.substr(kAboutUrl.size()), L"verson.html?verson=1.0");
  EXPECT_EQ(kVersionUrl.find(L' '), std::wstring_view::npos);
}

}  // namespace
}  // namespace tarnelle::shell
