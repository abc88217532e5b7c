#include "settings/paths.h"

namespace tarnelle::settings {

std::wstring FolderOfPath(std::wstring_view path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring_view::npos) {
    return {};
  }
  std::wstring folder(path.substr(0, separator));
  if (!folder.empty() && folder.back() == L':') {
    folder += L'\\';  // "D:" alone would mean the drive's current folder
  }
  return folder;
}

std::wstring JoinIniPath(std::wstring_view folder, std::wstring_view name) {
  std::wstring path(folder);
  if (path.empty() || path.back() != L'\\') {
    path += L'\\';
  }
  path += name;
  return path;
}

}  // namespace tarnelle::settings
