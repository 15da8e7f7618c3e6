#include "skin_paint_win.h"

namespace quorlin_skin {
namespace {

// A 32-bit top-down DIB in a memory DC. Parts are painted into it, then copied
// to the screen in one BitBlt, so that no half-painted state is ever seen.
class BackBuffer {
 public:
  BackBuffer(HDC reference, int width, int height) : width_(width), height_(height) {
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc_ = CreateCompatibleDC(reference);
    if (bitmap_ == nullptr || dc_ == nullptr) return;
    old_ = SelectObject(dc_, bitmap_);
    pixels_ = static_cast<uint32_t*>(bits);
  }
  ~BackBuffer() {
    if (dc_ != nullptr) {
      if (old_ != nullptr) SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
  }
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;

  bool ok() const { return pixels_ != nullptr; }
  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // DIB rows hold 0x00RRGGBB, the skin's own colour layout.
  void Put(int x, int y, uint32_t rgb) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[y * width_ + x] = rgb;
  }
  uint32_t Get(int x, int y) const { return pixels_[y * width_ + x] & 0xFFFFFFu; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

 private:
  int width_;
  int height_;
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* pixels_ = nullptr;
};

class GdiObject {
 public:
  explicit GdiObject(HGDIOBJ object) : object_(object) {}
  ~GdiObject() {
    if (object_ != nullptr) DeleteObject(object_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  HGDIOBJ get() const { return object_; }

 private:
  HGDIOBJ object_;
};

class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (old_ != nullptr) SelectObject(dc_, old_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

uint32_t Mix(uint32_t from, uint32_t to, int weight /* 0..255 of `to` */) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
    out |= static_cast<uint32_t>((a * (255 - weight) + b * weight + 127) / 255) << shift;
  }
  return out;
}

void Fill(BackBuffer& buf, const RECT& r, uint32_t rgb) {
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) buf.Put(x, y, rgb);
  }
}

void Outline(BackBuffer& buf, const RECT& r, uint32_t rgb) {
  Fill(buf, {r.left, r.top, r.right, r.top + 1}, rgb);
  Fill(buf, {r.left, r.bottom - 1, r.right, r.bottom}, rgb);
  Fill(buf, {r.left, r.top, r.left + 1, r.bottom}, rgb);
  Fill(buf, {r.right - 1, r.top, r.right, r.bottom}, rgb);
}

void VerticalGradient(BackBuffer& buf, const RECT& r, uint32_t top, uint32_t bottom) {
  const int span = r.bottom - r.top - 1;
  for (int y = r.top; y < r.bottom; ++y) {
    const int weight = span > 0 ? (y - r.top) * 255 / span : 0;
    Fill(buf, {r.left, y, r.right, y + 1}, Mix(top, bottom, weight));
  }
}

// Anti-aliased filled rounded rectangle. A pixel in a corner box is covered as
// far as its 4x4 samples lie within the corner's quarter circle; samples are in
// eighths of a pixel, and the nearest point of the inner rectangle
// [radius, size - radius] stands in for the circle's centre.
void RoundRect(BackBuffer& buf, const RECT& r, int radius, uint32_t rgb) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  if (radius * 2 > w) radius = w / 2;
  if (radius * 2 > h) radius = h / 2;
  const int lo = radius * 8, right = (w - radius) * 8, bottom = (h - radius) * 8;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool corner = (x < radius || x >= w - radius) && (y < radius || y >= h - radius);
      int covered = 16;
      if (corner) {
        covered = 0;
        for (int sy = 0; sy < 4; ++sy) {
          for (int sx = 0; sx < 4; ++sx) {
            const int px = x * 8 + sx * 2 + 1, py = y * 8 + sy * 2 + 1;
            const int dx = px - (px < lo ? lo : (px > right ? right : px));
            const int dy = py - (py < lo ? lo : (py > bottom ? bottom : py));
            if (dx * dx + dy * dy <= lo * lo) ++covered;
          }
        }
      }
      const int px = r.left + x, py = r.top + y;
      if (covered == 0 || !buf.Inside(px, py)) continue;
      buf.Put(px, py, covered == 16 ? rgb : Mix(buf.Get(px, py), rgb, covered * 255 / 16));
    }
  }
}

RECT Inset(const RECT& r, int by) { return {r.left + by, r.top + by, r.right - by, r.bottom - by}; }

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// A stand-in drawn with straight strokes when the skin brings no image for a glyph.
Glyph DrawnGlyph(GlyphId id, int size) {
  Glyph g = {};
  g.width = static_cast<uint8_t>(size);
  g.height = static_cast<uint8_t>(id == kGlyphMinimise ? 1 : size);
  for (int y = 0; y < g.height; ++y) {
    for (int x = 0; x < g.width; ++x) {
      const bool edge = x == 0 || y == 0 || x == size - 1 || y == size - 1;
      bool on = false;
      if (id == kGlyphClose) on = x == y || x == size - 1 - y;
      if (id == kGlyphMinimise) on = true;
      if (id == kGlyphMaximise || id == kGlyphRestore) on = edge;
      g.alpha[y * g.width + x] = on ? 255 : 0;
    }
  }
  return g;
}

void BlendGlyph(BackBuffer& buf, const Glyph& g, const RECT& box, uint32_t rgb) {
  const int left = box.left + (box.right - box.left - g.width) / 2;
  const int top = box.top + (box.bottom - box.top - g.height) / 2;
  for (int y = 0; y < g.height; ++y) {
    for (int x = 0; x < g.width; ++x) {
      const int a = g.alpha[y * g.width + x];
      if (a == 0 || !buf.Inside(left + x, top + y)) continue;
      buf.Put(left + x, top + y, Mix(buf.Get(left + x, top + y), rgb, a));
    }
  }
}

bool CloseEnabled(HWND hwnd) {
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  if (menu == nullptr) return true;
  const UINT state = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
  return state == static_cast<UINT>(-1) || !(state & (MF_GRAYED | MF_DISABLED));
}

HICON WindowIcon(HWND hwnd) {
  HICON icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICONSM));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICON));
  if (icon == nullptr) icon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  return icon;
}

HFONT CreateCaptionFont(int weight, bool tool) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
    // Systems before Vista know the structure without its last field.
    metrics.cbSize = sizeof(metrics) - sizeof(int);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
      return nullptr;
    }
  }
  LOGFONTW font = tool ? metrics.lfSmCaptionFont : metrics.lfCaptionFont;
  if (weight != 0) font.lfWeight = weight;
  return CreateFontIndirectW(&font);
}

void DrawCaptionButton(BackBuffer& buf, const SkinData& s, RECT slot, GlyphId glyph_id,
                       bool is_close, bool enabled, const FrameVisual& v, int hit) {
  if (IsEmpty(slot)) return;
  const uint32_t* c = s.colours;
  uint32_t glyph_colour = v.active ? c[kCaptionText] : c[kCaptionInactiveText];
  const RECT face = Inset(slot, s.metrics[kCaptionButtonInset]);
  if (enabled && v.pressed == hit) {
    Fill(buf, face, is_close ? c[kCloseButtonPressed] : c[kCaptionButtonPressed]);
    glyph_colour = c[kCaptionGlyphHot];
  } else if (enabled && v.hot == hit) {
    Fill(buf, face, is_close ? c[kCloseButtonHot] : c[kCaptionButtonHot]);
    glyph_colour = c[kCaptionGlyphHot];
  } else if (!enabled) {
    glyph_colour = Mix(glyph_colour, c[kCaptionBottom], 150);
  }
  const Glyph& own = s.glyphs[glyph_id];
  const Glyph glyph = own.width != 0 ? own : DrawnGlyph(glyph_id, s.metrics[kCaptionGlyphSize]);
  BlendGlyph(buf, glyph, slot, glyph_colour);
}

void DrawTitle(BackBuffer& buf, HWND hwnd, const SkinData& s, const FrameVisual& v, RECT area) {
  wchar_t title[512];
  const int length = GetWindowTextW(hwnd, title, 512);
  if (length <= 0 || IsEmpty(area)) return;
  const bool tool = (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
  GdiObject font(CreateCaptionFont(s.metrics[kCaptionFontWeight], tool));
  Selection select(buf.dc(), font.get());
  SetBkMode(buf.dc(), TRANSPARENT);
  SetTextColor(buf.dc(),
               ToColorRef(v.active ? s.colours[kCaptionText] : s.colours[kCaptionInactiveText]));
  DrawTextW(buf.dc(), title, length, &area,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
}

}  // namespace

COLORREF ToColorRef(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

CaptionLayout ComputeCaptionLayout(HWND hwnd) {
  CaptionLayout l = {};
  RECT window, client;
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  POINT origin = {0, 0};
  ClientToScreen(hwnd, &origin);
  l.window = {window.right - window.left, window.bottom - window.top};
  l.client = {origin.x - window.left, origin.y - window.top, origin.x - window.left + client.right,
              origin.y - window.top + client.bottom};

  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  const LONG ex_style = GetWindowLongW(hwnd, GWL_EXSTYLE);
  const bool tool = (ex_style & WS_EX_TOOLWINDOW) != 0;
  // The frame is as thick as the client area is indented: that is what hit-testing uses too.
  const int frame = l.client.left > 0 ? l.client.left : 0;
  const int caption_height = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
  int bottom = frame + caption_height;
  if (GetMenu(hwnd) == nullptr && l.client.top > frame) bottom = l.client.top;
  l.caption = {0, 0, l.window.cx, bottom};

  const int slot = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE);
  if (!(style & WS_SYSMENU)) return l;
  int right = l.window.cx - frame;
  l.close = {right - slot, frame, right, bottom};
  right -= slot;
  if (!tool && (style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX))) {
    if (style & WS_MAXIMIZEBOX) l.maximise = {right - slot, frame, right, bottom};
    right -= slot;
    if (style & WS_MINIMIZEBOX) l.minimise = {right - slot, frame, right, bottom};
  }
  if (!tool && !(ex_style & WS_EX_DLGMODALFRAME)) l.icon = {frame, frame, frame + slot, bottom};
  return l;
}

int DrawnCaptionButton(HWND hwnd, int hit) {
  const CaptionLayout l = ComputeCaptionLayout(hwnd);
  if (hit == HTCLOSE && !IsEmpty(l.close) && CloseEnabled(hwnd)) return HTCLOSE;
  if (hit == HTMAXBUTTON && !IsEmpty(l.maximise)) return HTMAXBUTTON;
  if (hit == HTMINBUTTON && !IsEmpty(l.minimise)) return HTMINBUTTON;
  return HTNOWHERE;
}

void PaintFrame(HWND hwnd, HDC dc, const SkinData& s, const FrameVisual& v) {
  const CaptionLayout l = ComputeCaptionLayout(hwnd);
  BackBuffer buf(dc, l.window.cx, l.window.cy);
  if (!buf.ok()) return;
  const uint32_t* c = s.colours;
  const RECT whole = {0, 0, l.window.cx, l.window.cy};
  Fill(buf, whole, c[kFrameInner]);

  const int accent = s.metrics[kCaptionAccentHeight];
  RECT bar = l.caption;
  bar.bottom -= accent;
  VerticalGradient(buf, bar, v.active ? c[kCaptionTop] : c[kCaptionInactiveTop],
                   v.active ? c[kCaptionBottom] : c[kCaptionInactiveBottom]);
  Fill(buf, {0, bar.bottom, l.window.cx, l.caption.bottom},
       v.active ? c[kCaptionAccent] : c[kCaptionInactiveBottom]);
  Outline(buf, whole, v.active ? c[kFrameOuter] : c[kFrameOuterInactive]);

  const bool zoomed = IsZoomed(hwnd) != FALSE;
  RECT close = l.close, maximise = l.maximise, minimise = l.minimise;
  close.bottom = maximise.bottom = minimise.bottom = bar.bottom;
  DrawCaptionButton(buf, s, close, kGlyphClose, true, CloseEnabled(hwnd), v, HTCLOSE);
  DrawCaptionButton(buf, s, maximise, zoomed ? kGlyphRestore : kGlyphMaximise, false, true, v,
                    HTMAXBUTTON);
  DrawCaptionButton(buf, s, minimise, kGlyphMinimise, false, true, v, HTMINBUTTON);

  // GDI draws the icon and the title into the same DIB after the direct pixel work.
  GdiFlush();
  int title_left = l.client.left + s.metrics[kCaptionTitleIndent];
  if (!IsEmpty(l.icon)) {
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    const int x = l.icon.left + (l.icon.right - l.icon.left - cx) / 2;
    const int y = bar.top + (bar.bottom - bar.top - cy + 1) / 2;
    DrawIconEx(buf.dc(), x, y, WindowIcon(hwnd), cx, cy, 0, nullptr, DI_NORMAL);
    title_left = l.icon.right + s.metrics[kCaptionTitleIndent] - 2;
  }
  int title_right = l.window.cx - l.client.left;
  const RECT* buttons[] = {&l.close, &l.maximise, &l.minimise};
  for (const RECT* r : buttons) {
    if (!IsEmpty(*r) && r->left < title_right) title_right = r->left;
  }
  DrawTitle(buf, hwnd, s, v, {title_left, bar.top + 1, title_right - 4, bar.bottom});

  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, l.client.left, l.client.top, l.client.right, l.client.bottom);
  // A menu bar between caption and client area stays as the system drew it.
  if (l.client.top > l.caption.bottom) {
    ExcludeClipRect(dc, l.client.left, l.caption.bottom, l.client.right, l.client.top);
  }
  BitBlt(dc, 0, 0, l.window.cx, l.window.cy, buf.dc(), 0, 0, SRCCOPY);
  RestoreDC(dc, saved);
}

void PaintPushButton(HWND hwnd, HDC dc, const SkinData& s, bool hot) {
  RECT client;
  GetClientRect(hwnd, &client);
  BackBuffer buf(dc, client.right, client.bottom);
  if (!buf.ok()) return;
  const uint32_t* c = s.colours;
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  const bool pushed = (SendMessageW(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  const LRESULT ui = SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0);
  const bool focused = GetFocus() == hwnd && !(ui & UISF_HIDEFOCUS);
  const uint32_t fill = !enabled ? c[kButtonDisabled]
                        : pushed ? c[kButtonPressed]
                        : hot    ? c[kButtonHot]
                                 : c[kButton];
  const int radius = s.metrics[kButtonRadius];
  Fill(buf, client, c[kFace]);
  RoundRect(buf, client, radius, enabled ? c[kButtonBorder] : c[kButtonDisabled]);
  RoundRect(buf, Inset(client, 1), radius > 0 ? radius - 1 : 0, fill);
  if (focused) {
    const int inset = s.metrics[kButtonFocusInset];
    const int inner = radius > inset ? radius - inset : 1;
    RoundRect(buf, Inset(client, inset), inner, c[kButtonFocus]);
    RoundRect(buf, Inset(client, inset + 1), inner > 1 ? inner - 1 : 0, fill);
  }

  GdiFlush();
  wchar_t text[256];
  const int length = GetWindowTextW(hwnd, text, 256);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  Selection select(buf.dc(), font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(buf.dc(), TRANSPARENT);
  SetTextColor(buf.dc(), ToColorRef(enabled ? c[kButtonText] : c[kButtonTextDisabled]));
  RECT area = client;
  DrawTextW(buf.dc(), text, length, &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | ((ui & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0));
  BitBlt(dc, 0, 0, client.right, client.bottom, buf.dc(), 0, 0, SRCCOPY);
}

void PaintEditBorder(HWND hwnd, HDC dc, const SkinData& s, bool hot) {
  RECT window;
  GetWindowRect(hwnd, &window);
  const RECT outer = {0, 0, window.right - window.left, window.bottom - window.top};
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  const bool enabled = !(style & WS_DISABLED);
  const bool focused = GetFocus() == hwnd;
  const uint32_t* c = s.colours;
  const uint32_t line = focused          ? c[kEditBorderFocus]
                        : hot && enabled ? c[kEditBorderHot]
                                         : c[kEditBorder];
  const uint32_t glow = focused                               ? c[kEditFocusGlow]
                        : (!enabled || (style & ES_READONLY)) ? c[kFace]
                                                              : c[kEdit];
  GdiObject line_brush(CreateSolidBrush(ToColorRef(line)));
  GdiObject glow_brush(CreateSolidBrush(ToColorRef(glow)));
  FrameRect(dc, &outer, static_cast<HBRUSH>(line_brush.get()));
  const RECT inner = Inset(outer, 1);
  FrameRect(dc, &inner, static_cast<HBRUSH>(glow_brush.get()));
}

}  // namespace quorlin_skin
