// The engine's skin format (".SHE" blobs) and the palette adjustments that
// SkinH_AttachRes offers. Portable: no <windows.h>, so the parser is tested
// natively as well as inside the DLL. skin_format.md describes the bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorlin_skin {

// What SkinH_AttachRes returns. Negative values leave every window as it was.
enum SkinStatus : int {
  kSkinOk = 0,
  kSkinNull = -1,            // no blob pointer
  kSkinTooShort = -2,        // shorter than its header, or than the size it declares
  kSkinBadMagic = -3,        // does not start with ".SHE"
  kSkinBadVersion = -4,      // a format version this engine does not read
  kSkinCorrupt = -5,         // checksum, offsets, counts or values out of bounds
  kSkinUnknownVariant = -6,  // the text names no palette of the blob
  kSkinBadAdjustment = -7,   // hue, saturation or brightness out of range
  kSkinSystemFailure = -8,   // the thread hook could not be installed
};

inline constexpr unsigned char kSkinMagic[4] = {'.', 'S', 'H', 'E'};
inline constexpr uint16_t kSkinVersion = 1;
inline constexpr uint32_t kSkinHeaderSize = 40;
inline constexpr uint32_t kPaletteNameSize = 16;
inline constexpr uint32_t kImageRecordSize = 12;
inline constexpr int kMaxGlyphSide = 32;

// Palette entries, in blob order. make_skin.py keeps the same list.
enum ColourId : int {
  kCaptionTop,
  kCaptionBottom,
  kCaptionText,
  kCaptionInactiveTop,
  kCaptionInactiveBottom,
  kCaptionInactiveText,
  kCaptionAccent,
  kCaptionButtonHot,
  kCaptionButtonPressed,
  kCloseButtonHot,
  kCloseButtonPressed,
  kCaptionGlyphHot,
  kFrameOuter,
  kFrameOuterInactive,
  kFrameInner,
  kFace,
  kFaceText,
  kButton,
  kButtonHot,
  kButtonPressed,
  kButtonDisabled,
  kButtonBorder,
  kButtonText,
  kButtonTextDisabled,
  kButtonFocus,
  kEdit,
  kEditText,
  kEditBorder,
  kEditBorderHot,
  kEditBorderFocus,
  kEditFocusGlow,
  kColourCount
};

// Metrics, in blob order, each with the range the parser accepts.
enum MetricId : int {
  kButtonRadius,         // corner radius of push buttons, pixels
  kButtonFocusInset,     // distance of the focus ring from the button's edge
  kCaptionTitleIndent,   // gap between the icon (or frame) and the title
  kCaptionFontWeight,    // 0: the system's caption font weight, else a LOGFONT weight
  kCaptionAccentHeight,  // height of the accent line under the caption, 0 for none
  kCaptionGlyphSize,     // size of a drawn caption glyph when the skin has no image for it
  kCaptionButtonInset,   // inset of a caption button's highlight inside its hit area
  kMetricCount
};

struct MetricRange {
  int32_t min;
  int32_t max;
};

inline constexpr MetricRange kMetricRanges[kMetricCount] = {
    {0, 12}, {1, 8}, {0, 32}, {0, 1000}, {0, 4}, {4, 16}, {0, 6},
};

// Optional images: alpha masks that the engine tints with the palette.
enum GlyphId : int { kGlyphClose, kGlyphMinimise, kGlyphMaximise, kGlyphRestore, kGlyphCount };

struct Glyph {
  uint8_t width;  // 0: the skin has no image; the engine draws its own
  uint8_t height;
  uint8_t alpha[kMaxGlyphSide * kMaxGlyphSide];  // row-major, width * height used
};

// A parsed skin with one palette chosen: what the engine paints from.
struct SkinData {
  uint32_t colours[kColourCount];  // 0x00RRGGBB
  int32_t metrics[kMetricCount];
  Glyph glyphs[kGlyphCount];
};

// Ranges of the three integer arguments of SkinH_AttachRes.
inline constexpr int kMaxHueShift = 180;         // degrees, either way round the colour wheel
inline constexpr int kMaxSaturationShift = 100;  // percent of the colour's own saturation
inline constexpr int kMaxBrightnessShift = 100;  // percent of the way to white or black

inline constexpr uint32_t kChecksumOffset = 36;

// FNV-1a over the blob's first `size` bytes (its declared size), with the
// checksum's own field counted as zeros: any flipped byte is caught.
uint32_t SkinChecksum(const unsigned char* blob, size_t size);

// Reads the blob and the palette named `variant` (null or "" for the first) into `out`.
// Checks every count, offset and value before it reads; `out` is written only on success.
SkinStatus ParseSkin(const unsigned char* data, long long length, const char* variant,
                     SkinData* out);

// Shifts every colour's hue by `hue` degrees, scales its saturation by `saturation` percent
// and moves its lightness `brightness` percent towards white (positive) or black (negative).
// Out-of-range arguments change nothing and return kSkinBadAdjustment.
SkinStatus AdjustPalette(SkinData* skin, int hue, int saturation, int brightness);

uint32_t AdjustColour(uint32_t rgb, int hue, int saturation, int brightness);

}  // namespace quorlin_skin
