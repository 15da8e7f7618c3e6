// The skin format's parser and the palette adjustments, on the skin that the
// build makes from skin/skins/quorlin.skin. Runs natively (under ASan too) and
// under Wine.
#include "skin_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "skin_cases.h"

namespace {

using namespace quorlin_skin;
using skin_test::BuiltSkin;

// Parses from a heap copy of exactly `length` bytes, so that a read past the
// end is a read past the allocation, which AddressSanitizer reports.
int ParseExact(const std::vector<unsigned char>& bytes, long long length, const char* palette,
               SkinData* out) {
  const size_t kept = length < 0 ? 0 : static_cast<size_t>(length);
  std::vector<unsigned char> exact(bytes.begin(), bytes.begin() + std::min(kept, bytes.size()));
  return ParseSkin(exact.empty() ? bytes.data() : exact.data(), length, palette, out);
}

TEST(SkinFormat, BuiltSkinParsesWithItsFirstPalette) {
  const std::vector<unsigned char> skin = BuiltSkin();
  SkinData plain, unnamed;
  ASSERT_EQ(ParseSkin(skin.data(), skin.size(), "", &plain), kSkinOk);
  ASSERT_EQ(ParseSkin(skin.data(), skin.size(), nullptr, &unnamed), kSkinOk);
  EXPECT_EQ(0, std::memcmp(plain.colours, unnamed.colours, sizeof(plain.colours)));
  EXPECT_EQ(0, std::memcmp(skin.data(), ".SHE", 4));
  EXPECT_EQ(plain.glyphs[kGlyphClose].width, 10);
  EXPECT_EQ(plain.glyphs[kGlyphMinimise].height, 1);
}

TEST(SkinFormat, NamedPaletteOverridesOnlyWhatItLists) {
  const std::vector<unsigned char> skin = BuiltSkin();
  SkinData plain, graphite;
  ASSERT_EQ(ParseSkin(skin.data(), skin.size(), "", &plain), kSkinOk);
  ASSERT_EQ(ParseSkin(skin.data(), skin.size(), "graphite", &graphite), kSkinOk);
  EXPECT_NE(plain.colours[kCaptionTop], graphite.colours[kCaptionTop]);
  EXPECT_NE(plain.colours[kButton], graphite.colours[kButton]);
  // Not listed in the graphite palette: inherited from the first.
  EXPECT_EQ(plain.colours[kFace], graphite.colours[kFace]);
  EXPECT_EQ(plain.colours[kCloseButtonHot], graphite.colours[kCloseButtonHot]);
  EXPECT_EQ(0, std::memcmp(plain.metrics, graphite.metrics, sizeof(plain.metrics)));
}

TEST(SkinFormat, RefusesEveryBrokenSkinAndLeavesTheResultAlone) {
  for (const skin_test::BadSkin& bad : skin_test::BadSkins()) {
    SCOPED_TRACE(bad.reason);
    SkinData out;
    std::memset(&out, 0x5A, sizeof(out));
    int status = bad.null_pointer ? ParseSkin(nullptr, bad.Length(), "", &out)
                                  : ParseExact(bad.bytes, bad.Length(), bad.palette.c_str(), &out);
    if (status == kSkinOk) status = AdjustPalette(&out, bad.hue, bad.saturation, bad.brightness);
    EXPECT_EQ(status, bad.expected);
    if (bad.expected != kSkinBadAdjustment) {
      const unsigned char* raw = reinterpret_cast<const unsigned char*>(&out);
      EXPECT_EQ(raw[0], 0x5A);
      EXPECT_EQ(raw[sizeof(out) - 1], 0x5A);
    }
  }
}

TEST(SkinFormat, EveryTruncationIsRefused) {
  const std::vector<unsigned char> skin = BuiltSkin();
  SkinData out;
  for (size_t length = 0; length < skin.size(); ++length) {
    EXPECT_EQ(ParseExact(skin, length, "", &out), kSkinTooShort) << "length " << length;
  }
}

TEST(SkinFormat, EveryFlippedByteIsRefused) {
  // Header fields fail their bounds checks, body bytes the checksum.
  const std::vector<unsigned char> skin = BuiltSkin();
  SkinData out;
  for (size_t at = 0; at < skin.size(); ++at) {
    std::vector<unsigned char> flipped = skin;
    flipped[at] ^= 0xFF;
    EXPECT_NE(ParseExact(flipped, flipped.size(), "", &out), kSkinOk) << "byte " << at;
  }
}

TEST(SkinFormat, TrailingBytesAfterTheDeclaredSizeAreIgnored) {
  std::vector<unsigned char> skin = BuiltSkin();
  skin.resize(skin.size() + 7, 0xEE);
  SkinData out;
  EXPECT_EQ(ParseExact(skin, skin.size(), "", &out), kSkinOk);
}

TEST(SkinFormat, ImageForALaterEngineIsSkipped) {
  std::vector<unsigned char> skin = BuiltSkin();
  const size_t record = skin_test::ReadU32(skin, skin_test::kImageOffsetAt);
  skin_test::WriteU16(skin, record, 77);  // the first image, the close glyph, becomes id 77
  skin_test::Reseal(skin);
  SkinData out;
  ASSERT_EQ(ParseExact(skin, skin.size(), "", &out), kSkinOk);
  EXPECT_EQ(out.glyphs[kGlyphClose].width, 0);  // the engine then draws its own
  EXPECT_NE(out.glyphs[kGlyphMinimise].width, 0);
}

TEST(PaletteAdjustment, ZeroKeepsEveryColourExactly) {
  const std::vector<unsigned char> skin = BuiltSkin();
  SkinData plain, adjusted;
  ASSERT_EQ(ParseSkin(skin.data(), skin.size(), "", &plain), kSkinOk);
  adjusted = plain;
  ASSERT_EQ(AdjustPalette(&adjusted, 0, 0, 0), kSkinOk);
  EXPECT_EQ(0, std::memcmp(plain.colours, adjusted.colours, sizeof(plain.colours)));
}

TEST(PaletteAdjustment, MovesHueSaturationAndLightness) {
  struct Case {
    const char* reason;
    uint32_t in;
    int hue, saturation, brightness;
    uint32_t out;
  };
  const Case cases[] = {
      {"a third of a turn takes red to green", 0xFF0000, 120, 0, 0, 0x00FF00},
      {"half a turn takes red to cyan", 0xFF0000, 180, 0, 0, 0x00FFFF},
      {"a negative shift turns the other way", 0xFF0000, -120, 0, 0, 0x0000FF},
      {"grey has no hue to shift", 0x808080, 90, 0, 0, 0x808080},
      {"no saturation leaves grey", 0xFF0000, 0, -100, 0, 0x808080},
      {"more saturation cannot pass the full colour", 0xFF0000, 0, 100, 0, 0xFF0000},
      {"full brightness is white", 0x1E4152, 0, 0, 100, 0xFFFFFF},
      {"no brightness is black", 0x1E4152, 0, 0, -100, 0x000000},
      {"half brightness goes half way to white", 0x000000, 0, 0, 50, 0x808080},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AdjustColour(c.in, c.hue, c.saturation, c.brightness), c.out) << c.reason;
  }
}

TEST(PaletteAdjustment, OutOfRangeChangesNothing) {
  const std::vector<unsigned char> skin = BuiltSkin();
  SkinData plain;
  ASSERT_EQ(ParseSkin(skin.data(), skin.size(), "", &plain), kSkinOk);
  const int bad[][3] = {{181, 0, 0}, {-181, 0, 0}, {0, 101, 0}, {0, 0, -101}};
  for (const auto& args : bad) {
    SkinData adjusted = plain;
    EXPECT_EQ(AdjustPalette(&adjusted, args[0], args[1], args[2]), kSkinBadAdjustment);
    EXPECT_EQ(0, std::memcmp(plain.colours, adjusted.colours, sizeof(plain.colours)));
  }
}

}  // namespace
