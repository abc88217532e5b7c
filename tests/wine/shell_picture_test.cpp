#include "shell/picture.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdint>
#include <memory>
#include <set>
#include <tuple>

#include "app/resource.h"
#include "tests/wine/support.h"
#include "win32/module.h"

namespace tarnelle::shell {
namespace {

using testing::PumpFor;

std::uint32_t Alpha(std::uint32_t argb) {
  return argb >> 24;
}
std::uint32_t Channel(std::uint32_t argb, int shift) {
  return (argb >> shift) & 0xFF;
}
bool IsWhite(std::uint32_t argb) {
  return Alpha(argb) == 255 && Channel(argb, 16) >= 200 && Channel(argb, 8) >= 200 && Channel(argb, 0) >= 200;
}

// Decoding needs COM on the calling thread, as it does in the program.
class ShellPicture : public ::testing::Test {
 protected:
  void SetUp() override { com_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
  void TearDown() override {
    if (com_) {
      ::CoUninitialize();
    }
  }

 private:
  bool com_ = false;
};

// A 32 bpp top-down DIB to paint into and read back.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = ::CreateCompatibleDC(nullptr);
    bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = ::SelectObject(dc_, bitmap_);
    const RECT all{0, 0, width, height};
    HBRUSH brush = ::CreateSolidBrush(fill);
    ::FillRect(dc_, &all, brush);
    ::DeleteObject(brush);
    ::GdiFlush();
  }
  ~Canvas() {
    ::SelectObject(dc_, old_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  [[nodiscard]] HDC dc() const { return dc_; }
  // 0x00RRGGBB
  [[nodiscard]] std::uint32_t At(int x, int y) const {
    ::GdiFlush();
    return bits_[y * width_ + x] & 0xFFFFFF;
  }

 private:
  int width_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

constexpr std::uint32_t kCanvasBlue = 0x0000FF;  // as stored: 0x00RRGGBB
constexpr COLORREF kCanvasBlueRef = RGB(0, 0, 255);

TEST_F(ShellPicture, TitleStripPicturesDecodeAtTheirSizesWithTransparency) {
  const struct {
    int id;
    LONG width, height;
    POINT white;  // on the drawing
    POINT clear;  // transparent, or for the close sign its red ground
  } cases[] = {{IDR_LOGO, 22, 22, {11, 12}, {0, 0}},
               {IDR_HIDE, 48, 20, {24, 13}, {24, 5}},
               {IDR_CLOSE, 48, 19, {24, 9}, {0, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    const Picture picture = LoadPictureResource(win32::ThisModule(), c.id);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture.size().cx, c.width);
    EXPECT_EQ(picture.size().cy, c.height);
    BITMAP bm{};
    ASSERT_EQ(::GetObjectW(picture.bitmap(), sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, c.width);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_TRUE(IsWhite(picture.PixelAt(c.white.x, c.white.y)))
        << std::hex << picture.PixelAt(c.white.x, c.white.y);
    const std::uint32_t ground = picture.PixelAt(c.clear.x, c.clear.y);
    if (c.id == IDR_CLOSE) {
      EXPECT_TRUE(Alpha(ground) == 255 && Channel(ground, 16) >= 170 && Channel(ground, 8) <= 80)
          << std::hex << ground;
    } else {
      EXPECT_EQ(ground, 0u);  // premultiplied: a transparent pixel carries no colour either
    }
  }
}

TEST_F(ShellPicture, WhatCannotBeDecodedGivesAnEmptyPicture) {
  const char garbage[] = "GIF89a but not really a picture";
  EXPECT_FALSE(DecodePicture(garbage, sizeof(garbage)));
  EXPECT_FALSE(DecodePicture(nullptr, 100));
  const Picture missing = LoadPictureResource(win32::ThisModule(), 4321);
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.size().cx, 0);
  EXPECT_EQ(missing.PixelAt(0, 0), 0u);
}

// A 2 x 1 PNG: red at half opacity, then opaque blue.
constexpr unsigned char kHalfRedThenBluePng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0xf4,
    0x22, 0x7f, 0x8a, 0x00, 0x00, 0x00, 0x11, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xf8,
    0xcf, 0xc0, 0xd0, 0xc0, 0xc0, 0xf0, 0xff, 0x3f, 0x00, 0x0d, 0x7e, 0x03, 0x7e, 0x97, 0xf1,
    0x88, 0x3f, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

TEST_F(ShellPicture, PartialTransparencyIsPremultiplied) {
  const Picture picture = DecodePicture(kHalfRedThenBluePng, sizeof(kHalfRedThenBluePng));
  ASSERT_TRUE(picture);
  const std::uint32_t half_red = picture.PixelAt(0, 0);
  EXPECT_EQ(Alpha(half_red), 128u);
  EXPECT_NEAR(static_cast<int>(Channel(half_red, 16)), 128, 1) << std::hex << half_red;
  EXPECT_EQ(picture.PixelAt(1, 0), 0xFF0000FFu);
  EXPECT_EQ(picture.PixelAt(2, 0), 0u);  // outside
}

TEST_F(ShellPicture, MovingAPictureHandsOverTheBitmap) {
  Picture first = LoadPictureResource(win32::ThisModule(), IDR_LOGO);
  const HBITMAP bitmap = first.bitmap();
  ASSERT_NE(bitmap, nullptr);
  Picture second = std::move(first);
  EXPECT_EQ(second.bitmap(), bitmap);
  EXPECT_EQ(second.size().cx, 22);
  EXPECT_FALSE(first);  // NOLINT(bugprone-use-after-move): the moved-from state is the point
  EXPECT_EQ(first.size().cx, 0);
  second = Picture();
  // The bitmap went with the last owner.
  BITMAP bm{};
  EXPECT_EQ(::GetObjectW(bitmap, sizeof(bm), &bm), 0);
}

TEST_F(ShellPicture, PaintingBlendsByAlphaAndStretchesToTheDestination) {
  const Picture logo = LoadPictureResource(win32::ThisModule(), IDR_LOGO);
  ASSERT_TRUE(logo);
  Canvas canvas(40, 40, kCanvasBlueRef);
  PaintPicture(canvas.dc(), logo, RECT{10, 10, 32, 32});
  EXPECT_EQ(canvas.At(10, 10), kCanvasBlue);  // transparent corner of the logo
  EXPECT_EQ(canvas.At(5, 5), kCanvasBlue);    // outside
  EXPECT_EQ(canvas.At(21, 22), logo.PixelAt(11, 12) & 0xFFFFFF);

  const Picture hide = LoadPictureResource(win32::ThisModule(), IDR_HIDE);
  ASSERT_TRUE(hide);
  Canvas doubled(96, 40, kCanvasBlueRef);
  PaintPicture(doubled.dc(), hide, RECT{0, 0, 96, 40});
  // The bar, rows 12 to 14 and columns 15 to 32 of 48 x 20, doubled.
  EXPECT_EQ(doubled.At(32, 25), 0xFFFFFFu);
  EXPECT_EQ(doubled.At(64, 28), 0xFFFFFFu);
  EXPECT_EQ(doubled.At(48, 20), kCanvasBlue);
  EXPECT_EQ(doubled.At(48, 32), kCanvasBlue);
  EXPECT_EQ(doubled.At(24, 26), kCanvasBlue);
  EXPECT_EQ(doubled.At(70, 26), kCanvasBlue);
}

TEST_F(ShellPicture, ProgramIconHoldsNineImagesAndLoadsAtTheAskedSize) {
  const HMODULE module = win32::ThisModule();
  const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(IDI_TARNELLE), MAKEINTRESOURCEW(14));
  ASSERT_NE(found, nullptr);  // RT_GROUP_ICON: a count at byte 4, then 14-byte entries
  const auto* group = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
  ASSERT_EQ(*reinterpret_cast<const WORD*>(group + 4), 9);
  std::set<std::tuple<int, int>> shapes;  // size, bits per pixel
  for (int i = 0; i < 9; ++i) {
    const BYTE* entry = group + 6 + 14 * i;
    EXPECT_EQ(entry[0], entry[1]);
    shapes.insert({entry[0], *reinterpret_cast<const WORD*>(entry + 6)});
  }
  std::set<std::tuple<int, int>> expected;
  for (int size : {16, 32, 48}) {
    for (int bpp : {4, 8, 32}) {
      expected.insert({size, bpp});
    }
  }
  EXPECT_EQ(shapes, expected);

  for (int size : {16, 32, 48}) {
    const win32::unique_hicon icon = LoadProgramIcon(module, size);
    ASSERT_TRUE(icon) << size;
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon.get(), &info));
    const win32::unique_hbitmap mask(info.hbmMask);
    const win32::unique_hbitmap colour(info.hbmColor);
    EXPECT_TRUE(info.fIcon);
    BITMAP bm{};
    ASSERT_TRUE(::GetObjectW(colour.get(), sizeof(bm), &bm));
    EXPECT_EQ(bm.bmWidth, size);
    EXPECT_EQ(bm.bmHeight, size);
  }
}

// 1 where the AND mask of a cursor or icon lets the screen through.
int MaskBit(HBITMAP mask, int x, int y) {
  HDC dc = ::CreateCompatibleDC(nullptr);
  const HGDIOBJ old = ::SelectObject(dc, mask);
  const COLORREF c = ::GetPixel(dc, x, y);
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  return c == RGB(255, 255, 255) ? 1 : 0;
}

TEST_F(ShellPicture, HandCursorPointsWithItsFingertip) {
  const win32::unique_hcursor cursor = LoadHandCursor(win32::ThisModule());
  ASSERT_TRUE(cursor);
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(cursor.get(), &info));
  const win32::unique_hbitmap mask(info.hbmMask);
  const win32::unique_hbitmap colour(info.hbmColor);
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, static_cast<DWORD>(kHandHotSpot.x));
  EXPECT_EQ(info.yHotspot, static_cast<DWORD>(kHandHotSpot.y));
  ASSERT_TRUE(mask);
  // The hot spot is on the drawing's top edge: opaque there, clear just above and to the left.
  EXPECT_EQ(MaskBit(mask.get(), kHandHotSpot.x, kHandHotSpot.y), 0);
  EXPECT_EQ(MaskBit(mask.get(), kHandHotSpot.x, kHandHotSpot.y - 1), 1);
  EXPECT_EQ(MaskBit(mask.get(), kHandHotSpot.x - 1, kHandHotSpot.y), 1);
  EXPECT_EQ(MaskBit(mask.get(), 0, 0), 1);
}

// A visible parent painted in the title strip's green, with one Image on it.
class ShellImage : public ShellPicture {
 protected:
  static constexpr COLORREF kStripGreen = RGB(0, 153, 102);
  static constexpr std::uint32_t kStripGreenStored = 0x009966;

  void SetUp() override {
    ShellPicture::SetUp();
    static const ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = &::DefWindowProcW;
      wc.hInstance = win32::ThisModule();
      wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
      wc.hbrBackground = ::CreateSolidBrush(kStripGreen);
      wc.lpszClassName = L"TarnelleTestStrip";
      return ::RegisterClassExW(&wc);
    }();
    ASSERT_NE(atom, 0);
    parent_ = ::CreateWindowExW(0, L"TarnelleTestStrip", L"strip", WS_POPUP | WS_VISIBLE, 200, 200, 120, 40,
                                nullptr, nullptr, win32::ThisModule(), nullptr);
    ASSERT_NE(parent_, nullptr);
    PumpFor(50);
  }
  void TearDown() override {
    image_.reset();
    ::DestroyWindow(parent_);
    ShellPicture::TearDown();
  }

  Image& MakeImage(const RECT& bounds, int picture_id) {
    image_ = std::make_unique<Image>();
    EXPECT_TRUE(image_->Create(parent_, bounds, 7));
    image_->SetPicture(LoadPictureResource(win32::ThisModule(), picture_id));
    return *image_;
  }

  // What the control paints, read back through WM_PRINTCLIENT.
  std::unique_ptr<Canvas> Snapshot(const Image& image) {
    RECT rc{};
    ::GetClientRect(image.hwnd(), &rc);
    auto canvas = std::make_unique<Canvas>(rc.right, rc.bottom, RGB(255, 0, 255));
    ::SendMessageW(image.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas->dc()), PRF_CLIENT);
    return canvas;
  }

  POINT ScreenPoint(const Image& image, int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(image.hwnd(), &p);
    return p;
  }

  HWND parent_ = nullptr;
  std::unique_ptr<Image> image_;
};

TEST_F(ShellImage, IsAChildOfItsOwnClassThroughWhichTheParentShows) {
  Image& image = MakeImage(RECT{8, 0, 30, 22}, IDR_LOGO);
  ASSERT_NE(image.hwnd(), nullptr);
  wchar_t cls[64]{};
  ::GetClassNameW(image.hwnd(), cls, 64);
  EXPECT_STREQ(cls, L"TarnelleImage");
  EXPECT_EQ(::GetParent(image.hwnd()), parent_);
  EXPECT_EQ(::GetDlgCtrlID(image.hwnd()), 7);
  EXPECT_TRUE(::IsWindowVisible(image.hwnd()));
  RECT rc{};
  ::GetWindowRect(image.hwnd(), &rc);
  ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&rc), 2);
  const RECT want{8, 0, 30, 22};
  EXPECT_TRUE(::EqualRect(&rc, &want));

  const auto shot = Snapshot(image);
  EXPECT_EQ(shot->At(0, 0), kStripGreenStored);
  EXPECT_EQ(shot->At(21, 21), kStripGreenStored);
  EXPECT_EQ(shot->At(11, 12), 0xFFFFFFu);
}

TEST_F(ShellImage, StretchedPictureFillsTheControl) {
  // The hide sign: 48 x 20 drawn into 39 x 17.
  Image& image = MakeImage(RECT{60, 0, 99, 17}, IDR_HIDE);
  ASSERT_FALSE(image.stretch());
  {
    // Natural size: the bar stays on rows 12 to 14, clipped by the control.
    const auto shot = Snapshot(image);
    EXPECT_EQ(shot->At(20, 13), 0xFFFFFFu);
    EXPECT_EQ(shot->At(20, 11), kStripGreenStored);
  }
  image.SetStretch(true);
  EXPECT_TRUE(image.stretch());
  {
    // Scaled by 17/20: rows 12 to 14 of the picture land on rows 10 to 12.
    const auto shot = Snapshot(image);
    EXPECT_EQ(shot->At(20, 11), 0xFFFFFFu);
    EXPECT_EQ(shot->At(20, 14), kStripGreenStored);
    EXPECT_EQ(shot->At(5, 11), kStripGreenStored);
  }
}

TEST_F(ShellImage, LeftClickIsReportedAndItsHandlerMayDestroyTheControl) {
  Image& image = MakeImage(RECT{8, 0, 30, 22}, IDR_LOGO);
  int clicks = 0;
  image.on_click = [&] { ++clicks; };
  ASSERT_TRUE(testing::MakeForeground(parent_));
  const POINT at = ScreenPoint(image, 11, 11);
  testing::SendClick(at);
  EXPECT_TRUE(testing::PumpUntil([&] { return clicks == 1; }));
  // Neither the right nor the middle button clicks it.
  testing::SendClick(at, testing::MouseButton::kRight);
  testing::SendClick(at, testing::MouseButton::kMiddle);
  PumpFor(200);
  EXPECT_EQ(clicks, 1);

  image.on_click = [&] {
    ++clicks;
    image_.reset();  // as the close sign does when it ends the program
  };
  testing::SendClick(at);
  EXPECT_TRUE(testing::PumpUntil([&] { return clicks == 2; }));
  EXPECT_EQ(image_, nullptr);
}

TEST_F(ShellImage, ReleasingElsewhereIsNoClick) {
  Image& image = MakeImage(RECT{8, 0, 30, 22}, IDR_LOGO);
  int clicks = 0;
  image.on_click = [&] { ++clicks; };
  ASSERT_TRUE(testing::MakeForeground(parent_));
  const POINT on = ScreenPoint(image, 11, 11);
  const POINT beside = ScreenPoint(image, 60, 11);
  // Pressed on the image, released beside it on the parent.
  testing::MoveMouseTo(on);
  testing::SendMouseAt(on, MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(testing::PumpUntil([&] { return ::GetCapture() == image.hwnd(); }));
  testing::SendMouseAt(beside, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(testing::PumpUntil([&] { return ::GetCapture() == nullptr; }));
  PumpFor(100);
  EXPECT_EQ(clicks, 0);
  // Pressed beside it, released on it.
  testing::MoveMouseTo(beside);
  testing::SendMouseAt(beside, MOUSEEVENTF_LEFTDOWN);
  PumpFor(100);
  testing::SendMouseAt(on, MOUSEEVENTF_LEFTUP);
  PumpFor(200);
  EXPECT_EQ(clicks, 0);
  // And a plain click still counts afterwards.
  testing::SendClick(on);
  EXPECT_TRUE(testing::PumpUntil([&] { return clicks == 1; }));
}

}  // namespace
}  // namespace tarnelle::shell
