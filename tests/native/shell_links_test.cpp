#include "shell/link_urls.h"

#include <gtest/gtest.h>

namespace tarnelle::shell {
namespace {

TEST(ShellLinks, PagesAreTheFixedAddresses) {
  EXPECT_EQ(kMakerSiteUrl, L"http://www.orvanta.example/");
  EXPECT_EQ(kAboutUrl, L"http://www.orvanta.example/products/tarnelle/");
  EXPECT_EQ(kVersionUrl, L"http://www.orvanta.example/products/tarnelle/verson.html?verson=1.0");
  EXPECT_EQ(kMossgateUrl, L"http://www.mossgate.example/");
}

}  // namespace
}  // namespace tarnelle::shell
