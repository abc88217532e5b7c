#pragma once
// Opens a web page in the user's browser.

#include <windows.h>
#include <functional>
#include <string_view>

#include "shell/link_urls.h"

namespace tarnelle::shell {

// ShellExecuteW(parent, "open", url, "", "", SW_SHOWNORMAL); a page that cannot be opened is
// not reported. Goes through the installed opener, if any.
void OpenLink(HWND parent, std::wstring_view url);

// Replaces what OpenLink does (tests record the call instead of starting a browser); an empty
// opener restores the shell. Returns the opener it replaces.
using LinkOpener = std::function<void(HWND parent, std::wstring_view url)>;
LinkOpener SetLinkOpener(LinkOpener opener);

}  // namespace tarnelle::shell
