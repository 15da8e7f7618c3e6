#include "test_window_win.h"

#include <functional>

namespace skin_test {
namespace {

constexpr wchar_t kWindowClass[] = L"QuorlinSkinTestWindow";
constexpr wchar_t kQuitProperty[] = L"QuorlinSkinTestQuit";

void PaintLabel(HWND hwnd, HDC dc) {
  HWND parent = GetParent(hwnd);
  RECT client;
  GetClientRect(hwnd, &client);
  POINT origin = {0, 0};
  MapWindowPoints(hwnd, parent, &origin, 1);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, 0, 0, client.right, client.bottom);
  OffsetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
  SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);

  SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(hwnd));
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
  wchar_t text[64];
  const int length = GetWindowTextW(hwnd, text, 64);
  DrawTextW(dc, text, length, &client, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      PaintLabel(hwnd, dc);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintLabel(hwnd, reinterpret_cast<HDC>(wp));
      return 0;
    case WM_SETFONT:
      SetPropW(hwnd, L"font", reinterpret_cast<HANDLE>(wp));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(GetPropW(hwnd, L"font"));
    case WM_NCDESTROY:
      RemovePropW(hwnd, L"font");
      break;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY && GetPropW(hwnd, kQuitProperty) != nullptr) PostQuitMessage(0);
  if (msg == WM_NCDESTROY) RemovePropW(hwnd, kQuitProperty);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterWindowClass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);
}

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, DWORD ex_style, int x,
           int y, int w, int h) {
  HWND child = CreateWindowExA(ex_style, cls, text, WS_CHILD | style, x, y, w, h, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return child;
}

// A picture of the window's size, drawn by `draw` into a memory DC.
Picture DrawPicture(HWND window, const std::function<void(HDC)>& draw) {
  RECT outer;
  GetWindowRect(window, &outer);
  Picture picture;
  picture.width = outer.right - outer.left;
  picture.height = outer.bottom - outer.top;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  draw(dc);
  GdiFlush();
  const auto* first = static_cast<const std::uint32_t*>(bits);
  picture.pixels.assign(first, first + picture.width * picture.height);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return picture;
}

}  // namespace

bool Picture::Contains(const RECT& area, std::uint32_t rgb) const {
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (At(x, y) == rgb) return true;
    }
  }
  return false;
}

Picture Render(HWND window) {
  return DrawPicture(window, [window](HDC dc) {
    PrintWindow(window, dc, 0);
    // Wine's PrintWindow leaves the children out: print them over it, bottom one
    // first, as Windows does (where this repeats what is already there).
    RECT outer;
    GetWindowRect(window, &outer);
    std::vector<HWND> children;
    for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
      children.insert(children.begin(), c);
    }
    for (HWND child : children) {
      if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
      RECT r;
      GetWindowRect(child, &r);
      const int saved = SaveDC(dc);
      SetViewportOrgEx(dc, r.left - outer.left, r.top - outer.top, nullptr);
      IntersectClipRect(dc, 0, 0, r.right - r.left, r.bottom - r.top);
      SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc),
                   PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
      RestoreDC(dc, saved);
    }
  });
}

Picture CaptureWindow(HWND window) {
  return DrawPicture(window, [window](HDC dc) {
    HDC source = GetWindowDC(window);
    RECT outer;
    GetWindowRect(window, &outer);
    BitBlt(dc, 0, 0, outer.right - outer.left, outer.bottom - outer.top, source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
  });
}

void RegisterTransLabelClass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = LabelProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = L"TransLabel";
  RegisterClassExW(&wc);
}

TestWindow CreateTestWindow(bool quit_on_destroy) {
  RegisterWindowClass();
  RegisterTransLabelClass();
  TestWindow t = {};
  const int x = (GetSystemMetrics(SM_CXSCREEN) - 390) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - 181) / 2;
  t.window = CreateWindowExA(0, "QuorlinSkinTestWindow", "Quorlin网盘解析器 ByVesk工作室",
                             WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, x, y, 390,
                             181, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (t.window == nullptr) return t;
  if (quit_on_destroy) SetPropW(t.window, kQuitProperty, reinterpret_cast<HANDLE>(1));
  SendMessageW(t.window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  const DWORD edit = WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL;
  t.address_edit = Child(t.window, "Edit", "http://pan.example.com/s/1aBcDeFg", edit,
                         WS_EX_CLIENTEDGE, 46, 24, 330, 24);
  t.address_label = Child(t.window, "TransLabel", "地址：", 0, 0, 8, 19, 32, 32);
  t.resolve_button =
      Child(t.window, "Button", "一键解析", WS_TABSTOP | BS_PUSHBUTTON, 0, 104, 56, 176, 24);
  t.result_edit = Child(t.window, "Edit", "", edit, WS_EX_CLIENTEDGE, 46, 88, 330, 24);
  t.result_label = Child(t.window, "TransLabel", "解析：", 0, 0, 8, 85, 32, 32);
  t.open_button =
      Child(t.window, "Button", "打开解析后地址", WS_TABSTOP | BS_PUSHBUTTON, 0, 104, 120, 176, 24);
  const HWND controls[] = {t.address_edit, t.address_label, t.resolve_button,
                           t.result_edit,  t.result_label,  t.open_button};
  for (HWND control : controls) ShowWindow(control, SW_SHOW);
  return t;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace skin_test
