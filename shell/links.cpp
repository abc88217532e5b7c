#include "shell/links.h"

#include "shell/shell32.h"
#include <string>
#include <utility>

namespace tarnelle::shell {

namespace {
LinkOpener& Opener() {
  static LinkOpener opener;
  return opener;
}
}  // namespace

void OpenLink(HWND parent, std::wstring_view url) {
  if (const LinkOpener& opener = Opener()) {
    opener(parent, url);
    return;
  }
  const std::wstring file(url);
  Execute(parent, L"open", file.c_str(), L"", L"", SW_SHOWNORMAL);
}

LinkOpener SetLinkOpener(LinkOpener opener) {
  return std::exchange(Opener(), std::move(opener));
}

}  // namespace tarnelle::shell
