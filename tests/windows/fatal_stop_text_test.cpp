// The fatal stop's text, byte for byte in code page 936.
#include <gtest/gtest.h>

#include <string>

#include "fatal_stop.h"

namespace quorlin {
namespace {

TEST(FatalStopText, LiteralsAreCodePage936Bytes) {
  EXPECT_EQ(std::string(kFatalStopTitle), "\xB4\xED\xCE\xF3");
  EXPECT_EQ(std::string(kFatalStopHeading), "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n");
  EXPECT_EQ(std::string(kStackErrorMessage),
            "\xB5\xF7\xD3\xC3"
            "DLL\xC3\xFC\xC1\xEE\xBA\xF3\xB7\xA2\xCF\xD6\xB6\xD1\xD5\xBB\xB4\xED\xCE\xF3");
  EXPECT_EQ(std::string(kMissingExportMessage),
            "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8"
            "DLL\xBF\xE2\xCE\xC4\xBC\xFE\xA1\xB0%s\xA1\xB1\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6\xC3\xFC"
            "\xC1\xEE\xA1\xB0%s\xA1\xB1");
  EXPECT_EQ(std::string(kOutOfMemoryMessage),
            "\xB7\xD6\xC5\xE4 %d \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!");
}

TEST(FatalStopText, PartsAppearOnlyWhenGiven) {
  const std::string heading = "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n";
  const std::string numberLabel = "\xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB\xA3\xBA";
  const std::string messageLabel = "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA";
  const struct {
    const char* why;
    std::optional<int> number;
    std::string message;
    std::string expected;
  } cases[] = {
      {"neither part", std::nullopt, "", heading},
      {"number only", 6, "", heading + numberLabel + "6\r\n\r\n"},
      {"message only", std::nullopt, "x y", heading + messageLabel + "x y\r\n"},
      {"both, number first", 6, "m", heading + numberLabel + "6\r\n\r\n" + messageLabel + "m\r\n"},
      {"zero is a number", 0, "", heading + numberLabel + "0\r\n\r\n"},
      {"a negative number keeps its sign", -12, "", heading + numberLabel + "-12\r\n\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FatalStopText(c.number, c.message).View(), c.expected) << c.why;
  }
}

TEST(FatalStopText, PlaceholdersAreFilledInOrder) {
  const struct {
    const char* why;
    std::string pattern;
    std::string first;
    std::string second;
    std::string expected;
  } cases[] = {
      {"two strings", "a%sb%sc", "X", "Y", "aXbYc"},
      {"a number placeholder takes text too", "n=%d!", "42", "", "n=42!"},
      {"placeholders at both ends", "%s-%s", "L", "R", "L-R"},
      {"a lone percent stays", "100% %s", "sure", "", "100% sure"},
      {"a trailing percent stays", "%s%", "a", "", "a%"},
      {"more placeholders than values stay as written", "%s %s %s", "1", "2", "1 2 %s"},
      {"a value with a percent is not scanned again", "%s|%s", "%s", "z", "%s|z"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FillPlaceholders(c.pattern, {c.first, c.second}).View(), c.expected) << c.why;
  }
}

TEST(FatalStopText, TheMissingExportMessageNamesLibraryThenFunction) {
  EXPECT_EQ(FillPlaceholders(kMissingExportMessage, {"Eda.dll", "SkinH_AttachRes"}).View(),
            "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8"
            "DLL\xBF\xE2\xCE\xC4\xBC\xFE\xA1\xB0"
            "Eda.dll\xA1\xB1\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6\xC3\xFC\xC1\xEE\xA1\xB0"
            "SkinH_AttachRes\xA1\xB1");
}

TEST(FatalStopText, AnOverlongTextIsCutAtTheCapacity) {
  const std::string longMessage(StopText::kCapacity * 2, 'x');
  const StopText text = FatalStopText(std::nullopt, longMessage);
  EXPECT_EQ(text.View().size(), StopText::kCapacity);
  EXPECT_EQ(std::string(text.CStr()).size(), StopText::kCapacity);  // still terminated
}

}  // namespace
}  // namespace quorlin
