#include "main_window_win.h"

#include "commands_win.h"
#include "fatal_stop.h"
#include "link_resolver.h"
#include "resource.h"
#include "skin_deployment.h"
#include "trans_label_win.h"

namespace quorlin {
namespace {

constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kEditStyle = WS_CHILD | WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL;
constexpr DWORD kButtonStyle =
    WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
constexpr DWORD kLabelStyle = WS_CHILD;

constexpr char kWindowFailureMessage[] = "载入启动窗口失败";
// Where the focus was when the window last lost it.
constexpr char kSavedFocusProperty[] = "QuorlinSavedFocus";

struct ControlSpec {
  ControlId id;
  const char* className;
  const char* text;  // nullptr: the default share-page address
  DWORD style;
  DWORD exStyle;
  int left, top, width, height;
};

constexpr ControlSpec kControls[] = {
    {编辑框1, "EDIT", nullptr, kEditStyle, WS_EX_CLIENTEDGE, 46, 24, 330, 24},
    {透明标签1, kTransLabelClass, "地址：", kLabelStyle, WS_EX_TRANSPARENT, 8, 19, 32, 32},
    {解析, "BUTTON", "一键解析", kButtonStyle, 0, 104, 56, 176, 24},
    {编辑框2, "EDIT", "", kEditStyle, WS_EX_CLIENTEDGE, 46, 88, 330, 24},
    {透明标签2, kTransLabelClass, "解析：", kLabelStyle, WS_EX_TRANSPARENT, 8, 85, 32, 32},
    {解析3, "BUTTON", "打开解析后地址", kButtonStyle, 0, 104, 120, 176, 24},
};

// The focus cycle, in creation order; the labels are never in it.
constexpr ControlId kFocusCycle[] = {编辑框1, 解析, 编辑框2, 解析3};

std::string ReadControlText(HWND window, ControlId id) {
  const HWND control = GetDlgItem(window, id);
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void MoveFocus(HWND window, bool backward) {
  constexpr int count = static_cast<int>(std::size(kFocusCycle));
  const HWND focus = GetFocus();
  int current = -1;
  for (int i = 0; i < count; ++i) {
    if (GetDlgItem(window, kFocusCycle[i]) == focus) current = i;
  }
  const int next = current == -1 ? 0 : (current + (backward ? count - 1 : 1)) % count;
  SetFocus(GetDlgItem(window, kFocusCycle[next]));
}

void RestoreFocus(HWND window) {
  HWND saved = static_cast<HWND>(GetPropA(window, kSavedFocusProperty));
  if (!saved || !IsChild(window, saved)) saved = GetDlgItem(window, 编辑框1);
  SetFocus(saved);
}

void SaveFocus(HWND window) {
  const HWND focus = GetFocus();
  if (focus && IsChild(window, focus)) SetPropA(window, kSavedFocusProperty, focus);
}

LRESULT OnActivate(HWND window, WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    SaveFocus(window);
  } else if (!IsIconic(window)) {
    RestoreFocus(window);
  }
  return 0;
}

LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  switch (wParam & 0xFFF0) {
    case SC_MINIMIZE:
      // Minimised under Wine, the control has lost the focus by the time
      // WA_INACTIVE arrives, so it is remembered here as well.
      SaveFocus(window);
      break;
    case SC_MAXIMIZE:
      // Never maximised, whoever asks (a window manager does not look at
      // the missing maximise box).
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
}

LRESULT OnCommand(HWND window, WPARAM wParam) {
  if (HIWORD(wParam) != BN_CLICKED) return 0;
  if (LOWORD(wParam) == 解析) OnResolveClicked(window);
  if (LOWORD(wParam) == 解析3) OnOpenClicked(window);
  return 0;
}

// Black on white, whatever the system's colours.
LRESULT OnEditColour(HDC dc) {
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      return OnActivate(window, wParam);
    case WM_SETFOCUS:
      RestoreFocus(window);
      return 0;
    case WM_COMMAND:
      return OnCommand(window, wParam);
    case WM_SYSCOMMAND:
      return OnSysCommand(window, wParam, lParam);
    case WM_CTLCOLOREDIT:
      return OnEditColour(reinterpret_cast<HDC>(wParam));
    case WM_DESTROY:
      RemovePropA(window, kSavedFocusProperty);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

HICON LoadProgramIcon(HINSTANCE instance, int size) {
  return static_cast<HICON>(
      LoadImageA(instance, QUORLIN_ICON_NAME, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadProgramIcon(instance, 32);
  windowClass.hIconSm = LoadProgramIcon(instance, 16);
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateHiddenMainWindow(HINSTANCE instance) {
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) / 2;
  const HWND window =
      CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, kWindowStyle, left, top,
                      kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance, nullptr);
  if (!window) return nullptr;
  RECT outer;
  GetWindowRect(window, &outer);
  if (outer.right - outer.left != kMainWindowWidth ||
      outer.bottom - outer.top != kMainWindowHeight) {
    SetWindowPos(window, nullptr, left, top, kMainWindowWidth, kMainWindowHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SendMessageA(window, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadProgramIcon(instance, 32)));
  SendMessageA(window, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadProgramIcon(instance, 16)));
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return window;
}

bool CreateControls(HWND window, HINSTANCE instance) {
  const std::string defaultAddress = DefaultShareAddress();
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlSpec& spec : kControls) {
    const HWND control = CreateWindowExA(
        spec.exStyle, spec.className, spec.text ? spec.text : defaultAddress.c_str(), spec.style,
        spec.left, spec.top, spec.width, spec.height, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
    if (!control) return false;
    SendMessageA(control, WM_SETFONT, font, FALSE);
  }
  for (const ControlSpec& spec : kControls) ShowWindow(GetDlgItem(window, spec.id), SW_SHOW);
  return true;
}

}  // namespace

HWND BuildMainWindow(HINSTANCE instance) {
  const bool registered = RegisterTransLabelClass(instance) && RegisterMainWindowClass(instance);
  const HWND window = registered ? CreateHiddenMainWindow(instance) : nullptr;
  if (!window || !CreateControls(window, instance)) FatalStop(kWindowFailureMessage);
  OnMainWindowCreated();
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  RestoreFocus(window);
  return window;
}

bool PreTranslateKey(HWND window, const MSG& message) {
  if (message.message != WM_KEYDOWN || !IsChild(window, message.hwnd)) return false;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  switch (message.wParam) {
    case VK_TAB:
      MoveFocus(window, shift);
      return true;
    case VK_ESCAPE:
      if (shift || ctrl || alt) return false;
      PostMessageA(window, WM_CLOSE, 0, 0);
      return true;
    case VK_RETURN:
      return true;
    default:
      return false;
  }
}

std::string ReadAddressBox(HWND window) { return ReadControlText(window, 编辑框1); }
std::string ReadResultBox(HWND window) { return ReadControlText(window, 编辑框2); }
void SetResultBox(HWND window, const std::string& text) {
  SetWindowTextA(GetDlgItem(window, 编辑框2), text.c_str());
}

}  // namespace quorlin
