// MainWindow seen from outside, on the real window system: its geometry,
// styles, controls, resources, and what real key presses do to it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "page_server.h"
#include "resolver_window_win.h"
#include "ui_driver_win.h"

namespace quorlin::test {
namespace {

// How long a key press that must change nothing gets to show an effect.
constexpr Milliseconds kQuietPeriod{1500};

struct ControlCase {
  Control control;
  const char* className;
  std::string text;
  RECT rect;  // in the window's client area
  DWORD styles;
  DWORD forbiddenStyles;
  DWORD exStyle;
};

constexpr DWORD kEditStyles = WS_CHILD | WS_VISIBLE | ES_CENTER | ES_AUTOHSCROLL;
constexpr DWORD kEditForbidden = ES_MULTILINE | ES_READONLY | ES_PASSWORD | ES_UPPERCASE |
                                 ES_LOWERCASE | ES_NUMBER | WS_HSCROLL | WS_VSCROLL | WS_BORDER |
                                 WS_DISABLED;
constexpr DWORD kButtonStyles =
    WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
constexpr DWORD kButtonForbidden = BS_DEFPUSHBUTTON | BS_BITMAP | BS_ICON | WS_DISABLED;
constexpr DWORD kLabelForbidden = WS_TABSTOP | WS_BORDER | WS_DISABLED;

const ControlCase kControlCases[] = {
    {kAddressBox,
     "Edit",
     kDefaultAddress,
     {46, 24, 376, 48},
     kEditStyles,
     kEditForbidden,
     WS_EX_CLIENTEDGE},
    {kAddressLabel,
     "TransLabel",
     "\xB5\xD8\xD6\xB7\xA3\xBA" /* 地址： */,
     {8, 19, 40, 51},
     WS_CHILD | WS_VISIBLE,
     kLabelForbidden,
     WS_EX_TRANSPARENT},
    {kResolveButton,
     "Button",
     "\xD2\xBB\xBC\xFC\xBD\xE2\xCE\xF6" /* 一键解析 */,
     {104, 56, 280, 80},
     kButtonStyles,
     kButtonForbidden,
     0},
    {kResultBox, "Edit", "", {46, 88, 376, 112}, kEditStyles, kEditForbidden, WS_EX_CLIENTEDGE},
    {kResultLabel,
     "TransLabel",
     "\xBD\xE2\xCE\xF6\xA3\xBA" /* 解析： */,
     {8, 85, 40, 117},
     WS_CHILD | WS_VISIBLE,
     kLabelForbidden,
     WS_EX_TRANSPARENT},
    {kOpenButton,
     "Button",
     "\xB4\xF2\xBF\xAA\xBD\xE2\xCE\xF6\xBA\xF3\xB5\xD8\xD6\xB7" /* 打开解析后地址 */,
     {104, 120, 280, 144},
     kButtonStyles,
     kButtonForbidden,
     0},
};

std::string Describe(const RECT& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + " - " +
         std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

bool WaitForFocus(const ResolverWindow& app, Control control) {
  return WaitUntil([&] { return FocusOf(app.Window()) == app.Item(control); }, Milliseconds(10000));
}

// The control that has the focus, as a name for the failure message.
std::string FocusName(const ResolverWindow& app) {
  const HWND focus = FocusOf(app.Window());
  for (std::size_t i = 0; i < kControlCount; ++i) {
    if (app.Item(static_cast<Control>(i)) == focus) return "control #" + std::to_string(i + 1);
  }
  return focus ? "a window outside the controls" : "nothing";
}

TEST(MainWindow, OpensCentredWithAFixedFrame) {
  ResolverWindow app;
  ASSERT_TRUE(app.Ready());
  const RECT outer = OuterRect(app.Window());
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(outer.right - outer.left, 390);
  EXPECT_EQ(outer.bottom - outer.top, 181);
  EXPECT_EQ(outer.left, (width - 390) / 2);
  EXPECT_EQ(outer.top, (height - 181) / 2);

  // The system adds WS_CLIPSIBLINGS to every top-level window and
  // WS_EX_WINDOWEDGE to every captioned one.
  const DWORD style = Style(app.Window()) & ~WS_CLIPSIBLINGS;
  EXPECT_EQ(style, static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN |
                                      WS_VISIBLE))
      << std::hex << style;
  EXPECT_EQ(ExStyle(app.Window()) & ~WS_EX_WINDOWEDGE, 0u) << std::hex << ExStyle(app.Window());
  EXPECT_EQ(GetParent(app.Window()), nullptr);
  EXPECT_EQ(GetWindow(app.Window(), GW_OWNER), nullptr);
  EXPECT_FALSE(IsIconic(app.Window()));
  EXPECT_FALSE(IsZoomed(app.Window()));
}

TEST(MainWindow, HasItsSixControlsInCreationOrder) {
  ResolverWindow app;
  ASSERT_TRUE(app.Ready()) << "window found: " << (app.Window() != nullptr);
  for (const ControlCase& c : kControlCases) {
    SCOPED_TRACE("control #" + std::to_string(c.control + 1));
    const HWND control = app.Item(c.control);
    EXPECT_STRCASEEQ(ClassName(control).c_str(), c.className);
    EXPECT_EQ(WindowText(control), c.text);
    EXPECT_EQ(Describe(RectInParent(control)), Describe(c.rect));
    EXPECT_EQ(Style(control) & c.styles, c.styles) << std::hex << Style(control);
    EXPECT_EQ(Style(control) & c.forbiddenStyles, 0u) << std::hex << Style(control);
    EXPECT_EQ(ExStyle(control), c.exStyle) << std::hex << ExStyle(control);
    EXPECT_TRUE(IsWindowEnabled(control));
  }
}

TEST(MainWindow, StartsWithTheDefaultAddressAndTheFocusInIt) {
  ResolverWindow app;
  ASSERT_TRUE(app.Ready());
  EXPECT_EQ(WindowText(app.Item(kAddressBox)), kDefaultAddress);
  EXPECT_EQ(WindowText(app.Item(kResultBox)), "");
  EXPECT_TRUE(WaitForFocus(app, kAddressBox)) << FocusName(app);
  EXPECT_EQ(ActiveOf(app.Window()), app.Window());
  // Caret before the first character, nothing selected.
  DWORD_PTR selection = 1;
  SendMessageTimeoutA(app.Item(kAddressBox), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 10000, &selection);
  EXPECT_EQ(selection, 0u);
}

TEST(MainWindow, ShowsTheProgramIcon) {
  ResolverWindow app;
  ASSERT_TRUE(app.Ready());
  if (RunningUnderWine() && !IconOf(app.Window(), ICON_BIG)) {
    // Wine 8 does not answer WM_GETICON from another process (the same
    // query answers in the window's own process); Windows does.
    GTEST_SKIP() << "WM_GETICON across processes is not answered by this Wine";
  }
  EXPECT_NE(IconOf(app.Window(), ICON_BIG), nullptr);
  EXPECT_NE(IconOf(app.Window(), ICON_SMALL), nullptr);
}

TEST(ProgramFile, CarriesTheIconGroupAndVersionBlock) {
  const std::optional<IconGroup> icons = ReadIconGroup(ProgramUnderTest(), "DEFAULT_ICON");
  ASSERT_TRUE(icons.has_value());
  EXPECT_EQ(icons->languages, std::vector<LANGID>{MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)});
  std::vector<int> sizes;
  for (const IconImage& image : icons->images) {
    sizes.push_back(image.width);
    EXPECT_EQ(image.height, image.width);
    EXPECT_EQ(image.colourCount, 16);
    EXPECT_EQ(image.bitCount, 4);
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));

  const std::optional<VersionBlock> version = VersionBlock::Read(ProgramUnderTest());
  ASSERT_TRUE(version.has_value());
  const VS_FIXEDFILEINFO& fixed = version->Fixed();
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed.dwFileVersionLS, 0u);
  EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed.dwProductVersionLS, 0u);
  EXPECT_EQ(fixed.dwFileFlagsMask, 0u);
  EXPECT_EQ(fixed.dwFileFlags, 0u);
  EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed.dwFileSubtype, 0u);
  EXPECT_EQ(version->Translations(), (std::vector<std::pair<WORD, WORD>>{{0x0804, 1200}}));
  EXPECT_EQ(version->String("080404B0", "FileVersion"), "1.0.0.0");
  EXPECT_EQ(version->String("080404B0", "ProductVersion"), "1.0.0.0");
  EXPECT_EQ(version->String("080404B0", "ProductName"), kWindowTitle);
  const std::optional<std::string> contact = version->String("080404B0", "FileDescription");
  ASSERT_TRUE(contact.has_value());
  EXPECT_FALSE(contact->empty());
  for (const char* field : {"CompanyName", "LegalCopyright", "Comments"}) {
    EXPECT_EQ(version->String("080404B0", field), contact) << field;
  }
}

TEST(MainWindowKeys, TabAndShiftTabWalkTheFocusCycle) {
  ResolverWindow app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(BringToFront(app.Window()));
  ASSERT_TRUE(WaitForFocus(app, kAddressBox)) << FocusName(app);
  const Control forward[] = {kResolveButton, kResultBox, kOpenButton, kAddressBox};
  for (Control next : forward) {
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitForFocus(app, next))
        << "Tab should reach control #" << next + 1 << ", not " << FocusName(app);
  }
  const Control backward[] = {kOpenButton, kResultBox, kResolveButton, kAddressBox};
  for (Control next : backward) {
    PressKey(VK_TAB, {VK_SHIFT});
    EXPECT_TRUE(WaitForFocus(app, next))
        << "Shift+Tab should reach control #" << next + 1 << ", not " << FocusName(app);
  }
  // Moving into an edit box keeps its caret where it was: nothing selected.
  DWORD_PTR selection = 1;
  SendMessageTimeoutA(app.Item(kAddressBox), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 10000, &selection);
  EXPECT_EQ(selection, 0u);
  // The keys never reached the boxes: their texts are as they were.
  EXPECT_EQ(WindowText(app.Item(kAddressBox)), kDefaultAddress);
  EXPECT_EQ(WindowText(app.Item(kResultBox)), "");
}

struct CloseCase {
  const char* why;
  int tabs;  // Tab presses before the key: 0 is 编辑框1, 2 is 编辑框2, 1 is 解析
  WORD key;
  std::vector<WORD> modifiers;
};

TEST(MainWindowKeys, EscAndAltF4CloseWithExitCodeZero) {
  const CloseCase cases[] = {
      {"Esc in the address box", 0, VK_ESCAPE, {}},
      {"Esc in the result box", 2, VK_ESCAPE, {}},
      {"Esc on a button", 1, VK_ESCAPE, {}},
      {"Alt+F4", 0, VK_F4, {VK_MENU}},
  };
  for (const CloseCase& c : cases) {
    SCOPED_TRACE(c.why);
    ResolverWindow app;
    ASSERT_TRUE(app.Ready());
    ASSERT_TRUE(BringToFront(app.Window()));
    ASSERT_TRUE(WaitForFocus(app, kAddressBox));
    for (int i = 0; i < c.tabs; ++i) PressKey(VK_TAB);
    ASSERT_TRUE(WaitForFocus(app, static_cast<Control>(c.tabs == 1   ? kResolveButton
                                                       : c.tabs == 2 ? kResultBox
                                                                     : kAddressBox)));
    PressKey(c.key, c.modifiers);
    EXPECT_EQ(app.Process().WaitForExit(), std::optional<DWORD>(0));
  }
}

TEST(MainWindowKeys, OtherKeysGoToTheFocusedControl) {
  ResolverWindow app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(BringToFront(app.Window()));
  ASSERT_TRUE(WaitForFocus(app, kAddressBox));
  // Typed at the caret, which stands before the first character.
  PressKey('A', {VK_SHIFT});
  PressKey('B');
  EXPECT_TRUE(WaitUntil([&] { return WindowText(app.Item(kAddressBox)) == "Ab" + kDefaultAddress; },
                        Milliseconds(10000)))
      << WindowText(app.Item(kAddressBox));
  // Esc with Shift is not the closing key.
  PressKey(VK_ESCAPE, {VK_SHIFT});
  EXPECT_FALSE(app.Process().WaitForExit(kQuietPeriod).has_value()) << "Shift+Esc closed it";
  EXPECT_TRUE(IsWindowVisible(app.Window()));
  // The close button's request.
  EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
}

TEST(MainWindowKeys, EnterStartsNothingWhereSpaceClicks) {
  PageServer server;  // answers 404: a resolution shows "解析异常！"
  ResolverWindow app;
  ASSERT_TRUE(app.Ready());
  // Never the real service: a click would ask this loopback server.
  ASSERT_TRUE(SetText(app.Item(kAddressBox), server.Url("/down_1.html")));
  ASSERT_TRUE(BringToFront(app.Window()));
  ASSERT_TRUE(WaitForFocus(app, kAddressBox));
  PressKey(VK_RETURN);
  PressKey(VK_TAB);
  ASSERT_TRUE(WaitForFocus(app, kResolveButton));
  PressKey(VK_RETURN);
  std::this_thread::sleep_for(kQuietPeriod);
  EXPECT_EQ(FocusOf(app.Window()), app.Item(kResolveButton)) << FocusName(app);
  EXPECT_EQ(FindMessageBox(app.Process().Id()), nullptr);
  EXPECT_EQ(server.Requests().size(), 0u);

  // Space on the same button does click it: the keys do reach the window.
  PressKey(VK_SPACE);
  const HWND box = app.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ReadMessageBox(box).text, kResolveFailed);
  EXPECT_EQ(server.CountRequests("/down_1.html"), 1);
  EXPECT_TRUE(PressOk(box));
}

TEST(MainWindowKeys, FocusComesBackAfterMinimiseAndRestore) {
  ResolverWindow app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(BringToFront(app.Window()));
  ASSERT_TRUE(WaitForFocus(app, kAddressBox));
  PressKey(VK_TAB);
  PressKey(VK_TAB);
  ASSERT_TRUE(WaitForFocus(app, kResultBox)) << FocusName(app);
  PostSystemCommand(app.Window(), SC_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(app.Window()) != FALSE; }));
  PostSystemCommand(app.Window(), SC_RESTORE);
  ASSERT_TRUE(WaitUntil([&] { return !IsIconic(app.Window()); }));
  EXPECT_TRUE(WaitForFocus(app, kResultBox)) << FocusName(app);
}

TEST(MainWindowKeys, NeitherMaximisedNorResized) {
  ResolverWindow app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(BringToFront(app.Window()));
  const RECT before = OuterRect(app.Window());
  // A double click on the title bar, then the request a window manager makes.
  const POINT title{before.left + 60, before.top + GetSystemMetrics(SM_CYFIXEDFRAME) +
                                          GetSystemMetrics(SM_CYCAPTION) / 2};
  ClickAt(title, 2);
  std::this_thread::sleep_for(kQuietPeriod);
  EXPECT_FALSE(IsZoomed(app.Window()));
  PostSystemCommand(app.Window(), SC_MAXIMIZE);
  std::this_thread::sleep_for(kQuietPeriod);
  EXPECT_FALSE(IsZoomed(app.Window()));
  EXPECT_EQ(Describe(OuterRect(app.Window())), Describe(before));
}

TEST(MainWindow, IgnoresItsCommandLine) {
  ResolverWindow app("http://127.0.0.1:9/elsewhere.html /x --y");
  ASSERT_TRUE(app.Ready());
  EXPECT_EQ(WindowText(app.Item(kAddressBox)), kDefaultAddress);
  EXPECT_EQ(WindowText(app.Item(kResultBox)), "");
  EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
}

TEST(MainWindow, TwoCopiesRunSideBySide) {
  ResolverWindow first;
  ResolverWindow second;
  ASSERT_TRUE(first.Ready());
  ASSERT_TRUE(second.Ready());
  EXPECT_NE(first.Process().Id(), second.Process().Id());
  EXPECT_NE(first.Window(), second.Window());
  // Each box is its own: a text set in one copy stays out of the other.
  ASSERT_TRUE(SetText(second.Item(kResultBox), "second"));
  EXPECT_EQ(WindowText(first.Item(kResultBox)), "");
  EXPECT_EQ(first.Close(), std::optional<DWORD>(0));
  EXPECT_TRUE(IsWindowVisible(second.Window()));
  EXPECT_EQ(WindowText(second.Item(kResultBox)), "second");
  EXPECT_EQ(second.Close(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace quorlin::test
