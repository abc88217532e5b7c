#include "win32/picture.h"

#include <wincodec.h>
#include <limits>
#include <utility>

#include "win32/com.h"
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

std::uint32_t Picture::PixelAt(int x, int y) const noexcept {
  if (!bitmap_ || x < 0 || y < 0 || x >= size_.cx || y >= size_.cy) {
    return 0;
  }
  DIBSECTION dib{};
  if (::GetObjectW(bitmap_.get(), sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBits == nullptr) {
    return 0;
  }
  const auto* row = static_cast<const std::uint8_t*>(dib.dsBm.bmBits) +
                    static_cast<std::ptrdiff_t>(y) * dib.dsBm.bmWidthBytes;
  return reinterpret_cast<const std::uint32_t*>(row)[x];
}

Picture DecodePicture(const void* data, std::size_t size) {
  if (data == nullptr || size == 0 || size > std::numeric_limits<DWORD>::max()) {
    return {};
  }
  com_ptr<IWICImagingFactory> factory;
  if (const HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()));
      FAILED(hr)) {
    TraceError(L"CoCreateInstance(WICImagingFactory)", static_cast<DWORD>(hr));
    return {};
  }
  com_ptr<IWICStream> stream;
  com_ptr<IWICBitmapDecoder> decoder;
  com_ptr<IWICBitmapFrameDecode> frame;
  com_ptr<IWICFormatConverter> converter;
  // The stream only reads the bytes, whatever its signature says.
  auto* bytes = static_cast<BYTE*>(const_cast<void*>(data));
  if (FAILED(factory.get()->CreateStream(stream.put())) ||
      FAILED(stream.get()->InitializeFromMemory(bytes, static_cast<DWORD>(size))) ||
      FAILED(factory.get()->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                                    decoder.put())) ||
      FAILED(decoder.get()->GetFrame(0, frame.put())) ||
      FAILED(factory.get()->CreateFormatConverter(converter.put())) ||
      FAILED(converter.get()->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                         nullptr, 0.0, WICBitmapPaletteTypeCustom))) {
    return {};
  }
  UINT width = 0;
  UINT height = 0;
  if (FAILED(converter.get()->GetSize(&width, &height)) || width == 0 || height == 0 || width > 0x4000 ||
      height > 0x4000) {
    return {};
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC gives the rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  unique_hbitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) {
    return {};
  }
  const UINT stride = width * 4;
  if (FAILED(converter.get()->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
    return {};
  }
  return Picture(std::move(bitmap), SIZE{static_cast<LONG>(width), static_cast<LONG>(height)});
}

Picture LoadPictureResource(HINSTANCE module, int id) {
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (found == nullptr) {
    return {};
  }
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  return DecodePicture(data, ::SizeofResource(module, found));
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
