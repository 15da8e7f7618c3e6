// The skin engine: SkinH_AttachRes parses a skin, hooks the calling thread's
// window creation and subclasses its captioned top-level windows, their push
// buttons and their sunken edit boxes. Unloading the DLL undoes all of it.
#include <windows.h>
// commctrl.h needs windows.h before it.
#include <commctrl.h>

#include "skin_format.h"
#include "skin_paint_win.h"

namespace quorlin_skin {
namespace {

constexpr UINT_PTR kSubclassId = 0x51534B4E;
// Undocumented messages with which themed systems paint the caption outside
// WM_NCPAINT; answering them ourselves keeps the system's caption off the skin.
constexpr UINT kNcUahDrawCaption = 0x00AE;
constexpr UINT kNcUahDrawFrame = 0x00AF;
// DwmSetWindowAttribute(DWMWA_NCRENDERING_POLICY): with desktop composition the
// system draws the frame itself unless told not to.
constexpr DWORD kDwmNcRenderingPolicy = 2;
constexpr DWORD kDwmNcRenderingUseWindowStyle = 0;
constexpr DWORD kDwmNcRenderingDisabled = 1;

struct Engine {
  SkinData skin;
  HHOOK hook;
  DWORD thread;
  HBRUSH face_brush;
  HBRUSH edit_brush;
};

// The one mutable module state: hook and subclass procedures get no pointer of
// their own, and the DLL's unload has to find what to undo.
Engine* g_engine = nullptr;

struct FrameState {
  bool active;
  int hot;      // caption button under the mouse
  int pressed;  // caption button held down, tracked with the mouse captured
  bool inside;  // the mouse is still over the pressed button
};

struct ControlState {
  bool hot;
};

template <typename T>
T* AllocateZeroed() {
  return static_cast<T*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(T)));
}

void FreeBlock(void* block) {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

template <typename T>
class HeapBlock {
 public:
  HeapBlock() : block_(AllocateZeroed<T>()) {}
  ~HeapBlock() { FreeBlock(block_); }
  HeapBlock(const HeapBlock&) = delete;
  HeapBlock& operator=(const HeapBlock&) = delete;
  T* get() const { return block_; }

 private:
  T* block_;
};

LRESULT CALLBACK FrameProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

// Where each kind of subclass keeps its state. comctl32 exports GetWindowSubclass
// by ordinal only, so the state is also found through a window property.
const wchar_t* PropertyFor(SUBCLASSPROC proc) {
  if (proc == FrameProc) return L"QuorlinSkinFrame";
  if (proc == ButtonProc) return L"QuorlinSkinButton";
  return L"QuorlinSkinEdit";
}

template <typename T>
T* StateOf(HWND hwnd, SUBCLASSPROC proc) {
  return static_cast<T*>(GetPropW(hwnd, PropertyFor(proc)));
}

template <typename T>
T* Subclass(HWND hwnd, SUBCLASSPROC proc) {
  if (T* existing = StateOf<T>(hwnd, proc)) return existing;
  T* state = AllocateZeroed<T>();
  if (state == nullptr) return nullptr;
  if (!SetPropW(hwnd, PropertyFor(proc), state)) {
    FreeBlock(state);
    return nullptr;
  }
  if (!SetWindowSubclass(hwnd, proc, kSubclassId, reinterpret_cast<DWORD_PTR>(state))) {
    RemovePropW(hwnd, PropertyFor(proc));
    FreeBlock(state);
    return nullptr;
  }
  return state;
}

void Unsubclass(HWND hwnd, SUBCLASSPROC proc) {
  void* state = GetPropW(hwnd, PropertyFor(proc));
  if (state == nullptr) return;
  RemoveWindowSubclass(hwnd, proc, kSubclassId);
  RemovePropW(hwnd, PropertyFor(proc));
  FreeBlock(state);
}

void SetNcRendering(HWND hwnd, bool skinned) {
  // Loading dwmapi is wrong inside DllMain; on unload only an already loaded one is used.
  HMODULE dwm = skinned ? LoadLibraryW(L"dwmapi.dll") : GetModuleHandleW(L"dwmapi.dll");
  if (dwm == nullptr) return;
  using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  const auto set = reinterpret_cast<SetAttribute>(
      reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
  const DWORD policy = skinned ? kDwmNcRenderingDisabled : kDwmNcRenderingUseWindowStyle;
  if (set != nullptr) set(hwnd, kDwmNcRenderingPolicy, &policy, sizeof(policy));
  if (skinned) FreeLibrary(dwm);
}

bool ClassIs(HWND hwnd, const wchar_t* name) {
  wchar_t actual[32];
  return GetClassNameW(hwnd, actual, 32) > 0 && lstrcmpiW(actual, name) == 0;
}

bool IsCaptionedTopLevel(HWND hwnd) {
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  return !(style & WS_CHILD) && (style & WS_CAPTION) == WS_CAPTION;
}

bool IsPushButton(HWND hwnd) {
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  const LONG type = style & BS_TYPEMASK;
  return (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && !(style & (BS_BITMAP | BS_ICON));
}

void SkinControl(HWND hwnd) {
  if (ClassIs(hwnd, L"Button")) {
    Subclass<ControlState>(hwnd, ButtonProc);
  } else if (ClassIs(hwnd, L"Edit") && (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) {
    Subclass<ControlState>(hwnd, EditProc);
  }
}

void SkinFrame(HWND hwnd) {
  const bool fresh = StateOf<FrameState>(hwnd, FrameProc) == nullptr;
  FrameState* state = Subclass<FrameState>(hwnd, FrameProc);
  if (state == nullptr || !fresh) return;
  state->active = GetActiveWindow() == hwnd;
  SetNcRendering(hwnd, true);
}

void UnskinControl(HWND hwnd) {
  Unsubclass(hwnd, ButtonProc);
  Unsubclass(hwnd, EditProc);
}

void Redraw(HWND hwnd) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

BOOL CALLBACK SkinChildCallback(HWND hwnd, LPARAM) {
  SkinControl(hwnd);
  return TRUE;
}

BOOL CALLBACK UnskinChildCallback(HWND hwnd, LPARAM) {
  UnskinControl(hwnd);
  return TRUE;
}

BOOL CALLBACK SkinTopLevelCallback(HWND hwnd, LPARAM) {
  if (!IsCaptionedTopLevel(hwnd)) return TRUE;
  SkinFrame(hwnd);
  EnumChildWindows(hwnd, SkinChildCallback, 0);
  Redraw(hwnd);
  return TRUE;
}

BOOL CALLBACK UnskinTopLevelCallback(HWND hwnd, LPARAM) {
  EnumChildWindows(hwnd, UnskinChildCallback, 0);
  if (StateOf<FrameState>(hwnd, FrameProc) == nullptr) return TRUE;
  Unsubclass(hwnd, FrameProc);
  SetNcRendering(hwnd, false);
  Redraw(hwnd);
  return TRUE;
}

void TrackLeave(HWND hwnd, DWORD flags) {
  TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE | flags, hwnd, 0};
  TrackMouseEvent(&track);
}

// ---- Frame: caption, border, face ----

FrameVisual VisualOf(const FrameState& state) {
  return {state.active, state.hot, state.inside ? state.pressed : HTNOWHERE};
}

void PaintFrameNow(HWND hwnd) {
  const FrameState* state = StateOf<FrameState>(hwnd, FrameProc);
  if (state == nullptr || g_engine == nullptr || !IsWindowVisible(hwnd) || IsIconic(hwnd)) return;
  HDC dc = GetWindowDC(hwnd);
  if (dc == nullptr) return;
  PaintFrame(hwnd, dc, g_engine->skin, VisualOf(*state));
  ReleaseDC(hwnd, dc);
}

WPARAM CommandFor(HWND hwnd, int button) {
  if (button == HTCLOSE) return SC_CLOSE;
  if (button == HTMINBUTTON) return IsIconic(hwnd) ? SC_RESTORE : SC_MINIMIZE;
  return IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE;
}

LRESULT OnCaptionButtonDown(HWND hwnd, FrameState* state, WPARAM hit, LPARAM lp) {
  const bool caption_button = hit == HTCLOSE || hit == HTMINBUTTON || hit == HTMAXBUTTON;
  if (!caption_button || IsIconic(hwnd)) return DefSubclassProc(hwnd, WM_NCLBUTTONDOWN, hit, lp);
  const int button = DrawnCaptionButton(hwnd, static_cast<int>(hit));
  // A button that is not drawn (the slot of a missing maximise box) or disabled does nothing.
  if (button == HTNOWHERE) return 0;
  state->pressed = button;
  state->inside = true;
  SetCapture(hwnd);
  PaintFrameNow(hwnd);
  return 0;
}

void OnCaptionTrackMove(HWND hwnd, FrameState* state, LPARAM lp) {
  POINT point = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  ClientToScreen(hwnd, &point);
  const LRESULT hit = DefSubclassProc(hwnd, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
  const bool inside = hit == state->pressed;
  if (inside == state->inside) return;
  state->inside = inside;
  PaintFrameNow(hwnd);
}

void OnCaptionButtonUp(HWND hwnd, FrameState* state, LPARAM lp) {
  const int button = state->pressed;
  const bool inside = state->inside;
  state->pressed = HTNOWHERE;
  state->inside = false;
  ReleaseCapture();
  PaintFrameNow(hwnd);
  if (!inside) return;
  POINT point = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  ClientToScreen(hwnd, &point);
  // Posted, as the system's own caption buttons do it once the mouse is released;
  // the window may be gone when the command has run.
  PostMessageW(hwnd, WM_SYSCOMMAND, CommandFor(hwnd, button), MAKELPARAM(point.x, point.y));
}

LRESULT OnCtlColor(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const LRESULT answer = DefSubclassProc(hwnd, msg, wp, lp);
  const bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  // Only the system's default answer is replaced: a window or control that
  // chose its own colours (a transparent label's hollow brush, say) keeps them.
  const HBRUSH system = GetSysColorBrush(field ? COLOR_WINDOW : COLOR_BTNFACE);
  if (answer != 0 && reinterpret_cast<HBRUSH>(answer) != system) return answer;
  const SkinData& skin = g_engine->skin;
  HDC dc = reinterpret_cast<HDC>(wp);
  SetTextColor(dc, ToColorRef(skin.colours[field ? kEditText : kFaceText]));
  SetBkColor(dc, ToColorRef(skin.colours[field ? kEdit : kFace]));
  return reinterpret_cast<LRESULT>(field ? g_engine->edit_brush : g_engine->face_brush);
}

LRESULT OnFramePrint(HWND hwnd, WPARAM wp, LPARAM lp) {
  const bool skip = (lp & PRF_CHECKVISIBLE) && !IsWindowVisible(hwnd);
  const FrameState* state = StateOf<FrameState>(hwnd, FrameProc);
  if (!(lp & PRF_NONCLIENT) || skip || IsIconic(hwnd) || state == nullptr) {
    return DefSubclassProc(hwnd, WM_PRINT, wp, lp);
  }
  HDC dc = reinterpret_cast<HDC>(wp);
  PaintFrame(hwnd, dc, g_engine->skin, VisualOf(*state));
  const CaptionLayout layout = ComputeCaptionLayout(hwnd);
  // The client part is the system's to print, at the client's place; the DC
  // is restored afterwards whatever the default printing leaves in it.
  const int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, layout.client.left, layout.client.top, nullptr);
  const LRESULT result = DefSubclassProc(hwnd, WM_PRINT, wp, lp & ~PRF_NONCLIENT);
  RestoreDC(dc, saved);
  return result;
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  FrameState* state = reinterpret_cast<FrameState*>(ref);
  if (g_engine == nullptr) return DefSubclassProc(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_NCPAINT:
      if (IsIconic(hwnd)) break;
      // A menu bar is the system's to draw; the skin then paints over the rest.
      if (GetMenu(hwnd) != nullptr) DefSubclassProc(hwnd, msg, wp, lp);
      PaintFrameNow(hwnd);
      return 0;
    case WM_NCACTIVATE: {
      state->active = wp != FALSE;
      if (IsIconic(hwnd)) break;
      // -1 asks DefWindowProc to update the state without painting the frame.
      const LRESULT result = DefSubclassProc(hwnd, msg, wp, -1);
      PaintFrameNow(hwnd);
      return result;
    }
    case WM_SETTEXT:
    case WM_SETICON: {
      // DefWindowProc repaints the system caption at once; paint the skin's over it.
      const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
      PaintFrameNow(hwnd);
      return result;
    }
    case kNcUahDrawCaption:
    case kNcUahDrawFrame:
      return 0;
    case WM_NCMOUSEMOVE: {
      const int hot = DrawnCaptionButton(hwnd, static_cast<int>(wp));
      if (hot != state->hot) {
        state->hot = hot;
        if (hot != HTNOWHERE) TrackLeave(hwnd, TME_NONCLIENT);
        PaintFrameNow(hwnd);
      }
      break;
    }
    case WM_NCMOUSELEAVE:
      if (state->hot != HTNOWHERE) {
        state->hot = HTNOWHERE;
        PaintFrameNow(hwnd);
      }
      break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (wp == HTCLOSE || wp == HTMINBUTTON || wp == HTMAXBUTTON) {
        return OnCaptionButtonDown(hwnd, state, wp, lp);
      }
      break;
    case WM_MOUSEMOVE:
      if (state->pressed == HTNOWHERE) break;
      OnCaptionTrackMove(hwnd, state, lp);
      return 0;
    case WM_LBUTTONUP:
      if (state->pressed == HTNOWHERE) break;
      OnCaptionButtonUp(hwnd, state, lp);
      return 0;
    case WM_CAPTURECHANGED:
      if (state->pressed != HTNOWHERE && reinterpret_cast<HWND>(lp) != hwnd) {
        state->pressed = HTNOWHERE;
        state->inside = false;
        PaintFrameNow(hwnd);
      }
      break;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hwnd, &client);
      FillRect(reinterpret_cast<HDC>(wp), &client, g_engine->face_brush);
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return OnCtlColor(hwnd, msg, wp, lp);
    case WM_PRINT:
      return OnFramePrint(hwnd, wp, lp);
    case WM_NCDESTROY:
      Unsubclass(hwnd, FrameProc);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

// ---- Push buttons ----

void PaintButtonNow(HWND hwnd) {
  // Looked up afresh: the message just handled may have destroyed the button.
  const ControlState* state = StateOf<ControlState>(hwnd, ButtonProc);
  if (state == nullptr || g_engine == nullptr || !IsWindowVisible(hwnd)) return;
  HDC dc = GetDC(hwnd);
  if (dc == nullptr) return;
  PaintPushButton(hwnd, dc, g_engine->skin, state->hot);
  ReleaseDC(hwnd, dc);
}

bool ButtonPaintsOnItsOwn(UINT msg) {
  switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE:
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case BM_SETCHECK:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  ControlState* state = reinterpret_cast<ControlState*>(ref);
  if (msg == WM_NCDESTROY) {
    Unsubclass(hwnd, ButtonProc);
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  if (g_engine == nullptr || !IsPushButton(hwnd)) return DefSubclassProc(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      if (dc != nullptr) PaintPushButton(hwnd, dc, g_engine->skin, state->hot);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintPushButton(hwnd, reinterpret_cast<HDC>(wp), g_engine->skin, state->hot);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (!state->hot) {
        state->hot = true;
        TrackLeave(hwnd, 0);
      }
      break;
    case WM_MOUSELEAVE:
      state->hot = false;
      break;
    default:
      if (!ButtonPaintsOnItsOwn(msg)) return DefSubclassProc(hwnd, msg, wp, lp);
      break;
  }
  // The button's own procedure paints state changes at once, outside WM_PAINT.
  const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
  PaintButtonNow(hwnd);
  return result;
}

// ---- Edit boxes with a sunken client edge ----

void PaintEditNow(HWND hwnd) {
  const ControlState* state = StateOf<ControlState>(hwnd, EditProc);
  if (state == nullptr || g_engine == nullptr || !IsWindowVisible(hwnd)) return;
  HDC dc = GetWindowDC(hwnd);
  if (dc == nullptr) return;
  PaintEditBorder(hwnd, dc, g_engine->skin, state->hot);
  ReleaseDC(hwnd, dc);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  ControlState* state = reinterpret_cast<ControlState*>(ref);
  if (msg == WM_NCDESTROY) {
    Unsubclass(hwnd, EditProc);
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  if (g_engine == nullptr) return DefSubclassProc(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_NCPAINT:
      // Scroll bars and an extra border stay the system's; only the sunken edge is skinned.
      if (GetWindowLongW(hwnd, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL | WS_BORDER)) {
        DefSubclassProc(hwnd, msg, wp, lp);
      }
      PaintEditNow(hwnd);
      return 0;
    case WM_PRINT: {
      HDC dc = reinterpret_cast<HDC>(wp);
      const int saved = SaveDC(dc);
      const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
      RestoreDC(dc, saved);
      if (lp & PRF_NONCLIENT) {
        PaintEditBorder(hwnd, reinterpret_cast<HDC>(wp), g_engine->skin, state->hot);
      }
      return result;
    }
    case WM_MOUSEMOVE:
      if (!state->hot) {
        state->hot = true;
        TrackLeave(hwnd, 0);
        PaintEditNow(hwnd);
      }
      break;
    case WM_MOUSELEAVE:
      state->hot = false;
      PaintEditNow(hwnd);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_STYLECHANGED:
    case EM_SETREADONLY: {
      const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
      PaintEditNow(hwnd);
      return result;
    }
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

// ---- Attaching and detaching ----

LRESULT CALLBACK CbtProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND && g_engine != nullptr) {
    HWND hwnd = reinterpret_cast<HWND>(wp);
    const CBT_CREATEWNDW* create = reinterpret_cast<const CBT_CREATEWNDW*>(lp);
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE) | create->lpcs->style;
    if (!(style & WS_CHILD)) {
      if ((style & WS_CAPTION) == WS_CAPTION) SkinFrame(hwnd);
    } else {
      HWND root = GetAncestor(hwnd, GA_ROOT);
      if (root != nullptr && StateOf<FrameState>(root, FrameProc) != nullptr) SkinControl(hwnd);
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&CbtProc)), &module);
  return module;
}

SkinStatus Install(const SkinData& skin) {
  const DWORD thread = GetCurrentThreadId();
  // Subclassing works only on the thread that owns the windows: one thread per process.
  if (g_engine != nullptr && g_engine->thread != thread) return kSkinSystemFailure;
  HBRUSH face = CreateSolidBrush(ToColorRef(skin.colours[kFace]));
  HBRUSH edit = CreateSolidBrush(ToColorRef(skin.colours[kEdit]));
  Engine* engine = g_engine != nullptr ? g_engine : AllocateZeroed<Engine>();
  if (face == nullptr || edit == nullptr || engine == nullptr) {
    if (face != nullptr) DeleteObject(face);
    if (edit != nullptr) DeleteObject(edit);
    if (engine != g_engine) FreeBlock(engine);
    return kSkinSystemFailure;
  }
  if (g_engine == nullptr) {
    engine->hook = SetWindowsHookExW(WH_CBT, CbtProc, ThisModule(), thread);
    if (engine->hook == nullptr) {
      DeleteObject(face);
      DeleteObject(edit);
      FreeBlock(engine);
      return kSkinSystemFailure;
    }
    engine->thread = thread;
    g_engine = engine;
  } else {
    DeleteObject(engine->face_brush);
    DeleteObject(engine->edit_brush);
  }
  engine->skin = skin;
  engine->face_brush = face;
  engine->edit_brush = edit;
  EnumThreadWindows(thread, SkinTopLevelCallback, 0);
  return kSkinOk;
}

void Uninstall() {
  Engine* engine = g_engine;
  if (engine == nullptr) return;
  UnhookWindowsHookEx(engine->hook);
  // Another thread cannot take the subclasses off; it can only stop new windows being skinned.
  if (GetCurrentThreadId() == engine->thread) {
    EnumThreadWindows(engine->thread, UnskinTopLevelCallback, 0);
  }
  g_engine = nullptr;
  DeleteObject(engine->face_brush);
  DeleteObject(engine->edit_brush);
  FreeBlock(engine);
}

}  // namespace
}  // namespace quorlin_skin

// text: "" (or null) for the skin as it is, else the name of one of its palettes.
// hue: degrees round the colour wheel (-180..180); saturation and brightness:
// percent (-100..100). Returns 0, or a negative SkinStatus with nothing changed.
extern "C" int WINAPI SkinH_AttachRes(const unsigned char* skin, int length, const char* text,
                                      int hue, int saturation, int brightness) {
  using namespace quorlin_skin;
  HeapBlock<SkinData> parsed;
  if (parsed.get() == nullptr) return kSkinSystemFailure;
  SkinStatus status = ParseSkin(skin, length, text, parsed.get());
  if (status == kSkinOk) status = AdjustPalette(parsed.get(), hue, saturation, brightness);
  if (status == kSkinOk) status = Install(*parsed.get());
  return status;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // At process exit (reserved != null) the windows go with the process: touch nothing.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) quorlin_skin::Uninstall();
  if (reason == DLL_THREAD_DETACH && quorlin_skin::g_engine != nullptr &&
      quorlin_skin::g_engine->thread == GetCurrentThreadId()) {
    quorlin_skin::Uninstall();
  }
  return TRUE;
}
