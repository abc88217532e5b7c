#include "shell/picture.h"

#include <wincodec.h>
#include <limits>
#include <utility>

#include "app/resource.h"

namespace tarnelle::shell {

namespace {

// Owns one COM interface pointer.
template <typename T>
class Com {
 public:
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() {
    if (p_ != nullptr) {
      p_->Release();
    }
  }
  T* operator->() const noexcept { return p_; }
  [[nodiscard]] T* get() const noexcept { return p_; }
  T** put() noexcept { return &p_; }

 private:
  T* p_ = nullptr;
};

}  // namespace

Picture::Picture(win32::unique_hbitmap bitmap, SIZE size) noexcept : bitmap_(std::move(bitmap)), size_(size) {
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
  Com<IWICImagingFactory> factory;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put())))) {
    return {};
  }
  Com<IWICStream> stream;
  Com<IWICBitmapDecoder> decoder;
  Com<IWICBitmapFrameDecode> frame;
  Com<IWICFormatConverter> converter;
  // The stream only reads the bytes, whatever its signature says.
  auto* bytes = static_cast<BYTE*>(const_cast<void*>(data));
  if (FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(bytes, static_cast<DWORD>(size))) ||
      FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                              decoder.put())) ||
      FAILED(decoder->GetFrame(0, frame.put())) || FAILED(factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                   nullptr, 0.0, WICBitmapPaletteTypeCustom))) {
    return {};
  }
  UINT width = 0;
  UINT height = 0;
  if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 0x4000 ||
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
  win32::unique_hbitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) {
    return {};
  }
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
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
  HDC source = ::CreateCompatibleDC(dc);
  if (source == nullptr) {
    return;
  }
  const HGDIOBJ old = ::SelectObject(source, picture.bitmap());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::GdiAlphaBlend(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source, 0, 0,
                  picture.size().cx, picture.size().cy, blend);
  ::SelectObject(source, old);
  ::DeleteDC(source);
}

win32::unique_hicon LoadProgramIcon(HINSTANCE module, int size) {
  return win32::unique_hicon(static_cast<HICON>(
      ::LoadImageW(module, MAKEINTRESOURCEW(IDI_TARNELLE), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

win32::unique_hcursor LoadHandCursor(HINSTANCE module) {
  const win32::unique_hicon icon(static_cast<HICON>(
      ::LoadImageW(module, MAKEINTRESOURCEW(IDI_HAND_CURSOR), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
  ICONINFO info{};
  if (!icon || !::GetIconInfo(icon.get(), &info)) {
    return {};
  }
  // GetIconInfo hands us copies of both bitmaps.
  const win32::unique_hbitmap mask(info.hbmMask);
  const win32::unique_hbitmap colour(info.hbmColor);
  info.fIcon = FALSE;
  info.xHotspot = static_cast<DWORD>(kHandHotSpot.x);
  info.yHotspot = static_cast<DWORD>(kHandHotSpot.y);
  return win32::unique_hcursor(::CreateIconIndirect(&info));
}

bool Image::Create(HWND parent, const RECT& bounds, int id) {
  static const win32::WindowClass cls([] {
    WNDCLASSEXW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"TarnelleImage";
    return wc;
  }());
  return CreateFrom(cls, 0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, bounds.left, bounds.top,
                    bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
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
      pressed_ = true;
      ::SetCapture(hwnd());
      return 0;
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return 0;
    case WM_LBUTTONUP: {
      const bool was_pressed = pressed_;
      pressed_ = false;
      if (::GetCapture() == hwnd()) {
        ::ReleaseCapture();
      }
      RECT client{};
      ::GetClientRect(hwnd(), &client);
      const POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      if (was_pressed && ::PtInRect(&client, at) && on_click) {
        const std::function<void()> click = on_click;  // the control may not outlive the call
        click();
      }
      return 0;
    }
    default:
      return Window::OnMessage(msg, wp, lp);
  }
}

}  // namespace tarnelle::shell
