#include "skin_cases.h"

#include <functional>

#include "skin_format.h"

extern const unsigned char kQuorlinSkin[];
extern const std::size_t kQuorlinSkin_size;

namespace skin_test {

using namespace quorlin_skin;

std::vector<unsigned char> BuiltSkin() {
  return std::vector<unsigned char>(kQuorlinSkin, kQuorlinSkin + kQuorlinSkin_size);
}

uint32_t ReadU32(const std::vector<unsigned char>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

void WriteU16(std::vector<unsigned char>& b, size_t at, uint16_t value) {
  b[at] = value & 0xFF;
  b[at + 1] = value >> 8;
}

void WriteU32(std::vector<unsigned char>& b, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) b[at + i] = (value >> (8 * i)) & 0xFF;
}

void Reseal(std::vector<unsigned char>& b) {
  WriteU32(b, kChecksumAt, SkinChecksum(b.data(), ReadU32(b, kTotalSizeAt)));
}

namespace {

BadSkin Edited(std::string reason, int expected,
               const std::function<void(std::vector<unsigned char>&)>& edit, bool reseal) {
  BadSkin bad;
  bad.reason = std::move(reason);
  bad.expected = expected;
  bad.bytes = BuiltSkin();
  edit(bad.bytes);
  if (reseal) Reseal(bad.bytes);
  return bad;
}

// Edits a header field; fields checked after the checksum get it resealed.
BadSkin Header(std::string reason, int expected, size_t at, uint32_t value, bool wide) {
  return Edited(
      std::move(reason), expected,
      [=](std::vector<unsigned char>& b) {
        if (wide) {
          WriteU32(b, at, value);
        } else {
          WriteU16(b, at, static_cast<uint16_t>(value));
        }
      },
      at >= kColourCountAt);
}

// Edits a field of the first image record, then reseals the body.
BadSkin Image(std::string reason, size_t field, uint32_t value, bool wide) {
  return Edited(
      std::move(reason), kSkinCorrupt,
      [=](std::vector<unsigned char>& b) {
        const size_t record = ReadU32(b, kImageOffsetAt);
        if (wide) {
          WriteU32(b, record + field, value);
        } else {
          b[record + field] = static_cast<unsigned char>(value);
        }
      },
      true);
}

BadSkin Metric(std::string reason, int index, int32_t value) {
  return Edited(
      std::move(reason), kSkinCorrupt,
      [=](std::vector<unsigned char>& b) {
        WriteU32(b, ReadU32(b, kMetricOffsetAt) + 4 * index, static_cast<uint32_t>(value));
      },
      true);
}

BadSkin Arguments(std::string reason, int expected, std::string palette, int hue, int saturation,
                  int brightness) {
  BadSkin bad;
  bad.reason = std::move(reason);
  bad.expected = expected;
  bad.bytes = BuiltSkin();
  bad.palette = std::move(palette);
  bad.hue = hue;
  bad.saturation = saturation;
  bad.brightness = brightness;
  return bad;
}

}  // namespace

std::vector<BadSkin> BadSkins() {
  std::vector<BadSkin> cases;
  BadSkin null_skin = Arguments("null pointer", kSkinNull, "", 0, 0, 0);
  null_skin.null_pointer = true;
  cases.push_back(null_skin);
  BadSkin lengths[] = {Arguments("length 0", kSkinTooShort, "", 0, 0, 0),
                       Arguments("negative length", kSkinTooShort, "", 0, 0, 0),
                       Arguments("cut inside the header", kSkinTooShort, "", 0, 0, 0),
                       Arguments("last byte missing", kSkinTooShort, "", 0, 0, 0)};
  lengths[0].length = 0;
  lengths[1].length = -1;
  lengths[2].length = kSkinHeaderSize - 1;
  lengths[3].length = static_cast<long long>(lengths[3].bytes.size()) - 1;
  for (BadSkin& bad : lengths) cases.push_back(bad);

  cases.push_back(Edited(
      "wrong magic", kSkinBadMagic, [](std::vector<unsigned char>& b) { b[3] = 'F'; }, false));
  cases.push_back(Header("a later format version", kSkinBadVersion, kVersionAt, 2, false));
  cases.push_back(
      Header("header size below the fixed header", kSkinCorrupt, kHeaderSizeAt, 8, false));
  cases.push_back(
      Header("declared size beyond the blob", kSkinTooShort, kTotalSizeAt, 0xFFFFFFFFu, true));
  cases.push_back(Header("declared size inside the header", kSkinCorrupt, kTotalSizeAt, 20, true));
  cases.push_back(Edited(
      "a flipped byte in the body", kSkinCorrupt,
      [](std::vector<unsigned char>& b) { b[b.size() - 1] ^= 1; }, false));
  cases.push_back(Edited(
      "palettes moved within bounds, checksum left as it was", kSkinCorrupt,
      [](std::vector<unsigned char>& b) {
        WriteU32(b, kPaletteOffsetAt, ReadU32(b, kPaletteOffsetAt) + 4);
      },
      false));
  cases.push_back(
      Header("fewer colours than the engine paints", kSkinCorrupt, kColourCountAt, 3, false));
  cases.push_back(Header("no palette", kSkinCorrupt, kPaletteCountAt, 0, false));
  cases.push_back(Header("palettes past the end", kSkinCorrupt, kPaletteCountAt, 0xFFFF, false));
  cases.push_back(Header("palettes inside the header", kSkinCorrupt, kPaletteOffsetAt, 0, true));
  cases.push_back(
      Header("palettes far past the end", kSkinCorrupt, kPaletteOffsetAt, 0x7FFFFFFF, true));
  cases.push_back(Header("palette record too small for its colours", kSkinCorrupt,
                         kPaletteRecordSizeAt, 16, true));
  cases.push_back(Header("palette record size that overflows 32 bits", kSkinCorrupt,
                         kPaletteRecordSizeAt, 0xFFFFFFFFu, true));
  cases.push_back(
      Header("fewer metrics than the engine uses", kSkinCorrupt, kMetricCountAt, 2, false));
  cases.push_back(Header("metrics past the end", kSkinCorrupt, kMetricOffsetAt, 0xFFFFFFF0u, true));
  cases.push_back(
      Header("image directory past the end", kSkinCorrupt, kImageCountAt, 0xFFFF, false));
  cases.push_back(Image("image data past the end", 4, 0xFFFFFFF0u, true));
  cases.push_back(Image("image of zero width", 2, 0, false));
  cases.push_back(Image("image wider than 32 pixels", 2, 33, false));
  cases.push_back(Edited(
      "image size that disagrees with its sides", kSkinCorrupt,
      [](std::vector<unsigned char>& b) {
        const size_t record = ReadU32(b, kImageOffsetAt);
        WriteU32(b, record + 8, b[record + 2] * b[record + 3] + 1);
      },
      true));
  cases.push_back(Metric("button radius out of range", quorlin_skin::kButtonRadius, 1000));
  cases.push_back(Metric("negative glyph size", quorlin_skin::kCaptionGlyphSize, -1));
  cases.push_back(Edited(
      "palette name without its terminating zero", kSkinCorrupt,
      [](std::vector<unsigned char>& b) {
        const size_t second = ReadU32(b, kPaletteOffsetAt) + ReadU32(b, kPaletteRecordSizeAt);
        for (size_t i = 0; i < kPaletteNameSize; ++i) b[second + i] = 'x';
      },
      true));
  cases.push_back(Arguments("unknown palette", kSkinUnknownVariant, "nosuch", 0, 0, 0));
  cases.push_back(Arguments("prefix of a palette's name", kSkinUnknownVariant, "graph", 0, 0, 0));
  cases.push_back(Arguments("hue past half a turn", kSkinBadAdjustment, "", 181, 0, 0));
  cases.push_back(Arguments("saturation below -100", kSkinBadAdjustment, "", 0, -101, 0));
  cases.push_back(Arguments("brightness above 100", kSkinBadAdjustment, "", 0, 0, 101));
  return cases;
}

}  // namespace skin_test
