#include "hotkeybox/properties.h"

#include <algorithm>

namespace tarnelle::hotkeybox {
namespace {

wchar_t FoldAscii(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

template <typename T>
T ReadAs(const PropertyStore& store, std::wstring_view name, const T& fallback) {
  const PropertyValue v = store.Read(name, fallback);
  if (const T* p = std::get_if<T>(&v)) {
    return *p;
  }
  return fallback;  // a value of another type reads as absent
}

}  // namespace

bool PropertyStore::NoCaseLess::operator()(std::wstring_view a, std::wstring_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](wchar_t x, wchar_t y) { return FoldAscii(x) < FoldAscii(y); });
}

PropertyValue PropertyStore::Read(std::wstring_view name, const PropertyValue& fallback) const {
  const auto it = values_.find(name);
  return it == values_.end() ? fallback : it->second;
}

void PropertyStore::Write(std::wstring_view name, const PropertyValue& value, const PropertyValue& fallback) {
  const auto it = values_.find(name);
  if (value == fallback) {
    if (it != values_.end()) {
      values_.erase(it);
    }
    return;
  }
  if (it != values_.end()) {
    it->second = value;
  } else {
    values_.emplace(std::wstring(name), value);
  }
}

bool PropertyStore::Contains(std::wstring_view name) const {
  return values_.find(name) != values_.end();
}

std::int32_t PropertyStore::ReadInt(std::wstring_view name, std::int32_t fallback) const {
  return ReadAs<std::int32_t>(*this, name, fallback);
}
bool PropertyStore::ReadBool(std::wstring_view name, bool fallback) const {
  return ReadAs<bool>(*this, name, fallback);
}
std::wstring PropertyStore::ReadText(std::wstring_view name, std::wstring_view fallback) const {
  return ReadAs<std::wstring>(*this, name, std::wstring(fallback));
}
FontDesc PropertyStore::ReadFont(std::wstring_view name, const FontDesc& fallback) const {
  return ReadAs<FontDesc>(*this, name, fallback);
}

SavedKeyNames SavedKeysFor(std::wstring_view instance_name) {
  const std::wstring n(instance_name);
  return {n + L"Text", n + L"KeyCode", n + L"ModKeyCode"};
}

}  // namespace tarnelle::hotkeybox
