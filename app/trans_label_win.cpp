#include "trans_label_win.h"

namespace quorlin {
namespace {

constexpr UINT kTextFormat = DT_LEFT | DT_WORDBREAK | DT_VCENTER | DT_NOCLIP;

// The label keeps its font in its own window data, as controls do.
HFONT FontOf(HWND label) {
  return reinterpret_cast<HFONT>(GetWindowLongPtrA(label, GWLP_USERDATA));
}

// With WS_CLIPCHILDREN on the parent nothing is painted under the label, so
// the label asks its parent to erase into its own device context, shifted to
// where the label stands: whatever draws the parent's face draws here too.
LRESULT EraseWithParentBackground(HWND label, HDC dc) {
  const HWND parent = GetParent(label);
  POINT origin{0, 0};
  MapWindowPoints(label, parent, &origin, 1);
  POINT previous;
  OffsetWindowOrgEx(dc, origin.x, origin.y, &previous);
  SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
  return 1;
}

void PaintText(HWND label) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(label, &paint);
  if (paint.fErase) EraseWithParentBackground(label, dc);
  char text[256];
  const int length = GetWindowTextA(label, text, sizeof text);
  RECT area;
  GetClientRect(label, &area);
  const HGDIOBJ oldFont = FontOf(label) ? SelectObject(dc, FontOf(label)) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  DrawTextA(dc, text, length, &area, kTextFormat);
  if (oldFont) SelectObject(dc, oldFont);
  EndPaint(label, &paint);
}

LRESULT CALLBACK TransLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      PaintText(label);
      return 0;
    case WM_ERASEBKGND:
      return EraseWithParentBackground(label, reinterpret_cast<HDC>(wParam));
    case WM_SETFONT:
      SetWindowLongPtrA(label, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
      if (LOWORD(lParam)) InvalidateRect(label, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(FontOf(label));
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(label, message, wParam, lParam);
      InvalidateRect(label, nullptr, TRUE);
      return result;
    }
    case WM_NCHITTEST:
      // Deaf to the mouse: clicks fall through to the window beneath.
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      return DefWindowProcA(label, message, wParam, lParam);
  }
}

}  // namespace

bool RegisterTransLabelClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = TransLabelProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = nullptr;                                  // no background of its own
  windowClass.lpszClassName = kTransLabelClass;
  return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace quorlin
