#pragma once
// The web pages the program opens. Fixed text: the version page's query is not taken from the
// program's version resource.

#include <string_view>

namespace tarnelle::shell {

// The maker's home page (the logo of the title strip).
inline constexpr std::wstring_view kMakerSiteUrl = L"http://www.orvanta.example/";
// The product page (tray menu: About > About Tarnelle).
inline constexpr std::wstring_view kAboutUrl = L"http://www.orvanta.example/products/tarnelle/";
// The version page (tray menu: About > Check Verson).
inline constexpr std::wstring_view kVersionUrl =
    L"http://www.orvanta.example/products/tarnelle/verson.html?verson=1.0";
// The home page of the maker's other product (the link label).
inline constexpr std::wstring_view kMossgateUrl = L"http://www.mossgate.example/";

}  // namespace tarnelle::shell
