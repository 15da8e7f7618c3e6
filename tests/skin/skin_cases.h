// The built skin and a table of broken ones, shared by the parser's tests and
// the engine's: every broken skin must be refused with its status, whatever reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skin_test {

std::vector<unsigned char> BuiltSkin();

// Field offsets in the header (skin_format.md).
inline constexpr size_t kVersionAt = 4;
inline constexpr size_t kHeaderSizeAt = 6;
inline constexpr size_t kTotalSizeAt = 8;
inline constexpr size_t kColourCountAt = 12;
inline constexpr size_t kPaletteCountAt = 14;
inline constexpr size_t kPaletteOffsetAt = 16;
inline constexpr size_t kPaletteRecordSizeAt = 20;
inline constexpr size_t kMetricCountAt = 24;
inline constexpr size_t kImageCountAt = 26;
inline constexpr size_t kMetricOffsetAt = 28;
inline constexpr size_t kImageOffsetAt = 32;
inline constexpr size_t kChecksumAt = 36;

uint32_t ReadU32(const std::vector<unsigned char>& b, size_t at);
void WriteU16(std::vector<unsigned char>& b, size_t at, uint16_t value);
void WriteU32(std::vector<unsigned char>& b, size_t at, uint32_t value);
// Recomputes the blob's checksum, so that a change reaches the structural checks.
void Reseal(std::vector<unsigned char>& b);

struct BadSkin {
  std::string reason;
  std::vector<unsigned char> bytes;
  bool null_pointer = false;
  long long length = -2;  // -2: the size of `bytes`
  std::string palette;
  int hue = 0, saturation = 0, brightness = 0;
  int expected = 0;

  long long Length() const { return length == -2 ? static_cast<long long>(bytes.size()) : length; }
  const unsigned char* Data() const { return null_pointer ? nullptr : bytes.data(); }
};

std::vector<BadSkin> BadSkins();

}  // namespace skin_test
