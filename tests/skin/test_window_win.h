// A window laid out like the product's main window, for the skin engine's tests
// and for skin_demo: 390 x 181, fixed frame, caption with window menu, minimise
// and close, two sunken edit boxes, two push buttons and two transparent labels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace skin_test {

struct TestWindow {
  HWND window;
  HWND address_edit;
  HWND address_label;
  HWND resolve_button;
  HWND result_edit;
  HWND result_label;
  HWND open_button;
};

// Creates the window hidden, with its controls shown. With quit_on_destroy the
// window posts the quit request when it is destroyed (skin_demo); tests pump instead.
TestWindow CreateTestWindow(bool quit_on_destroy);

// A transparent label of the class "TransLabel": it has its parent paint its
// background (WM_ERASEBKGND on a DC moved to the label) and takes its text colour
// from WM_CTLCOLORSTATIC, so whatever the parent's face is shows through.
void RegisterTransLabelClass();

void PumpMessages();

// A window's pixels, frame included, in 0x00RRGGBB.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const { return pixels[y * width + x] & 0xFFFFFFu; }
  bool Contains(const RECT& area, std::uint32_t rgb) const;
  bool operator==(const Picture& other) const {
    return width == other.width && height == other.height && pixels == other.pixels;
  }
};

// The window as it draws itself (PrintWindow), whether shown or not.
Picture Render(HWND window);
// The window as it is on the screen (its window DC), as a user sees it.
Picture CaptureWindow(HWND window);

}  // namespace skin_test
