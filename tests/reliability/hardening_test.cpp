// The built program's defences, checked on the file and on the running process: it needs nothing
// but system DLLs, asks the loader to look for DLLs in the system folder only (and a DLL planted
// beside it is indeed never loaded), carries ASLR, DEP and high-entropy VA, and the only pages it
// can open are its four fixed http addresses.

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tests/reliability/rig.h"

namespace tarnelle::reliability {
namespace {

using e2e::WaitUntil;

std::wstring Lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return text;
}

std::string LowerAscii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return text;
}

std::wstring ThisFolder() {
  std::wstring self(MAX_PATH, L'\0');
  self.resize(::GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  return self.substr(0, self.find_last_of(L"\\/"));
}

// The parts of a PE32+ file these checks read.
struct Section {
  std::string name;
  std::uint32_t rva = 0;
  std::uint32_t virtual_size = 0;
  std::uint32_t file_offset = 0;
  std::uint32_t file_size = 0;
};

struct PeFile {
  std::string bytes;
  std::uint16_t machine = 0;
  std::uint16_t characteristics = 0;
  std::uint16_t magic = 0;
  std::uint16_t dll_characteristics = 0;
  std::uint32_t size_of_image = 0;
  IMAGE_DATA_DIRECTORY imports{};
  IMAGE_DATA_DIRECTORY relocations{};
  IMAGE_DATA_DIRECTORY resources{};
  std::vector<Section> sections;
  // DLL name (lower case) -> the names imported from it.
  std::map<std::string, std::vector<std::string>> imported;

  [[nodiscard]] std::optional<std::uint32_t> Offset(std::uint32_t rva) const {
    for (const Section& s : sections) {
      if (rva >= s.rva && rva < s.rva + std::max(s.virtual_size, s.file_size)) {
        const std::uint32_t offset = rva - s.rva + s.file_offset;
        if (offset < bytes.size()) {
          return offset;
        }
      }
    }
    return std::nullopt;
  }
  template <typename T>
  [[nodiscard]] std::optional<T> At(std::size_t offset) const {
    if (offset + sizeof(T) > bytes.size()) {
      return std::nullopt;
    }
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
  }
  [[nodiscard]] std::string CString(std::uint32_t rva) const {
    const auto offset = Offset(rva);
    if (!offset) {
      return {};
    }
    const std::size_t end = bytes.find('\0', *offset);
    return bytes.substr(*offset, end == std::string::npos ? std::string::npos : end - *offset);
  }
};

std::optional<PeFile> ReadPe(const std::wstring& path) {
  PeFile pe;
  pe.bytes = e2e::ReadFileBytes(path);
  const auto dos = pe.At<IMAGE_DOS_HEADER>(0);
  if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) {
    return std::nullopt;
  }
  const auto nt = pe.At<IMAGE_NT_HEADERS64>(static_cast<std::size_t>(dos->e_lfanew));
  if (!nt || nt->Signature != IMAGE_NT_SIGNATURE ||
      nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    return std::nullopt;
  }
  pe.machine = nt->FileHeader.Machine;
  pe.characteristics = nt->FileHeader.Characteristics;
  pe.magic = nt->OptionalHeader.Magic;
  pe.dll_characteristics = nt->OptionalHeader.DllCharacteristics;
  pe.size_of_image = nt->OptionalHeader.SizeOfImage;
  pe.imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  pe.relocations = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
  pe.resources = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
  const std::size_t first_section = static_cast<std::size_t>(dos->e_lfanew) +
                                    offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                                    nt->FileHeader.SizeOfOptionalHeader;
  for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
    const auto header = pe.At<IMAGE_SECTION_HEADER>(first_section + static_cast<std::size_t>(i) *
                                                                        sizeof(IMAGE_SECTION_HEADER));
    if (!header) {
      return std::nullopt;
    }
    Section s;
    s.name = std::string(reinterpret_cast<const char*>(header->Name),
                         strnlen(reinterpret_cast<const char*>(header->Name), IMAGE_SIZEOF_SHORT_NAME));
    s.rva = header->VirtualAddress;
    s.virtual_size = header->Misc.VirtualSize;
    s.file_offset = header->PointerToRawData;
    s.file_size = header->SizeOfRawData;
    pe.sections.push_back(s);
  }
  // The import table: one descriptor per DLL, each with its list of names.
  auto descriptor_offset = pe.Offset(pe.imports.VirtualAddress);
  for (std::size_t d = 0; descriptor_offset; ++d) {
    const auto desc =
        pe.At<IMAGE_IMPORT_DESCRIPTOR>(*descriptor_offset + d * sizeof(IMAGE_IMPORT_DESCRIPTOR));
    if (!desc || desc->Name == 0) {
      break;
    }
    std::vector<std::string>& names = pe.imported[LowerAscii(pe.CString(desc->Name))];
    const std::uint32_t thunks = desc->OriginalFirstThunk != 0 ? desc->OriginalFirstThunk : desc->FirstThunk;
    const auto thunk_offset = pe.Offset(thunks);
    for (std::size_t t = 0; thunk_offset; ++t) {
      const auto entry = pe.At<std::uint64_t>(*thunk_offset + t * sizeof(std::uint64_t));
      if (!entry || *entry == 0) {
        break;
      }
      if ((*entry & IMAGE_ORDINAL_FLAG64) != 0) {
        names.push_back("#" + std::to_string(*entry & 0xFFFF));
      } else {
        names.push_back(pe.CString(static_cast<std::uint32_t>(*entry & 0x7FFFFFFF) + 2));  // past the hint
      }
    }
  }
  return pe;
}

bool InSystemFolder(const std::string& dll) {
  wchar_t system[MAX_PATH]{};
  ::GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring path = std::wstring(system) + L"\\" + std::wstring(dll.begin(), dll.end());
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

TEST(Hardening, ImportsOnlySystemDllsAndAsksForTheSystemFolderFirst) {
  const auto pe = ReadPe(e2e::TarnelleExePath());
  ASSERT_TRUE(pe.has_value()) << "not a PE32+ file: " << Utf8(e2e::TarnelleExePath());
  ASSERT_FALSE(pe->imported.empty());
  std::string list;
  for (const auto& [dll, names] : pe->imported) {
    list += (list.empty() ? "" : ", ") + dll;
    // Whatever ships with the compiler (libstdc++-6.dll, libgcc_s_seh-1.dll, libwinpthread-1.dll)
    // is not on the user's system; everything else must be there already.
    EXPECT_NE(dll.rfind("lib", 0), 0u) << dll << " is a compiler runtime DLL";
    EXPECT_TRUE(InSystemFolder(dll)) << dll << " is not a DLL of the system";
  }
  Figure("hardening imports", list);
  const auto kernel32 = pe->imported.find("kernel32.dll");
  ASSERT_NE(kernel32, pe->imported.end());
  EXPECT_NE(std::find(kernel32->second.begin(), kernel32->second.end(), "SetDefaultDllDirectories"),
            kernel32->second.end())
      << "the program never narrows the DLL search";
}

TEST(Hardening, CarriesAslrDepAndHighEntropyVa) {
  const auto pe = ReadPe(e2e::TarnelleExePath());
  ASSERT_TRUE(pe.has_value());
  EXPECT_EQ(pe->machine, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_NE(pe->dll_characteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, 0) << "no ASLR";
  EXPECT_NE(pe->dll_characteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT, 0) << "no DEP";
  EXPECT_NE(pe->dll_characteristics & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA, 0) << "no high-entropy VA";
  // ASLR means nothing if the image cannot be moved.
  EXPECT_EQ(pe->characteristics & IMAGE_FILE_RELOCS_STRIPPED, 0) << "relocations stripped";
  EXPECT_GT(pe->relocations.Size, 0u) << "no relocation table";
  Figure(
      "hardening DllCharacteristics", "0x" + [&] {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X", pe->dll_characteristics);
        return std::string(hex);
      }());
}

// Every "scheme://rest" in |bytes| (ASCII, and UTF-16 little endian when |wide|), as text.
std::vector<std::string> UrlsIn(std::string_view bytes, bool wide) {
  std::vector<std::string> found;
  const std::size_t step = wide ? 2 : 1;
  auto char_at = [&](std::size_t i) -> int {
    if (i + step > bytes.size()) {
      return -1;
    }
    if (wide && bytes[i + 1] != '\0') {
      return -1;
    }
    return static_cast<unsigned char>(bytes[i]);
  };
  const std::string marker = wide ? std::string(":\0/\0/\0", 6) : std::string("://");
  for (std::size_t at = bytes.find(marker); at != std::string_view::npos; at = bytes.find(marker, at + 1)) {
    if (wide && at % 2 != 0) {
      continue;
    }
    std::size_t start = at;
    while (start >= step) {
      const int c = char_at(start - step);
      if (c < 0 || !(std::isalnum(c) != 0 || c == '+' || c == '.' || c == '-')) {
        break;
      }
      start -= step;
    }
    std::size_t end = at + marker.size();
    while (true) {
      const int c = char_at(end);
      if (c <= ' ' || c >= 127 || c == '"' || c == '\'' || c == '<' || c == '>') {
        break;
      }
      end += step;
    }
    std::string url;
    for (std::size_t i = start; i < end; i += step) {
      url += static_cast<char>(char_at(i));
    }
    found.push_back(url);
  }
  return found;
}

// The namespaces the manifest declares: addresses that name XML vocabularies, opened by nobody.
std::set<std::string> ManifestNamespaces(const std::wstring& exe) {
  std::set<std::string> names;
  HMODULE module =
      ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) {
    return names;
  }
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  if (found != nullptr) {
    const auto* data = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    const std::string manifest(data, ::SizeofResource(module, found));
    for (std::size_t at = manifest.find("xmlns"); at != std::string::npos;
         at = manifest.find("xmlns", at + 1)) {
      const std::size_t open = manifest.find('"', at);
      const std::size_t close = open == std::string::npos ? open : manifest.find('"', open + 1);
      if (close != std::string::npos && manifest.find('>', at) > close) {
        names.insert(manifest.substr(open + 1, close - open - 1));
      }
    }
  }
  ::FreeLibrary(module);
  return names;
}

TEST(Hardening, OpensOnlyItsFourFixedHttpPagesAndNamesNoOtherScheme) {
  const std::wstring exe = e2e::TarnelleExePath();
  const auto pe = ReadPe(exe);
  ASSERT_TRUE(pe.has_value());
  const std::set<std::string> expected = {
      "http://www.orvanta.example/",
      "http://www.orvanta.example/products/tarnelle/",
      "http://www.orvanta.example/products/tarnelle/verson.html?verson=1.0",
      "http://www.mossgate.example/",
  };
  const std::set<std::string> namespaces = ManifestNamespaces(exe);
  std::set<std::string> pages;
  std::set<std::string> stray;
  int in_code = 0;
  for (const Section& s : pe->sections) {
    if (s.file_size == 0 || s.file_offset >= pe->bytes.size()) {
      continue;
    }
    const std::string_view data = std::string_view(pe->bytes).substr(
        s.file_offset, std::min<std::size_t>(s.file_size, pe->bytes.size() - s.file_offset));
    for (bool wide : {false, true}) {
      for (const std::string& url : UrlsIn(data, wide)) {
        if (s.name == ".text") {
          // Text a compiler builds piecewise in code (the C++ runtime's own messages) is not
          // something the program hands to the shell; counted, not judged.
          ++in_code;
          continue;
        }
        if (namespaces.count(url) != 0) {
          continue;
        }
        (expected.count(url) != 0 ? pages : stray).insert(url);
      }
      // Schemes that need no "//".
      for (const char* scheme : {"mailto:", "javascript:", "vbscript:", "file:", "shell:", "ms-settings:",
                                 "search-ms:", "data:text"}) {
        std::string needle;
        for (const char* c = scheme; *c != '\0'; ++c) {
          needle += *c;
          if (wide) {
            needle += '\0';
          }
        }
        if (s.name != ".text" && LowerAscii(std::string(data)).find(needle) != std::string::npos) {
          stray.insert(std::string(scheme) + " (in " + s.name + ")");
        }
      }
    }
  }
  EXPECT_EQ(pages, expected) << "the program's pages are not all there";
  for (const std::string& url : stray) {
    ADD_FAILURE() << "another address in the program: " << url;
  }
  for (const std::string& url : pages) {
    const std::size_t host_start = url.find("://") + 3;
    const std::string host = url.substr(host_start, url.find('/', host_start) - host_start);
    EXPECT_EQ(url.rfind("http://", 0), 0u) << url;
    EXPECT_TRUE(host.size() > 8 && host.compare(host.size() - 8, 8, ".example") == 0) << url;
  }
  Figure("hardening addresses", std::to_string(pages.size()) + " pages, " +
                                    std::to_string(namespaces.size()) + " manifest namespaces, " +
                                    std::to_string(stray.size()) + " others; " + std::to_string(in_code) +
                                    " \"://\" fragments inside code");
}

// ---------------------------------------------------------------------------------------------

// DLLs the program or the system DLLs it uses load by name, plus the usual hijacking targets.
const std::vector<std::wstring> kPlanted = {
    L"version.dll",  L"dwmapi.dll",  L"uxtheme.dll",       L"propsys.dll",   L"shcore.dll", L"shlwapi.dll",
    L"oleaut32.dll", L"msimg32.dll", L"windowscodecs.dll", L"cryptbase.dll", L"winmm.dll",  L"dbghelp.dll"};

std::vector<std::wstring> Markers(const std::wstring& folder) {
  std::vector<std::wstring> found;
  for (const std::wstring& dll : kPlanted) {
    if (::GetFileAttributesW((folder + L"\\" + dll + L".loaded").c_str()) != INVALID_FILE_ATTRIBUTES) {
      found.push_back(dll);
    }
  }
  return found;
}

void RemoveMarkers(const std::wstring& folder) {
  for (const std::wstring& dll : kPlanted) {
    ::DeleteFileW((folder + L"\\" + dll + L".loaded").c_str());
  }
}

struct Module {
  std::wstring path;
  DWORD size = 0;
};

// The modules a process has loaded: full path and size in memory.
std::vector<Module> ModulesOf(DWORD pid) {
  std::vector<Module> modules;
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) {
    return modules;
  }
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Module32FirstW(snapshot, &entry); more; more = ::Module32NextW(snapshot, &entry)) {
    modules.push_back(Module{entry.szExePath, entry.modBaseSize});
  }
  ::CloseHandle(snapshot);
  return modules;
}

std::string Join(const std::vector<std::wstring>& names) {
  std::string text;
  for (const std::wstring& n : names) {
    text += (text.empty() ? "" : ", ") + Utf8(n);
  }
  return text.empty() ? "none" : text;
}

TEST(DllSearch, DllsPlantedBesideTheProgramAreNeverLoaded) {
  Program app;
  const std::wstring planted = ThisFolder() + L"\\rel_planted_dll.dll";
  for (const std::wstring& dll : kPlanted) {
    ASSERT_TRUE(::CopyFileW(planted.c_str(), (app.folder() + L"\\" + dll).c_str(), FALSE))
        << "cannot plant " << Utf8(dll) << " (is rel_planted_dll.dll built beside this program?)";
  }

  // First a program that does not protect itself, in the same folder: the names it gets the
  // planted copy for are the ones this platform would hand out.
  const std::wstring probe = app.folder() + L"\\rel_dll_probe.exe";
  ASSERT_TRUE(::CopyFileW((ThisFolder() + L"\\rel_dll_probe.exe").c_str(), probe.c_str(), FALSE));
  std::wstring command = L"\"" + probe + L"\"";
  for (const std::wstring& dll : kPlanted) {
    command += L" " + dll;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(::CreateProcessW(probe.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, app.folder().c_str(), &startup, &info));
  ::CloseHandle(info.hThread);
  ::WaitForSingleObject(info.hProcess, 3 * e2e::kPatienceMs);
  ::CloseHandle(info.hProcess);
  const std::vector<std::wstring> reachable = Markers(app.folder());
  RemoveMarkers(app.folder());
  Figure("planted DLLs a plain program loads on this platform", Join(reachable));
  if (reachable.empty()) {
    GTEST_SKIP() << "this platform gives no planted DLL to any program: nothing to prove";
  }

  // Then the program, used the way a person uses it.
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(Healthy(app));
  ASSERT_TRUE(TypeHotkey(app, 1, MOD_CONTROL | MOD_ALT, 'P'));
  bool checked = false;
  std::vector<Shown> shown;
  ASSERT_TRUE(TickSlot(app, 1, checked, shown));
  ASSERT_TRUE(BringToFront(app.window()));
  ASSERT_TRUE(Click(app.HideImage()));
  ASSERT_TRUE(WaitUntil([&] { return !app.Visible(); }));
  const auto icons = e2e::TrayIconsOf(app.exe());
  ASSERT_EQ(icons.size(), 1u);
  ASSERT_TRUE(ClickAt(POINT{(icons[0].left + icons[0].right) / 2, (icons[0].top + icons[0].bottom) / 2}));
  ASSERT_TRUE(WaitUntil([&] { return app.Visible(); }));
  Tried().faults++;

  // A module listed under the folder's path is the planted file only if it has its size: Wine
  // may list a name it found in the folder while mapping its own built-in DLL in its place.
  const auto planted_pe = ReadPe(planted);
  ASSERT_TRUE(planted_pe.has_value());
  std::vector<std::wstring> from_folder;
  std::vector<std::wstring> named_in_folder;
  std::vector<std::wstring> from_system;
  const std::wstring folder = Lower(app.folder()) + L"\\";
  for (const Module& module : ModulesOf(app.pid())) {
    const std::wstring lower = Lower(module.path);
    const std::wstring name = lower.substr(lower.find_last_of(L'\\') + 1);
    if (lower.rfind(folder, 0) == 0 && name != L"tarnelle.exe") {
      (module.size == planted_pe->size_of_image ? from_folder : named_in_folder).push_back(name);
    } else if (std::find(kPlanted.begin(), kPlanted.end(), name) != kPlanted.end()) {
      from_system.push_back(name);
    }
  }
  Figure("planted names Wine found in the program's folder but replaced by its own DLL",
         Join(named_in_folder));
  Figure("planted names the program loaded from the system instead", Join(from_system));
  ASSERT_TRUE(ExitByCloseImage(app, shown));

  EXPECT_TRUE(from_folder.empty()) << "loaded from the program's folder: " << Join(from_folder);
  const std::vector<std::wstring> ran = Markers(app.folder());
  EXPECT_TRUE(ran.empty()) << "planted DLLs that ran inside the program: " << Join(ran)
                           << " (the loader resolves the static imports, SHELL32 and what it needs, "
                              "before the program's first line narrows the search)";
  RemoveMarkers(app.folder());
}

}  // namespace
}  // namespace tarnelle::reliability
