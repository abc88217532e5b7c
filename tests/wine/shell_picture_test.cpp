#include "shell/picture.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "app/resource.h"
#include "tests/wine/support.h"
#include "win32/module.h"

namespace tarnelle::shell {
namespace {

using testing::PumpFor;

std::uint32_t Alpha(std::uint32_t argb) {
  return argb >> 24;
}
std::uint32_t Red(std::uint32_t argb) {
  return (argb >> 16) & 0xFF;
}
std::uint32_t Green(std::uint32_t argb) {
  return (argb >> 8) & 0xFF;
}
std::uint32_t Blue(std::uint32_t argb) {
  return argb & 0xFF;
}
bool IsWhite(std::uint32_t argb) {
  return Alpha(argb) == 255 && Red(argb) >= 200 && Green(argb) >= 200 && Blue(argb) >= 200;
}
bool IsMarkGreen(std::uint32_t argb) {
  return Alpha(argb) == 255 && Green(argb) >= 100 && Red(argb) < 80 && Green(argb) > Blue(argb) + 20;
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

TEST_F(ShellPicture, TitleStripPicturesDecodeAtTheirSizes) {
  const struct {
    int id;
    LONG width, height;
  } cases[] = {{IDR_LOGO, 22, 22}, {IDR_HIDE, 48, 20}, {IDR_CLOSE, 48, 19}};
  for (const auto& c : cases) {
    const Picture picture = LoadPictureResource(win32::ThisModule(), c.id);
    ASSERT_TRUE(picture) << c.id;
    EXPECT_EQ(picture.size().cx, c.width) << c.id;
    EXPECT_EQ(picture.size().cy, c.height) << c.id;
    BITMAP bm{};
    ASSERT_EQ(::GetObjectW(picture.bitmap(), sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, c.width);
    EXPECT_EQ(bm.bmHeight, c.height);
    EXPECT_EQ(bm.bmBitsPixel, 32);
  }
}

TEST_F(ShellPicture, LogoIsTheMarkOnATransparentBackground) {
  const Picture logo = LoadPictureResource(win32::ThisModule(), IDR_LOGO);
  ASSERT_TRUE(logo);
  for (const POINT corner : {POINT{0, 0}, POINT{21, 0}, POINT{0, 21}, POINT{21, 21}}) {
    EXPECT_EQ(Alpha(logo.PixelAt(corner.x, corner.y)), 0u) << corner.x << "," << corner.y;
  }
  // Premultiplied: a transparent pixel carries no colour either.
  EXPECT_EQ(logo.PixelAt(0, 0), 0u);
  EXPECT_TRUE(IsWhite(logo.PixelAt(11, 12))) << std::hex << logo.PixelAt(11, 12);    // the T's stem
  EXPECT_TRUE(IsMarkGreen(logo.PixelAt(4, 14))) << std::hex << logo.PixelAt(4, 14);  // the disc
}

TEST_F(ShellPicture, HideSignIsAWhiteBarOnTransparency) {
  const Picture hide = LoadPictureResource(win32::ThisModule(), IDR_HIDE);
  ASSERT_TRUE(hide);
  EXPECT_TRUE(IsWhite(hide.PixelAt(24, 13)));
  EXPECT_TRUE(IsWhite(hide.PixelAt(15, 12)));
  EXPECT_TRUE(IsWhite(hide.PixelAt(32, 14)));
  for (const POINT clear : {POINT{0, 0}, POINT{47, 19}, POINT{24, 5}, POINT{24, 16}, POINT{10, 13}}) {
    EXPECT_EQ(Alpha(hide.PixelAt(clear.x, clear.y)), 0u) << clear.x << "," << clear.y;
  }
}

TEST_F(ShellPicture, CloseSignIsAWhiteCrossOnRed) {
  const Picture close = LoadPictureResource(win32::ThisModule(), IDR_CLOSE);
  ASSERT_TRUE(close);
  for (const POINT corner : {POINT{0, 0}, POINT{47, 0}, POINT{0, 18}, POINT{47, 18}}) {
    const std::uint32_t p = close.PixelAt(corner.x, corner.y);
    EXPECT_EQ(Alpha(p), 255u);
    EXPECT_GE(Red(p), 170u) << std::hex << p;
    EXPECT_LE(Green(p), 80u) << std::hex << p;
    EXPECT_LE(Blue(p), 80u) << std::hex << p;
  }
  EXPECT_TRUE(IsWhite(close.PixelAt(24, 9))) << std::hex << close.PixelAt(24, 9);
}

TEST_F(ShellPicture, WhatCannotBeDecodedGivesAnEmptyPicture) {
  const char garbage[] = "GIF89a but not really a picture";
  EXPECT_FALSE(DecodePicture(garbage, sizeof(garbage)));
  EXPECT_FALSE(DecodePicture(nullptr, 100));
  EXPECT_FALSE(DecodePicture(garbage, 0));
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
  ASSERT_EQ(picture.size().cx, 2);
  ASSERT_EQ(picture.size().cy, 1);
  const std::uint32_t half_red = picture.PixelAt(0, 0);
  EXPECT_EQ(Alpha(half_red), 128u);
  EXPECT_NEAR(static_cast<int>(Red(half_red)), 128, 1) << std::hex << half_red;
  EXPECT_EQ(Green(half_red), 0u);
  EXPECT_EQ(Blue(half_red), 0u);
  EXPECT_EQ(picture.PixelAt(1, 0), 0xFF0000FFu);
  EXPECT_EQ(picture.PixelAt(2, 0), 0u);  // outside

  // Over white, half red is pink.
  Canvas canvas(2, 1, RGB(255, 255, 255));
  PaintPicture(canvas.dc(), picture, RECT{0, 0, 2, 1});
  const std::uint32_t pink = canvas.At(0, 0);
  EXPECT_EQ(Red(pink), 255u);
  EXPECT_NEAR(static_cast<int>(Green(pink)), 127, 2) << std::hex << pink;
  EXPECT_NEAR(static_cast<int>(Blue(pink)), 127, 2) << std::hex << pink;
  EXPECT_EQ(canvas.At(1, 0), kCanvasBlue);
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

TEST_F(ShellPicture, PaintingBlendsByAlpha) {
  const Picture logo = LoadPictureResource(win32::ThisModule(), IDR_LOGO);
  ASSERT_TRUE(logo);
  Canvas canvas(40, 40, kCanvasBlueRef);
  PaintPicture(canvas.dc(), logo, RECT{10, 10, 32, 32});
  EXPECT_EQ(canvas.At(10, 10), kCanvasBlue);  // transparent corner of the logo
  EXPECT_EQ(canvas.At(31, 31), kCanvasBlue);
  EXPECT_EQ(canvas.At(5, 5), kCanvasBlue);  // outside
  EXPECT_EQ(canvas.At(21, 22), logo.PixelAt(11, 12) & 0xFFFFFF);
  EXPECT_EQ(canvas.At(14, 24), logo.PixelAt(4, 14) & 0xFFFFFF);
}

TEST_F(ShellPicture, PaintingStretchesToTheDestination) {
  const Picture hide = LoadPictureResource(win32::ThisModule(), IDR_HIDE);
  ASSERT_TRUE(hide);
  Canvas canvas(96, 40, kCanvasBlueRef);
  PaintPicture(canvas.dc(), hide, RECT{0, 0, 96, 40});
  // The bar, rows 12 to 14 and columns 15 to 32 of 48 x 20, doubled.
  EXPECT_EQ(canvas.At(48, 26), 0xFFFFFFu);
  EXPECT_EQ(canvas.At(32, 25), 0xFFFFFFu);
  EXPECT_EQ(canvas.At(64, 28), 0xFFFFFFu);
  EXPECT_EQ(canvas.At(48, 20), kCanvasBlue);
  EXPECT_EQ(canvas.At(48, 32), kCanvasBlue);
  EXPECT_EQ(canvas.At(24, 26), kCanvasBlue);
  EXPECT_EQ(canvas.At(70, 26), kCanvasBlue);
}

// One entry of an icon group resource (GRPICONDIRENTRY).
#pragma pack(push, 2)
struct GroupEntry {
  BYTE width;
  BYTE height;
  BYTE colour_count;
  BYTE reserved;
  WORD planes;
  WORD bit_count;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupEntry) == 14);

struct IconGroup {
  const BYTE* directory = nullptr;
  std::vector<GroupEntry> entries;
};

IconGroup ReadIconGroup(int id) {
  IconGroup group;
  HMODULE module = win32::ThisModule();
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  if (found == nullptr) {
    return group;
  }
  const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
  const DWORD size = ::SizeofResource(module, found);
  if (data == nullptr || size < 6) {
    return group;
  }
  group.directory = data;
  const WORD count = *reinterpret_cast<const WORD*>(data + 4);
  for (WORD i = 0; i < count && 6u + (i + 1u) * sizeof(GroupEntry) <= size; ++i) {
    GroupEntry e;
    std::memcpy(&e, data + 6 + i * sizeof(GroupEntry), sizeof(e));
    group.entries.push_back(e);
  }
  return group;
}

// The width, height and bit depth of one RT_ICON image, read from its own bitmap header.
std::tuple<int, int, int> IconImageShape(WORD id) {
  HMODULE module = win32::ThisModule();
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));  // RT_ICON
  if (found == nullptr) {
    return {0, 0, 0};
  }
  const auto* header = static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(module, found)));
  return {header->biWidth, header->biHeight / 2, header->biBitCount};
}

TEST_F(ShellPicture, ProgramIconHoldsThreeSizesAtThreeDepths) {
  const IconGroup group = ReadIconGroup(IDI_TARNELLE);
  ASSERT_EQ(group.entries.size(), 9u);
  std::set<std::tuple<int, int, int>> shapes;
  for (const GroupEntry& e : group.entries) {
    shapes.insert({e.width, e.height, e.bit_count});
    // The images themselves agree with what the group says of them.
    EXPECT_EQ(IconImageShape(e.id), std::make_tuple(static_cast<int>(e.width), static_cast<int>(e.height),
                                                    static_cast<int>(e.bit_count)));
    if (e.bit_count == 4) {
      EXPECT_EQ(e.colour_count, 16);
    }
  }
  std::set<std::tuple<int, int, int>> expected;
  for (int size : {16, 32, 48}) {
    for (int bpp : {4, 8, 32}) {
      expected.insert({size, size, bpp});
    }
  }
  EXPECT_EQ(shapes, expected);
}

TEST_F(ShellPicture, ProgramIconLoadsAtTheAskedSize) {
  const IconGroup group = ReadIconGroup(IDI_TARNELLE);
  ASSERT_NE(group.directory, nullptr);
  for (int size : {16, 32, 48}) {
    // The platform's own choice for this size is an image of this size.
    const int id =
        ::LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group.directory), TRUE, size, size, LR_DEFAULTCOLOR);
    ASSERT_NE(id, 0);
    EXPECT_EQ(std::get<0>(IconImageShape(static_cast<WORD>(id))), size);

    const win32::unique_hicon icon = LoadProgramIcon(win32::ThisModule(), size);
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

TEST_F(ShellPicture, HandIsOneSixteenColourImage) {
  const IconGroup group = ReadIconGroup(IDI_HAND_CURSOR);
  ASSERT_EQ(group.entries.size(), 1u);
  EXPECT_EQ(group.entries[0].width, 32);
  EXPECT_EQ(group.entries[0].height, 32);
  EXPECT_EQ(group.entries[0].bit_count, 4);
  EXPECT_EQ(group.entries[0].colour_count, 16);
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
  EXPECT_EQ(MaskBit(mask.get(), 31, 31), 1);
  // The cursor can be used as one.
  const HCURSOR previous = ::SetCursor(cursor.get());
  EXPECT_EQ(::GetCursor(), cursor.get());
  ::SetCursor(previous);
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

TEST_F(ShellImage, IsAChildOfItsOwnClass) {
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
  EXPECT_EQ(rc.left, 8);
  EXPECT_EQ(rc.top, 0);
  EXPECT_EQ(rc.right, 30);
  EXPECT_EQ(rc.bottom, 22);
}

TEST_F(ShellImage, ParentShowsThroughTheTransparentPixels) {
  Image& image = MakeImage(RECT{8, 0, 30, 22}, IDR_LOGO);
  const auto shot = Snapshot(image);
  EXPECT_EQ(shot->At(0, 0), kStripGreenStored);
  EXPECT_EQ(shot->At(21, 21), kStripGreenStored);
  EXPECT_EQ(shot->At(11, 12), image.picture().PixelAt(11, 12) & 0xFFFFFF);
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

TEST_F(ShellImage, LeftClickIsReported) {
  Image& image = MakeImage(RECT{8, 0, 30, 22}, IDR_LOGO);
  int clicks = 0;
  image.on_click = [&] { ++clicks; };
  ASSERT_TRUE(testing::MakeForeground(parent_));

  testing::SendClick(ScreenPoint(image, 11, 11));
  EXPECT_TRUE(testing::PumpUntil([&] { return clicks == 1; }));

  // Neither the right nor the middle button clicks it.
  testing::SendClick(ScreenPoint(image, 11, 11), testing::MouseButton::kRight);
  testing::SendClick(ScreenPoint(image, 11, 11), testing::MouseButton::kMiddle);
  PumpFor(200);
  EXPECT_EQ(clicks, 1);
}

// One left-button event that carries its own screen position, so that it cannot be taken for
// one at the pointer's previous place.
void SendLeftButtonAt(POINT screen, bool down) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = (screen.x * 65536 + width - 1) / width;
  in.mi.dy = (screen.y * 65536 + height - 1) / height;
  in.mi.dwFlags =
      MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
  ::SendInput(1, &in, sizeof(INPUT));
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
  SendLeftButtonAt(on, true);
  ASSERT_TRUE(testing::PumpUntil([&] { return ::GetCapture() == image.hwnd(); }));
  SendLeftButtonAt(beside, false);
  ASSERT_TRUE(testing::PumpUntil([&] { return ::GetCapture() == nullptr; }));
  PumpFor(100);
  EXPECT_EQ(clicks, 0);

  // Pressed beside it, released on it.
  testing::MoveMouseTo(beside);
  SendLeftButtonAt(beside, true);
  PumpFor(100);
  SendLeftButtonAt(on, false);
  PumpFor(200);
  EXPECT_EQ(clicks, 0);

  // And a plain click still counts afterwards.
  testing::SendClick(ScreenPoint(image, 11, 11));
  EXPECT_TRUE(testing::PumpUntil([&] { return clicks == 1; }));
}

TEST_F(ShellImage, ClickHandlerMayDestroyTheControl) {
  Image& image = MakeImage(RECT{8, 0, 30, 22}, IDR_LOGO);
  bool clicked = false;
  image.on_click = [&] {
    clicked = true;
    image_.reset();  // as the close sign does when it ends the program
  };
  ASSERT_TRUE(testing::MakeForeground(parent_));
  const POINT at = ScreenPoint(image, 11, 11);
  testing::SendClick(at);
  EXPECT_TRUE(testing::PumpUntil([&] { return clicked; }));
  EXPECT_EQ(image_, nullptr);
}

}  // namespace
}  // namespace tarnelle::shell
