#include "skin_format.h"

namespace quorlin_skin {
namespace {

uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t ReadU32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// True when [offset, offset + count * size) lies inside the body [header, total).
// 64-bit arithmetic: 32-bit fields cannot overflow it.
bool RegionFits(uint64_t offset, uint64_t count, uint64_t size, uint64_t header, uint64_t total) {
  return offset >= header && offset <= total && count * size <= total - offset;
}

bool NameEquals(const unsigned char* field, const char* name) {
  uint32_t i = 0;
  for (; i < kPaletteNameSize && name[i] != '\0'; ++i) {
    if (field[i] != static_cast<unsigned char>(name[i])) return false;
  }
  return i < kPaletteNameSize && field[i] == '\0';
}

bool NameTerminated(const unsigned char* field) {
  for (uint32_t i = 0; i < kPaletteNameSize; ++i) {
    if (field[i] == '\0') return true;
  }
  return false;
}

struct Header {
  uint32_t header_size;
  uint32_t total_size;
  uint32_t checksum;
  uint32_t colour_count;
  uint32_t palette_count;
  uint32_t palette_offset;
  uint32_t palette_record_size;
  uint32_t metric_count;
  uint32_t image_count;
  uint32_t metric_offset;
  uint32_t image_offset;
};

Header ReadHeader(const unsigned char* d) {
  Header h;
  h.header_size = ReadU16(d + 6);
  h.total_size = ReadU32(d + 8);
  h.colour_count = ReadU16(d + 12);
  h.palette_count = ReadU16(d + 14);
  h.palette_offset = ReadU32(d + 16);
  h.palette_record_size = ReadU32(d + 20);
  h.metric_count = ReadU16(d + 24);
  h.image_count = ReadU16(d + 26);
  h.metric_offset = ReadU32(d + 28);
  h.image_offset = ReadU32(d + 32);
  h.checksum = ReadU32(d + kChecksumOffset);
  return h;
}

SkinStatus CheckLayout(const Header& h) {
  const uint64_t hs = h.header_size, ts = h.total_size;
  if (h.colour_count < kColourCount || h.palette_count == 0) return kSkinCorrupt;
  if (h.palette_record_size < kPaletteNameSize + 4u * h.colour_count) return kSkinCorrupt;
  if (!RegionFits(h.palette_offset, h.palette_count, h.palette_record_size, hs, ts)) {
    return kSkinCorrupt;
  }
  if (h.metric_count < kMetricCount || !RegionFits(h.metric_offset, h.metric_count, 4, hs, ts)) {
    return kSkinCorrupt;
  }
  if (!RegionFits(h.image_offset, h.image_count, kImageRecordSize, hs, ts)) return kSkinCorrupt;
  return kSkinOk;
}

SkinStatus ReadPalette(const unsigned char* d, const Header& h, const char* variant,
                       SkinData* out) {
  const char* name = variant != nullptr ? variant : "";
  const unsigned char* chosen = nullptr;
  for (uint32_t i = 0; i < h.palette_count; ++i) {
    const unsigned char* record = d + h.palette_offset + i * h.palette_record_size;
    if (!NameTerminated(record)) return kSkinCorrupt;
    // The first palette is the skin as it is, whatever it is called.
    if (chosen == nullptr && (name[0] == '\0' ? i == 0 : NameEquals(record, name))) {
      chosen = record;
    }
  }
  if (chosen == nullptr) return kSkinUnknownVariant;
  for (int c = 0; c < kColourCount; ++c) {
    out->colours[c] = ReadU32(chosen + kPaletteNameSize + 4 * c) & 0xFFFFFFu;
  }
  return kSkinOk;
}

SkinStatus ReadMetrics(const unsigned char* d, const Header& h, SkinData* out) {
  for (int m = 0; m < kMetricCount; ++m) {
    const int32_t value = static_cast<int32_t>(ReadU32(d + h.metric_offset + 4 * m));
    if (value < kMetricRanges[m].min || value > kMetricRanges[m].max) return kSkinCorrupt;
    out->metrics[m] = value;
  }
  return kSkinOk;
}

SkinStatus ReadImages(const unsigned char* d, const Header& h, SkinData* out) {
  for (int g = 0; g < kGlyphCount; ++g) {
    out->glyphs[g].width = 0;
    out->glyphs[g].height = 0;
  }
  for (uint32_t i = 0; i < h.image_count; ++i) {
    const unsigned char* record = d + h.image_offset + i * kImageRecordSize;
    const uint32_t id = ReadU16(record);
    const uint32_t width = record[2], height = record[3];
    const uint32_t offset = ReadU32(record + 4), size = ReadU32(record + 8);
    if (width == 0 || height == 0 || width > kMaxGlyphSide || height > kMaxGlyphSide) {
      return kSkinCorrupt;
    }
    if (size != width * height || !RegionFits(offset, 1, size, h.header_size, h.total_size)) {
      return kSkinCorrupt;
    }
    if (id >= kGlyphCount) continue;  // an image for a later engine
    Glyph& glyph = out->glyphs[id];
    glyph.width = static_cast<uint8_t>(width);
    glyph.height = static_cast<uint8_t>(height);
    for (uint32_t p = 0; p < size; ++p) glyph.alpha[p] = d[offset + p];
  }
  return kSkinOk;
}

double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

double HueToChannel(double p, double q, double t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (t < 1.0 / 6) return p + (q - p) * 6 * t;
  if (t < 1.0 / 2) return q;
  if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
  return p;
}

uint32_t ToByte(double v) { return static_cast<uint32_t>(Clamp01(v) * 255 + 0.5); }

}  // namespace

uint32_t SkinChecksum(const unsigned char* blob, size_t size) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; ++i) {
    const bool in_field = i >= kChecksumOffset && i < kChecksumOffset + 4;
    hash ^= in_field ? 0 : blob[i];
    hash *= 16777619u;
  }
  return hash;
}

SkinStatus ParseSkin(const unsigned char* data, long long length, const char* variant,
                     SkinData* out) {
  if (data == nullptr || out == nullptr) return kSkinNull;
  if (length < static_cast<long long>(kSkinHeaderSize)) return kSkinTooShort;
  for (int i = 0; i < 4; ++i) {
    if (data[i] != kSkinMagic[i]) return kSkinBadMagic;
  }
  if (ReadU16(data + 4) != kSkinVersion) return kSkinBadVersion;
  const Header h = ReadHeader(data);
  if (h.header_size < kSkinHeaderSize) return kSkinCorrupt;
  if (h.total_size < h.header_size) return kSkinCorrupt;
  if (static_cast<long long>(h.total_size) > length) return kSkinTooShort;
  if (SkinChecksum(data, h.total_size) != h.checksum) {
    return kSkinCorrupt;
  }
  SkinStatus status = CheckLayout(h);
  if (status != kSkinOk) return status;

  SkinData parsed;
  if ((status = ReadPalette(data, h, variant, &parsed)) != kSkinOk) return status;
  if ((status = ReadMetrics(data, h, &parsed)) != kSkinOk) return status;
  if ((status = ReadImages(data, h, &parsed)) != kSkinOk) return status;
  *out = parsed;
  return kSkinOk;
}

uint32_t AdjustColour(uint32_t rgb, int hue, int saturation, int brightness) {
  if (hue == 0 && saturation == 0 && brightness == 0) return rgb & 0xFFFFFFu;
  const double r = ((rgb >> 16) & 0xFF) / 255.0, g = ((rgb >> 8) & 0xFF) / 255.0,
               b = (rgb & 0xFF) / 255.0;
  const double hi = r > g ? (r > b ? r : b) : (g > b ? g : b);
  const double lo = r < g ? (r < b ? r : b) : (g < b ? g : b);
  double h = 0, s = 0, l = (hi + lo) / 2;
  if (hi > lo) {
    const double d = hi - lo;
    s = l > 0.5 ? d / (2 - hi - lo) : d / (hi + lo);
    if (hi == r) {
      h = (g - b) / d + (g < b ? 6 : 0);
    } else if (hi == g) {
      h = (b - r) / d + 2;
    } else {
      h = (r - g) / d + 4;
    }
    h /= 6;
  }
  h += hue / 360.0;
  if (h < 0) h += 1;
  if (h >= 1) h -= 1;
  s = Clamp01(s * (100 + saturation) / 100.0);
  l = brightness > 0 ? l + (1 - l) * brightness / 100.0 : l + l * brightness / 100.0;
  l = Clamp01(l);
  if (s == 0) {
    const uint32_t grey = ToByte(l);
    return (grey << 16) | (grey << 8) | grey;
  }
  const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
  const double p = 2 * l - q;
  return (ToByte(HueToChannel(p, q, h + 1.0 / 3)) << 16) | (ToByte(HueToChannel(p, q, h)) << 8) |
         ToByte(HueToChannel(p, q, h - 1.0 / 3));
}

SkinStatus AdjustPalette(SkinData* skin, int hue, int saturation, int brightness) {
  if (hue < -kMaxHueShift || hue > kMaxHueShift || saturation < -kMaxSaturationShift ||
      saturation > kMaxSaturationShift || brightness < -kMaxBrightnessShift ||
      brightness > kMaxBrightnessShift) {
    return kSkinBadAdjustment;
  }
  for (int c = 0; c < kColourCount; ++c) {
    skin->colours[c] = AdjustColour(skin->colours[c], hue, saturation, brightness);
  }
  return kSkinOk;
}

}  // namespace quorlin_skin
