#include "win32/picture.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <utility>

#include "win32/bitmap_file.h"
#include "win32/trace.h"

namespace tarnelle::win32 {

Picture::Picture(unique_hbitmap bitmap, SIZE size) noexcept : bitmap_(std::move(bitmap)), size_(size) {
  if (!bitmap_) {
    size_ = SIZE{};
  }
}

Picture::Picture(Picture&& other) noexcept
    : bitmap_(std::move(other.bitmap_)), size_(std::exchange(other.size_, SIZE{})) {}

Picture& Picture::operator=(Picture&& other) noexcept {
  if (this != &other) {
    bitmap_ = std::move(other.bitmap_);
    size_ = std::exchange(other.size_, SIZE{});
  }
  return *this;
}

Picture PictureFromBitmapFile(const void* data, std::size_t size) {
  if (data == nullptr) {
    return {};
  }
  const std::span<const std::uint8_t> file(static_cast<const std::uint8_t*>(data), size);
  const std::optional<BitmapLayout> layout = ReadBitmapLayout(file);
  if (!layout) {
    return {};
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = layout->width;
  info.bmiHeader.biHeight = -layout->height;  // top-down, whatever the file's order
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  unique_hbitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) {
    TraceLastError(L"CreateDIBSection");
    return {};
  }
  const std::size_t stride = static_cast<std::size_t>(layout->width) * 4;
  for (int y = 0; y < layout->height; ++y) {
    const int from = layout->top_down ? y : layout->height - 1 - y;
    std::memcpy(static_cast<std::uint8_t*>(bits) + static_cast<std::size_t>(y) * stride,
                file.data() + layout->offset + static_cast<std::size_t>(from) * stride, stride);
  }
  return Picture(std::move(bitmap), SIZE{layout->width, layout->height});
}

Picture LoadPictureResource(HINSTANCE module, int id) {
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (found == nullptr) {
    return {};
  }
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  return PictureFromBitmapFile(data, ::SizeofResource(module, found));
}

void PaintPicture(HDC dc, const Picture& picture, const RECT& dest) noexcept {
  if (!picture || dest.right <= dest.left || dest.bottom <= dest.top) {
    return;
  }
  const unique_hdc source(::CreateCompatibleDC(dc));
  if (!source) {
    TraceLastError(L"CreateCompatibleDC");
    return;
  }
  const SelectedObject selected(source.get(), picture.bitmap());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  std::ignore = Check(::GdiAlphaBlend(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                                      source.get(), 0, 0, picture.size().cx, picture.size().cy, blend),
                      L"GdiAlphaBlend");
}

unique_hicon LoadIconResource(HINSTANCE module, int id, int size) {
  unique_hicon icon(static_cast<HICON>(
      ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  if (!icon) {
    TraceLastError(L"LoadImageW(icon)");
  }
  return icon;
}

unique_hcursor LoadCursorFromIcon(HINSTANCE module, int id, POINT hot_spot) {
  const unique_hicon icon = LoadIconResource(module, id, 32);
  ICONINFO info{};
  if (!icon || !Check(::GetIconInfo(icon.get(), &info), L"GetIconInfo")) {
    return {};
  }
  // GetIconInfo hands us copies of both bitmaps.
  const unique_hbitmap mask(info.hbmMask);
  const unique_hbitmap colour(info.hbmColor);
  info.fIcon = FALSE;
  info.xHotspot = static_cast<DWORD>(hot_spot.x);
  info.yHotspot = static_cast<DWORD>(hot_spot.y);
  unique_hcursor cursor(::CreateIconIndirect(&info));
  if (!cursor) {
    TraceLastError(L"CreateIconIndirect");
  }
  return cursor;
}

bool Image::Create(HWND parent, const RECT& bounds, int id) {
  // CS_DBLCLKS: the second press of a double-click arrives as WM_LBUTTONDBLCLK, which after a
  // click is no new press, so a double-click is one click.
  static const WindowClass cls({.name = L"TarnelleImage", .style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS});
  return CreateFrom(cls, 0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, bounds.left, bounds.top,
                    bounds.right - bounds.left, bounds.bottom - bounds.top, parent, ControlId(id)) != nullptr;
}

void Image::SetPicture(Picture picture) {
  picture_ = std::move(picture);
  Invalidate();
}

void Image::SetStretch(bool stretch) {
  stretch_ = stretch;
  Invalidate();
}

void Image::Invalidate() {
  if (hwnd() != nullptr) {
    ::InvalidateRect(hwnd(), nullptr, TRUE);
  }
}

void Image::Paint(HDC dc) {
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  // What lies behind the control: the parent's own background, painted into our area.
  ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_3DFACE));
  if (const HWND parent = ::GetParent(hwnd())) {
    POINT origin{0, 0};
    ::MapWindowPoints(hwnd(), parent, &origin, 1);
    POINT old{};
    ::OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    ::SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ::SetViewportOrgEx(dc, old.x, old.y, nullptr);
  }
  if (!picture_) {
    return;
  }
  RECT dest = client;
  if (!stretch_) {
    dest.right = dest.left + picture_.size().cx;
    dest.bottom = dest.top + picture_.size().cy;
  }
  PaintPicture(dc, picture_, dest);
}

void Image::OnButtonUp(LPARAM lp) {
  if (click_.OnButtonUp(hwnd(), lp) && on_click) {
    const std::function<void()> click = on_click;  // the control may not outlive the call
    click();
  }
}

LRESULT Image::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (HDC dc = ::BeginPaint(hwnd(), &ps)) {
        Paint(dc);
        ::EndPaint(hwnd(), &ps);
      }
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_LBUTTONDOWN:
      click_.OnButtonDown(hwnd());
      return 0;
    case WM_LBUTTONDBLCLK:
      click_.OnDoubleClick(hwnd());
      return 0;
    case WM_CAPTURECHANGED:
      click_.OnCaptureChanged();
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp(lp);
      return 0;
    default:
      return Window::OnMessage(msg, wp, lp);
  }
}

}  // namespace tarnelle::win32
