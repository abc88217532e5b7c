// The program path a slot may start, which anyone may edit in the settings file: what
// IsStartablePath takes is an absolute path to a file named *.exe that the platform cannot read
// another way, and FolderOf gives the folder that file is in.

#include <algorithm>

#include "fuzz.h"
#include "switcher/identity.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring path = tarnelle::fuzz::WideText(data, size);
  const std::wstring folder = tarnelle::switcher::FolderOf(path);  // of any text, startable or not
  if (!tarnelle::switcher::IsStartablePath(path)) {
    return 0;
  }
  std::wstring lower = path;
  std::transform(path.begin(), path.end(), lower.begin(),
                 [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; });
  const bool drive = lower.size() > 3 && lower[0] >= L'a' && lower[0] <= L'z' && lower.substr(1, 2) == L":\\";
  FUZZ_EXPECT(drive || path.starts_with(L"\\\\"));
  FUZZ_EXPECT(lower.ends_with(L".exe"));
  FUZZ_EXPECT(
      std::none_of(path.begin(), path.end(), [](wchar_t c) { return c < L' ' || c == L'"' || c == L'/'; }));
  const std::wstring parts = L"\\" + path + L"\\";
  FUZZ_EXPECT(parts.find(L"\\.\\") == std::wstring::npos && parts.find(L"\\..\\") == std::wstring::npos);
  if (drive) {
    // The folder (the drive's root at least), a separator unless the folder ends in one, a name.
    const std::size_t name_at = folder.size() + (folder.ends_with(L'\\') ? 0 : 1);
    FUZZ_EXPECT(path.starts_with(folder) && folder.starts_with(path.substr(0, 3)) && name_at < path.size());
    FUZZ_EXPECT(path[name_at - 1] == L'\\' && path.find(L'\\', name_at) == std::wstring::npos);
  }
  return 0;
}
