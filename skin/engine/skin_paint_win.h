// Drawing of the skinned parts: the frame with its caption, push buttons and
// edit borders. Everything here paints into a DC it is given and keeps no state.
#pragma once

#include <windows.h>

#include "skin_format.h"

namespace quorlin_skin {

// Where DefWindowProc's hit-testing puts the caption and its buttons, in window
// coordinates. The skin draws into exactly these rectangles so that a click
// lands where it is drawn; a button the window lacks has an empty rectangle.
struct CaptionLayout {
  SIZE window;
  RECT client;   // the client area
  RECT caption;  // the title bar, from the top edge down to the client area
  RECT icon;     // the window-menu icon
  RECT close;
  RECT maximise;
  RECT minimise;
};

CaptionLayout ComputeCaptionLayout(HWND hwnd);

// The caption button under `hit` (HTCLOSE, HTMAXBUTTON or HTMINBUTTON) if the
// skin draws it and it is enabled, else HTNOWHERE.
int DrawnCaptionButton(HWND hwnd, int hit);

struct FrameVisual {
  bool active;
  int hot;      // hit code of the caption button under the mouse, or HTNOWHERE
  int pressed;  // hit code of the caption button held down and under the mouse, or HTNOWHERE
};

// Paints the whole non-client area into `dc`, whose origin is the window's top-left corner.
void PaintFrame(HWND hwnd, HDC dc, const SkinData& skin, const FrameVisual& visual);

// Paints a push button's client area in its current state.
void PaintPushButton(HWND hwnd, HDC dc, const SkinData& skin, bool hot);

// Paints the two-pixel client edge of an edit box; `dc`'s origin is the window's top-left.
void PaintEditBorder(HWND hwnd, HDC dc, const SkinData& skin, bool hot);

COLORREF ToColorRef(uint32_t rgb);

}  // namespace quorlin_skin
