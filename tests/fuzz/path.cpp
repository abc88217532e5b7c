// The program path a slot may start, which anyone may edit in the settings file: what
// IsStartablePath takes is an absolute path on a drive to a file named *.exe that the platform
// cannot read another way, and FolderOf gives the folder that file is in.

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
  FUZZ_EXPECT(lower.size() > 3 && lower[0] >= L'a' && lower[0] <= L'z' && lower.substr(1, 2) == L":\\");
  FUZZ_EXPECT(lower.ends_with(L".exe") && lower.find(L"\\windowsapps\\") == std::wstring::npos);
  FUZZ_EXPECT(
      std::none_of(path.begin(), path.end(), [](wchar_t c) { return c < L' ' || c == L'"' || c == L'/'; }) &&
      path.find(L':', 2) == std::wstring::npos);
  // No part is empty or ends in a dot or a blank, "." and ".." among them.
  for (std::size_t at = 3, end; at <= path.size(); at = end + 1) {
    end = std::min(path.find(L'\\', at), path.size());
    FUZZ_EXPECT(end > at && path[end - 1] != L'.' && path[end - 1] != L' ');
  }
  // The folder (the drive's root at least), a separator unless the folder ends in one, a name.
  const std::size_t name_at = folder.size() + (folder.ends_with(L'\\') ? 0 : 1);
  FUZZ_EXPECT(path.starts_with(folder) && folder.starts_with(path.substr(0, 3)) && name_at < path.size());
  FUZZ_EXPECT(path[name_at - 1] == L'\\' && path.find(L'\\', name_at) == std::wstring::npos);
  return 0;
}
