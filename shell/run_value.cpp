#include "shell/run_value.h"

#include <algorithm>

namespace tarnelle::shell {

std::wstring RunValueFor(std::wstring_view exe) {
  return L"\"" + std::wstring(exe) + L"\"";
}

bool RunValueNames(std::wstring_view value, std::wstring_view exe) {
  if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') {
    value = value.substr(1, value.size() - 2);
  }
  return !exe.empty() &&
         std::equal(value.begin(), value.end(), exe.begin(), exe.end(), [](wchar_t a, wchar_t b) {
           const auto fold = [](wchar_t c) {
             return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
           };
           return fold(a) == fold(b);
         });
}

}  // namespace tarnelle::shell
