// A window laid out like the product's main window, for the skin engine's tests
// and for skin_demo: 390 x 181, fixed frame, caption with window menu, minimise
// and close, two sunken edit boxes, two push buttons and two transparent labels.
#pragma once

#include <windows.h>

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

}  // namespace skin_test
