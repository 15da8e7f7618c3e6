// Our skin engine, loaded as the program loads it ("Eda.dll" from the run
// directory), on a window laid out like the product's. What the skin draws is
// read back with PrintWindow and compared with the colours of the skin itself;
// where the caption buttons are is asked of the system's hit-testing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "skin_cases.h"
#include "skin_format.h"
#include "test_window_win.h"

namespace {

using namespace quorlin_skin;
using skin_test::BuiltSkin;
using skin_test::Picture;
using skin_test::PumpMessages;
using skin_test::Render;
using skin_test::TestWindow;

using AttachFunction = int(WINAPI*)(const unsigned char*, int, const char*, int, int, int);

std::string EnginePath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, length);
  return dir.substr(0, dir.find_last_of('\\')) + "\\Eda.dll";
}

SkinData Palette(const char* name, int hue = 0, int saturation = 0, int brightness = 0) {
  const std::vector<unsigned char> skin = BuiltSkin();
  SkinData data = {};
  EXPECT_EQ(ParseSkin(skin.data(), skin.size(), name, &data), kSkinOk);
  EXPECT_EQ(AdjustPalette(&data, hue, saturation, brightness), kSkinOk);
  return data;
}

bool Between(uint32_t value, uint32_t a, uint32_t b) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int v = (value >> shift) & 0xFF, lo = (a >> shift) & 0xFF, hi = (b >> shift) & 0xFF;
    if (v < (lo < hi ? lo : hi) || v > (lo < hi ? hi : lo)) return false;
  }
  return true;
}

LRESULT HitTest(HWND hwnd, int x, int y) {
  RECT window;
  GetWindowRect(hwnd, &window);
  return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(window.left + x, window.top + y));
}

// Where hit-testing finds each caption part, in window coordinates: the columns
// of a part along the caption's middle row, and the caption's rows.
struct CaptionMap {
  int top = -1, bottom = -1;  // rows that hit HTCAPTION, in the caption's free middle
  RECT close = {}, minimise = {}, maximise = {}, icon = {};
};

RECT Columns(HWND hwnd, int row, LRESULT part, int top, int bottom) {
  RECT found = {-1, top, -1, bottom};
  RECT window;
  GetWindowRect(hwnd, &window);
  for (int x = 0; x < window.right - window.left; ++x) {
    if (HitTest(hwnd, x, row) != part) continue;
    if (found.left < 0) found.left = x;
    found.right = x + 1;
  }
  return found;
}

CaptionMap MapCaption(HWND hwnd) {
  CaptionMap map;
  RECT window;
  GetWindowRect(hwnd, &window);
  const int middle = (window.right - window.left) / 2;
  for (int y = 0; y < window.bottom - window.top; ++y) {
    if (HitTest(hwnd, middle, y) != HTCAPTION) continue;
    if (map.top < 0) map.top = y;
    map.bottom = y + 1;
  }
  const int row = (map.top + map.bottom) / 2;
  map.close = Columns(hwnd, row, HTCLOSE, map.top, map.bottom);
  map.minimise = Columns(hwnd, row, HTMINBUTTON, map.top, map.bottom);
  map.maximise = Columns(hwnd, row, HTMAXBUTTON, map.top, map.bottom);
  map.icon = Columns(hwnd, row, HTSYSMENU, map.top, map.bottom);
  return map;
}

RECT InWindow(HWND window, HWND child) {
  RECT w, c;
  GetWindowRect(window, &w);
  GetWindowRect(child, &c);
  return {c.left - w.left, c.top - w.top, c.right - w.left, c.bottom - w.top};
}

RECT ClientInWindow(HWND hwnd) {
  RECT w, c;
  GetWindowRect(hwnd, &w);
  GetClientRect(hwnd, &c);
  POINT origin = {0, 0};
  ClientToScreen(hwnd, &origin);
  return {origin.x - w.left, origin.y - w.top, origin.x - w.left + c.right,
          origin.y - w.top + c.bottom};
}

POINT ScreenPoint(HWND hwnd, const RECT& area) {
  RECT window;
  GetWindowRect(hwnd, &window);
  return {window.left + (area.left + area.right) / 2, window.top + (area.top + area.bottom) / 2};
}

LPARAM ClientLParam(HWND hwnd, POINT screen) {
  ScreenToClient(hwnd, &screen);
  return MAKELPARAM(screen.x, screen.y);
}

class SkinEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = LoadLibraryA(EnginePath().c_str());
    ASSERT_NE(engine_, nullptr) << EnginePath();
    attach_ = reinterpret_cast<AttachFunction>(
        reinterpret_cast<void*>(GetProcAddress(engine_, "SkinH_AttachRes")));
    ASSERT_NE(attach_, nullptr);
    // Hidden, as the program's window is when the skin is attached; and under
    // Wine without a window manager, hiding a shown window waits two seconds.
    t_ = skin_test::CreateTestWindow(false);
    ASSERT_NE(t_.window, nullptr);
  }

  // For what needs a visible window: keyboard focus.
  void Show() {
    ShowWindow(t_.window, SW_SHOWNA);
    PumpMessages();
  }

  void TearDown() override {
    if (IsWindow(t_.window)) DestroyWindow(t_.window);
    PumpMessages();
    if (engine_ != nullptr) FreeLibrary(engine_);
  }

  int Attach(const char* palette = "", int hue = 0, int saturation = 0, int brightness = 0) {
    const int status =
        attach_(skin_.data(), static_cast<int>(skin_.size()), palette, hue, saturation, brightness);
    PumpMessages();
    return status;
  }

  void Unload() {
    FreeLibrary(engine_);
    engine_ = nullptr;
    PumpMessages();
  }

  std::vector<LONG_PTR> Procedures() const {
    std::vector<LONG_PTR> procs;
    const HWND all[] = {t_.window,      t_.address_edit, t_.address_label, t_.resolve_button,
                        t_.result_edit, t_.result_label, t_.open_button};
    for (HWND hwnd : all) procs.push_back(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    return procs;
  }

  // The row just above the client area carries the caption's accent line.
  uint32_t AccentPixel(const Picture& p) const {
    return p.At(p.width / 2, ClientInWindow(t_.window).top - 1);
  }

  HMODULE engine_ = nullptr;
  AttachFunction attach_ = nullptr;
  TestWindow t_ = {};
  std::vector<unsigned char> skin_ = BuiltSkin();
};

TEST_F(SkinEngine, PaintsFrameCaptionAndFaceInTheSkinsColours) {
  ASSERT_EQ(Attach(), kSkinOk);
  SendMessageW(t_.window, WM_NCACTIVATE, TRUE, 0);
  const SkinData skin = Palette("");
  const Picture p = Render(t_.window);
  const CaptionMap map = MapCaption(t_.window);
  ASSERT_GE(map.top, 0);
  const RECT client = ClientInWindow(t_.window);

  EXPECT_EQ(AccentPixel(p), skin.colours[kCaptionAccent]);
  // The free slot left of the close button (this window has no maximise box) is bare caption.
  const int free_x = (map.maximise.left + map.maximise.right) / 2;
  for (int y = map.top; y < client.top - skin.metrics[kCaptionAccentHeight]; ++y) {
    EXPECT_TRUE(Between(p.At(free_x, y), skin.colours[kCaptionTop], skin.colours[kCaptionBottom]))
        << "row " << y << ": " << std::hex << p.At(free_x, y);
  }
  EXPECT_EQ(p.At(0, p.height / 2), skin.colours[kFrameOuter]);
  EXPECT_EQ(p.At(1, p.height / 2), skin.colours[kFrameInner]);
  EXPECT_EQ(p.At(client.left + 2, client.bottom - 2), skin.colours[kFace]);
}

TEST_F(SkinEngine, CaptionFollowsActivation) {
  ASSERT_EQ(Attach(), kSkinOk);
  const SkinData skin = Palette("");
  const CaptionMap map = MapCaption(t_.window);
  const int free_x = (map.maximise.left + map.maximise.right) / 2;

  SendMessageW(t_.window, WM_NCACTIVATE, FALSE, 0);
  const Picture inactive = Render(t_.window);
  EXPECT_EQ(AccentPixel(inactive), skin.colours[kCaptionInactiveBottom]);
  EXPECT_TRUE(Between(inactive.At(free_x, map.top + 1), skin.colours[kCaptionInactiveTop],
                      skin.colours[kCaptionInactiveBottom]));
  EXPECT_EQ(inactive.At(0, inactive.height / 2), skin.colours[kFrameOuterInactive]);

  SendMessageW(t_.window, WM_NCACTIVATE, TRUE, 0);
  EXPECT_EQ(AccentPixel(Render(t_.window)), skin.colours[kCaptionAccent]);
}

TEST_F(SkinEngine, CaptionButtonsAreDrawnWhereHitTestingFindsThem) {
  ASSERT_EQ(Attach(), kSkinOk);
  SendMessageW(t_.window, WM_NCACTIVATE, TRUE, 0);
  const SkinData skin = Palette("");
  const Picture p = Render(t_.window);
  const CaptionMap map = MapCaption(t_.window);
  ASSERT_GT(map.close.right, map.close.left);
  ASSERT_GT(map.minimise.right, map.minimise.left);
  // Glyphs are painted in the caption text colour, at full strength in their strokes.
  EXPECT_TRUE(p.Contains(map.close, skin.colours[kCaptionText]));
  EXPECT_TRUE(p.Contains(map.minimise, skin.colours[kCaptionText]));
  EXPECT_FALSE(p.Contains(map.maximise, skin.colours[kCaptionText]))
      << "the window has no maximise box, so none is drawn";
}

TEST_F(SkinEngine, HoverAndPressOnTheCloseButtonShowInItsSlot) {
  ASSERT_EQ(Attach(), kSkinOk);
  const SkinData skin = Palette("");
  const CaptionMap map = MapCaption(t_.window);
  const POINT close = ScreenPoint(t_.window, map.close);

  SendMessageW(t_.window, WM_NCMOUSEMOVE, HTCLOSE, MAKELPARAM(close.x, close.y));
  EXPECT_TRUE(Render(t_.window).Contains(map.close, skin.colours[kCloseButtonHot]));
  SendMessageW(t_.window, WM_NCMOUSELEAVE, 0, 0);
  EXPECT_FALSE(Render(t_.window).Contains(map.close, skin.colours[kCloseButtonHot]));

  SendMessageW(t_.window, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(close.x, close.y));
  EXPECT_TRUE(Render(t_.window).Contains(map.close, skin.colours[kCloseButtonPressed]));
  // Released away from the button: nothing happens, as with the system's buttons.
  RECT client;
  GetClientRect(t_.window, &client);
  SendMessageW(t_.window, WM_MOUSEMOVE, 0, MAKELPARAM(client.right / 2, client.bottom / 2));
  SendMessageW(t_.window, WM_LBUTTONUP, 0, MAKELPARAM(client.right / 2, client.bottom / 2));
  PumpMessages();
  EXPECT_TRUE(IsWindow(t_.window));
  EXPECT_FALSE(Render(t_.window).Contains(map.close, skin.colours[kCloseButtonPressed]));
}

TEST_F(SkinEngine, ClickingTheSkinnedCloseButtonClosesTheWindow) {
  ASSERT_EQ(Attach(), kSkinOk);
  const POINT close = ScreenPoint(t_.window, MapCaption(t_.window).close);
  SendMessageW(t_.window, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(close.x, close.y));
  SendMessageW(t_.window, WM_LBUTTONUP, 0, ClientLParam(t_.window, close));
  PumpMessages();
  EXPECT_FALSE(IsWindow(t_.window));
}

TEST_F(SkinEngine, MinimiseButtonMinimisesAndTheRestoredWindowIsStillSkinned) {
  ASSERT_EQ(Attach(), kSkinOk);
  const POINT minimise = ScreenPoint(t_.window, MapCaption(t_.window).minimise);
  SendMessageW(t_.window, WM_NCLBUTTONDOWN, HTMINBUTTON, MAKELPARAM(minimise.x, minimise.y));
  SendMessageW(t_.window, WM_LBUTTONUP, 0, ClientLParam(t_.window, minimise));
  PumpMessages();
  EXPECT_TRUE(IsIconic(t_.window));

  ShowWindow(t_.window, SW_RESTORE);
  PumpMessages();
  ASSERT_FALSE(IsIconic(t_.window));
  SendMessageW(t_.window, WM_NCACTIVATE, TRUE, 0);
  EXPECT_EQ(AccentPixel(Render(t_.window)), Palette("").colours[kCaptionAccent]);
}

TEST_F(SkinEngine, HitTestingIsAsBefore) {
  RECT window;
  GetWindowRect(t_.window, &window);
  auto sample = [&] {
    std::vector<LRESULT> hits;
    for (int y = 0; y < window.bottom - window.top; y += 2) {
      for (int x = 0; x < window.right - window.left; x += 2) {
        hits.push_back(HitTest(t_.window, x, y));
      }
    }
    return hits;
  };
  const std::vector<LRESULT> before = sample();
  const CaptionMap map = MapCaption(t_.window);
  ASSERT_EQ(Attach(), kSkinOk);
  EXPECT_EQ(sample(), before);
  EXPECT_EQ(HitTest(t_.window, (map.close.left + map.close.right) / 2, map.top + 2), HTCLOSE);
  EXPECT_EQ(HitTest(t_.window, window.right - window.left - 120, map.top + 2), HTCAPTION);
}

TEST_F(SkinEngine, ControlsWearTheSkin) {
  ASSERT_EQ(Attach(), kSkinOk);
  const SkinData skin = Palette("");
  const Picture p = Render(t_.window);

  const RECT edit = InWindow(t_.window, t_.address_edit);
  EXPECT_EQ(p.At(edit.left, (edit.top + edit.bottom) / 2), skin.colours[kEditBorder]);
  EXPECT_EQ(p.At(edit.left + 1, (edit.top + edit.bottom) / 2), skin.colours[kEdit]);

  const RECT button = InWindow(t_.window, t_.resolve_button);
  const int middle = (button.top + button.bottom) / 2;
  EXPECT_EQ(p.At(button.left, middle), skin.colours[kButtonBorder]);
  EXPECT_EQ(p.At(button.left + 2, middle), skin.colours[kButton]);
  EXPECT_TRUE(p.Contains(button, skin.colours[kButtonText])) << "the caption is drawn";

  // The transparent labels show the skin's face, not the system's.
  const RECT label = InWindow(t_.window, t_.address_label);
  EXPECT_EQ(p.At(label.right - 2, label.bottom - 2), skin.colours[kFace]);
}

TEST_F(SkinEngine, PushButtonFollowsItsState) {
  Show();
  ASSERT_EQ(Attach(), kSkinOk);
  const SkinData skin = Palette("");
  const HWND b = t_.resolve_button;
  struct Case {
    const char* state;
    void (*enter)(HWND);
    void (*leave)(HWND);
    int inset;  // where along the left edge, at mid-height, the state shows
    ColourId colour;
  };
  const Case cases[] = {
      {"hot", [](HWND h) { SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)); },
       [](HWND h) { SendMessageW(h, WM_MOUSELEAVE, 0, 0); }, 2, kButtonHot},
      {"pressed", [](HWND h) { SendMessageW(h, BM_SETSTATE, TRUE, 0); },
       [](HWND h) { SendMessageW(h, BM_SETSTATE, FALSE, 0); }, 2, kButtonPressed},
      {"disabled", [](HWND h) { EnableWindow(h, FALSE); }, [](HWND h) { EnableWindow(h, TRUE); }, 2,
       kButtonDisabled},
      {"focused", [](HWND h) { SetFocus(h); }, [](HWND) { SetFocus(nullptr); },
       skin.metrics[kButtonFocusInset], kButtonFocus},
  };
  const RECT button = InWindow(t_.window, b);
  for (const Case& c : cases) {
    c.enter(b);
    const Picture p = Render(t_.window);
    EXPECT_EQ(p.At(button.left + c.inset, (button.top + button.bottom) / 2), skin.colours[c.colour])
        << c.state;
    c.leave(b);
    const Picture back = Render(t_.window);
    EXPECT_EQ(back.At(button.left + 2, (button.top + button.bottom) / 2), skin.colours[kButton])
        << "after " << c.state;
  }
}

TEST_F(SkinEngine, EditBorderFollowsFocus) {
  Show();
  ASSERT_EQ(Attach(), kSkinOk);
  const SkinData skin = Palette("");
  const RECT edit = InWindow(t_.window, t_.result_edit);
  const int middle = (edit.top + edit.bottom) / 2;
  SetFocus(t_.result_edit);
  Picture p = Render(t_.window);
  EXPECT_EQ(p.At(edit.left, middle), skin.colours[kEditBorderFocus]);
  EXPECT_EQ(p.At(edit.left + 1, middle), skin.colours[kEditFocusGlow]);
  SetFocus(t_.address_edit);
  p = Render(t_.window);
  EXPECT_EQ(p.At(edit.left, middle), skin.colours[kEditBorder]);
}

TEST_F(SkinEngine, RefusedSkinLeavesTheWindowAsItWas) {
  const std::vector<LONG_PTR> procedures = Procedures();
  const Picture before = Render(t_.window);
  for (const skin_test::BadSkin& bad : skin_test::BadSkins()) {
    SCOPED_TRACE(bad.reason);
    const long long length = bad.Length();
    // An exact-size copy, so that a read past the end reads past the allocation.
    std::vector<unsigned char> exact(
        bad.bytes.begin(),
        bad.bytes.begin() + (length < 0 ? 0 : std::min<size_t>(length, bad.bytes.size())));
    const unsigned char* data = bad.null_pointer ? nullptr : exact.data();
    if (!bad.null_pointer && exact.empty()) data = bad.bytes.data();
    EXPECT_EQ(attach_(data, static_cast<int>(length), bad.palette.c_str(), bad.hue, bad.saturation,
                      bad.brightness),
              bad.expected);
    PumpMessages();
    EXPECT_EQ(Procedures(), procedures);
    EXPECT_TRUE(Render(t_.window) == before);
  }
}

TEST_F(SkinEngine, RefusedSkinKeepsTheSkinAlreadyAttached) {
  ASSERT_EQ(Attach(), kSkinOk);
  const Picture skinned = Render(t_.window);
  for (const skin_test::BadSkin& bad : skin_test::BadSkins()) {
    SCOPED_TRACE(bad.reason);
    EXPECT_EQ(attach_(bad.Data(), static_cast<int>(bad.Length()), bad.palette.c_str(), bad.hue,
                      bad.saturation, bad.brightness),
              bad.expected);
  }
  PumpMessages();
  EXPECT_TRUE(Render(t_.window) == skinned);
}

TEST_F(SkinEngine, AttachingAgainReplacesTheSkin) {
  ASSERT_EQ(Attach(), kSkinOk);
  SendMessageW(t_.window, WM_NCACTIVATE, TRUE, 0);
  EXPECT_EQ(AccentPixel(Render(t_.window)), Palette("").colours[kCaptionAccent]);
  ASSERT_EQ(Attach("graphite"), kSkinOk);
  EXPECT_EQ(AccentPixel(Render(t_.window)), Palette("graphite").colours[kCaptionAccent]);
  ASSERT_EQ(Attach("", 180, -20, 10), kSkinOk);
  EXPECT_EQ(AccentPixel(Render(t_.window)), Palette("", 180, -20, 10).colours[kCaptionAccent]);
}

TEST_F(SkinEngine, WindowsCreatedLaterAreSkinned) {
  ASSERT_EQ(Attach(), kSkinOk);
  const TestWindow later = skin_test::CreateTestWindow(false);
  ASSERT_NE(later.window, nullptr);
  SendMessageW(later.window, WM_NCACTIVATE, TRUE, 0);
  PumpMessages();
  const SkinData skin = Palette("");
  const Picture p = Render(later.window);
  EXPECT_EQ(p.At(p.width / 2, ClientInWindow(later.window).top - 1), skin.colours[kCaptionAccent]);
  const RECT button = InWindow(later.window, later.open_button);
  EXPECT_EQ(p.At(button.left + 2, (button.top + button.bottom) / 2), skin.colours[kButton]);
  DestroyWindow(later.window);
}

TEST_F(SkinEngine, WindowsWithoutCaptionAreLeftAlone) {
  ASSERT_EQ(Attach(), kSkinOk);
  HWND popup = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                               nullptr);
  ASSERT_NE(popup, nullptr);
  HWND plain = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                               nullptr);
  Unload();
  // Had the engine subclassed the popup, it would now hold another procedure than its sibling.
  EXPECT_EQ(GetWindowLongPtrW(popup, GWLP_WNDPROC), GetWindowLongPtrW(plain, GWLP_WNDPROC));
  DestroyWindow(popup);
  DestroyWindow(plain);
}

TEST_F(SkinEngine, WindowDestroyedWhileSkinnedLeavesTheEngineWorking) {
  ASSERT_EQ(Attach(), kSkinOk);
  DestroyWindow(t_.window);
  PumpMessages();
  EXPECT_EQ(Attach("graphite"), kSkinOk);
  t_ = skin_test::CreateTestWindow(false);
  ASSERT_NE(t_.window, nullptr);
  SendMessageW(t_.window, WM_NCACTIVATE, TRUE, 0);
  PumpMessages();
  EXPECT_EQ(AccentPixel(Render(t_.window)), Palette("graphite").colours[kCaptionAccent]);
}

TEST_F(SkinEngine, UnloadingRestoresProceduresAndLooks) {
  const std::vector<LONG_PTR> procedures = Procedures();
  const Picture before = Render(t_.window);
  ASSERT_EQ(Attach(), kSkinOk);
  ASSERT_EQ(Attach("graphite"), kSkinOk);  // a second attach must not stack a second layer
  const std::vector<LONG_PTR> skinned = Procedures();
  EXPECT_NE(skinned[0], procedures[0]) << "the window is subclassed";
  EXPECT_NE(skinned[1], procedures[1]) << "the address box is subclassed";
  EXPECT_NE(skinned[3], procedures[3]) << "the resolve button is subclassed";
  EXPECT_EQ(skinned[2], procedures[2]) << "the transparent label is left alone";
  EXPECT_FALSE(Render(t_.window) == before);

  Unload();
  EXPECT_EQ(Procedures(), procedures);
  EXPECT_TRUE(Render(t_.window) == before);
  // The creation hook went with the DLL: a new window must not call into unloaded code.
  const TestWindow later = skin_test::CreateTestWindow(false);
  ASSERT_NE(later.window, nullptr);
  DestroyWindow(later.window);
}

}  // namespace
