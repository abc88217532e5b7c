#pragma once
// One owner per kind of handle: a small unique_any in the manner of WIL. Each alias names the
// function that gives the handle back; the owner is move-only and closes on destruction.

#include <windows.h>
#include <utility>

namespace tarnelle::win32 {

template <typename Handle, auto Close, Handle Invalid = Handle{}>
class UniqueAny {
 public:
  UniqueAny() noexcept = default;
  explicit UniqueAny(Handle h) noexcept : h_(h) {}
  UniqueAny(UniqueAny&& other) noexcept : h_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) {
      reset(other.release());
    }
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  ~UniqueAny() { reset(); }

  [[nodiscard]] Handle get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != Invalid; }

  void reset(Handle h = Invalid) noexcept {
    const Handle old = std::exchange(h_, h);
    if (old != Invalid) {
      Close(old);  // nothing useful can be done if closing fails
    }
  }
  [[nodiscard]] Handle release() noexcept { return std::exchange(h_, Invalid); }

  // For a call that hands a new handle back through a pointer: the old one is closed first.
  [[nodiscard]] Handle* put() noexcept {
    reset();
    return &h_;
  }

 private:
  Handle h_ = Invalid;
};

namespace detail {
inline void DeleteFontObject(HFONT h) noexcept {
  ::DeleteObject(h);
}
inline void DeleteBrushObject(HBRUSH h) noexcept {
  ::DeleteObject(h);
}
inline void DeleteBitmapObject(HBITMAP h) noexcept {
  ::DeleteObject(h);
}
}  // namespace detail

using unique_hwnd = UniqueAny<HWND, &::DestroyWindow>;
using unique_hicon = UniqueAny<HICON, &::DestroyIcon>;
using unique_hcursor = UniqueAny<HCURSOR, &::DestroyCursor>;
using unique_hmenu = UniqueAny<HMENU, &::DestroyMenu>;
using unique_hfont = UniqueAny<HFONT, &detail::DeleteFontObject>;
using unique_hbrush = UniqueAny<HBRUSH, &detail::DeleteBrushObject>;
using unique_hbitmap = UniqueAny<HBITMAP, &detail::DeleteBitmapObject>;
using unique_hdc = UniqueAny<HDC, &::DeleteDC>;  // a memory device context
using unique_hkey = UniqueAny<HKEY, &::RegCloseKey>;
using unique_handle = UniqueAny<HANDLE, &::CloseHandle>;
using unique_hmodule = UniqueAny<HMODULE, &::FreeLibrary>;

// An object selected into a device context; the one it replaced goes back when this goes.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (old_ != nullptr && old_ != HGDI_ERROR) {
      ::SelectObject(dc_, old_);
    }
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

  explicit operator bool() const noexcept { return old_ != nullptr && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace tarnelle::win32
