#pragma once
// Pictures kept in a module's resources as 32-bit bitmap files with premultiplied alpha, taken
// as they are (no picture codec, no COM), and the image control that shows one of them.

#include <windows.h>
#include <cstddef>
#include <functional>

#include "win32/click.h"
#include "win32/unique.h"
#include "win32/window.h"

namespace tarnelle::win32 {

// A picture: a top-down 32 bits per pixel DIB section with premultiplied alpha.
class Picture {
 public:
  Picture() noexcept = default;
  Picture(unique_hbitmap bitmap, SIZE size) noexcept;
  Picture(Picture&& other) noexcept;
  Picture& operator=(Picture&& other) noexcept;
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  ~Picture() = default;

  [[nodiscard]] HBITMAP bitmap() const noexcept { return bitmap_.get(); }
  // Pixel size; 0 x 0 when empty.
  [[nodiscard]] SIZE size() const noexcept { return size_; }
  explicit operator bool() const noexcept { return static_cast<bool>(bitmap_); }

 private:
  unique_hbitmap bitmap_;
  SIZE size_{};
};

// The picture in |size| bytes of a .bmp file of 32 bits per pixel, uncompressed, its colour
// already premultiplied by its alpha; an empty picture for any other data.
[[nodiscard]] Picture PictureFromBitmapFile(const void* data, std::size_t size);

// The picture in the RCDATA resource |id| of |module|, a bitmap file as above.
[[nodiscard]] Picture LoadPictureResource(HINSTANCE module, int id);

// Paints |picture| stretched over |dest| of |dc|, blended over what is there by its alpha.
void PaintPicture(HDC dc, const Picture& picture, const RECT& dest) noexcept;

// The icon resource |id| at |size| x |size| pixels, in the screen's colour depth.
[[nodiscard]] unique_hicon LoadIconResource(HINSTANCE module, int id, int size);

// A cursor made from the 32 x 32 icon resource |id|, with its hot spot at |hot_spot|.
[[nodiscard]] unique_hcursor LoadCursorFromIcon(HINSTANCE module, int id, POINT hot_spot);

// A child window that shows one picture over its parent's background (transparent pixels let
// the parent show through) and reports left-button clicks. Not stretched, the picture sits at
// its natural size in the top-left corner; stretched, it fills the control.
class Image : public Window {
 public:
  Image() = default;

  // Creates the control ("TarnelleImage") at |bounds|, in pixels of |parent|'s client area.
  [[nodiscard]] bool Create(HWND parent, const RECT& bounds, int id = 0);

  void SetPicture(Picture picture);
  void SetStretch(bool stretch);
  [[nodiscard]] const Picture& picture() const noexcept { return picture_; }
  [[nodiscard]] bool stretch() const noexcept { return stretch_; }

  // A press and release of the left button, both over the control. Runs last, so it may end
  // the program or destroy the control.
  std::function<void()> on_click;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Paint(HDC dc);
  void Invalidate();
  void OnButtonUp(LPARAM lp);

  Picture picture_;
  bool stretch_ = false;
  ClickTracker click_;
};

}  // namespace tarnelle::win32
