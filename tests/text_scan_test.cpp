#include "text_scan.h"

#include <gtest/gtest.h>

#include <string>

namespace quorlin {
namespace {

struct FindCase {
  const char* why;
  std::string text;
  std::string search;
  int start;
  bool ignoreCase;
  int expected;
};

const FindCase kFindCases[] = {
    FindCase{"from the first byte", "abcabc", "c", 1, false, 3},
    FindCase{"start 0 counts as 1", "abcabc", "c", 0, false, 3},
    FindCase{"a negative start counts as 1", "abcabc", "c", -5, false, 3},
    FindCase{"a later start finds the later match", "abcabc", "c", 4, false, 6},
    FindCase{"start past the last byte", "abcabc", "c", 7, false, -1},
    FindCase{"start far past the end", "abc", "a", 1000, false, -1},
    FindCase{"ignoring case folds capitals in the text", "ABC", "b", 1, true, 2},
    FindCase{"ignoring case folds capitals in the search text", "abc", "B", 1, true, 2},
    FindCase{"exact comparison keeps case", "ABC", "b", 1, false, -1},
    FindCase{"an 'A' that is a trail byte is no match",
             "\xB0"
             "Ax",
             "Ax", 1, false, -1},
    FindCase{"the character after a two-byte one matches",
             "\xB0"
             "AAx",
             "Ax", 1, false, 3},
    FindCase{"a lead byte hides the '<' of a tag", "\xE9<tr>", "<tr>", 1, true, -1},
    FindCase{"the next tag after a hidden one is found", "\xE9<tr><tr>", "<tr>", 1, true, 6},
    FindCase{"a trail byte folds too when ignoring case",
             "\xB0"
             "A",
             "\xB0"
             "a",
             1, true, 1},
    FindCase{"a trail byte keeps its case when exact",
             "\xB0"
             "A",
             "\xB0"
             "a",
             1, false, -1},
    FindCase{"bytes above 0x7F never fold", "\xC1\xC1", "\xE1\xE1", 1, true, -1},
    FindCase{"a start on a trail byte scans from there",
             "\xB0"
             "Ax",
             "Ax", 2, false, 2},
    FindCase{"a lone lead byte at the very end", "ab\xB0", "b\xB0", 1, false, 2},
    FindCase{"a lone lead byte at the end hides nothing past it", "a\xB0", "\xB0x", 1, false, -1},
    FindCase{"search text longer than what remains", "abc", "bcd", 1, false, -1},
    FindCase{"search text longer than the text", "ab", "abc", 1, false, -1},
    FindCase{"empty text", "", "a", 1, false, -1},
    FindCase{"a match overlapping a rejected one", "aab", "ab", 1, false, 2},
    FindCase{"a trail byte equal to a lead byte starts nothing", "\x81\x81x", "\x81x", 1, false,
             -1},
    FindCase{"the same bytes one character later do match", "\x81\x81\x81x", "\x81x", 1, false, 3},
    FindCase{"the match at the very end", "xxxab", "ab", 1, false, 4},
};

TEST(FindInText, FindsAtCharacterStarts) {
  for (const FindCase& c : kFindCases) {
    EXPECT_EQ(FindInText(c.text, c.search, c.start, c.ignoreCase), c.expected) << c.why;
  }
}

struct HostCase {
  const char* address;
  const char* host;
};

const HostCase kHostCases[] = {HostCase{"http://h/a/b", "h"},
                               HostCase{"https://h/x", "h"},
                               HostCase{"h/x", "h"},
                               HostCase{"http://h", "h"},
                               HostCase{"http://h:8080/x", "h:8080"},
                               HostCase{"http://h?x=1", "h?x=1"},
                               HostCase{"a//b//c/d", "b"},
                               HostCase{"HTTP://H/X", "H"},
                               HostCase{"http://", ""},
                               HostCase{"http:///x", ""},
                               HostCase{"", ""},
                               HostCase{"//", ""},
                               HostCase{"http://u:p@h/x", "u:p@h"}};

TEST(HostOf, TakesThePartAfterTheSlashes) {
  for (const HostCase& c : kHostCases) EXPECT_EQ(HostOf(c.address), c.host) << c.address;
}

struct BetweenCase {
  const char* why;
  std::string text;
  std::string start;
  std::string end;
  int startPosition;
  bool caseSensitive;
  std::string expected;
};

const BetweenCase kBetweenCases[] = {
    BetweenCase{"plain", "xx[abc]yy", "[", "]", 0, false, "abc"},
    BetweenCase{"adjacent markers give nothing", "xx[]yy", "[", "]", 0, false, ""},
    BetweenCase{"no end marker", "xx[abc", "[", "]", 0, false, ""},
    BetweenCase{"no start marker", "xx]abc", "[", "]", 0, false, ""},
    BetweenCase{"end marker only counts after the start", "] [a]", "[", "]", 0, false, "a"},
    BetweenCase{"case ignored by default", "A HREF=x>", "a href=", ">", 0, false, "x"},
    BetweenCase{"case kept when asked", "A HREF=x>", "a href=", ">", 0, true, ""},
    BetweenCase{"placeholder stands for a quote", "a\"b\"c", "#引号", "#引号", 0, false, "b"},
    BetweenCase{"placeholder inside a longer marker", "<a href=\"x\">", "href=#引号", "#引号>", 0,
                false, "x"},
    BetweenCase{"placeholder is not replaced in the text", "#引号x#引号", "[", "]", 0, false, ""},
    BetweenCase{"a start position skips the first pair", "[a][b]", "[", "]", 3, false, "b"},
    BetweenCase{"start marker ending at the last byte", "xx[", "[", "]", 0, false, ""},
    BetweenCase{"end marker right after the start marker at the end", "xx[]", "[", "]", 0, false,
                ""},
    BetweenCase{"empty text", "", "[", "]", 0, false, ""},
    BetweenCase{"two-byte characters in the cut stay whole", "[\xD6\xD0\xCE\xC4]", "[", "]", 0,
                false, "\xD6\xD0\xCE\xC4"},
    BetweenCase{"a marker hidden behind a lead byte is skipped", "\xB0[a][b]", "[", "]", 0, false,
                "b"},
};

TEST(TextBetween, CutsBetweenMarkers) {
  for (const BetweenCase& c : kBetweenCases) {
    EXPECT_EQ(TextBetween(c.text, c.start, c.end, c.startPosition, c.caseSensitive), c.expected)
        << c.why;
  }
}

TEST(TextBetween, QuotePlaceholderIsTheCodePage936Bytes) {
  // The source is UTF-8; the build must turn the literal into code page 936.
  EXPECT_EQ(std::string("#引号"), std::string("\x23\xD2\xFD\xBA\xC5"));
}

TEST(TextBetween, PlaceholderReplacementStepsByCharacters) {
  // "\xA3#" is one two-byte character whose trail byte is '#': the
  // placeholder that seems to start there is not one.
  const std::string marker = std::string("\xA3") + "#引号";
  EXPECT_EQ(TextBetween(std::string("x\xA3#引号y]"), marker, "]"), "y");
  EXPECT_EQ(TextBetween(std::string("x\xA3\"y]"), marker, "]"), "");
}

TEST(TextBetween, ArgumentsAreLeftUnchanged) {
  const std::string text = "a\"b\"c";
  const std::string marker = "#引号";
  TextBetween(text, marker, marker);
  EXPECT_EQ(text, "a\"b\"c");
  EXPECT_EQ(marker, "\x23\xD2\xFD\xBA\xC5");
}

TEST(TextBetween, LongHostilePageIsScannedToTheEnd) {
  // Almost-matches at every position: a quadratic search would crawl here;
  // this checks the result, the benchmark shows the speed.
  std::string page;
  for (int i = 0; i < 20000; ++i) page += "<tr>\r\n\t\t\t\t<td>";
  page += "<tr>\r\n\t\t\t\t\t<td>found";
  EXPECT_EQ(TextBetween(page, "<tr>\r\n\t\t\t\t\t<td>", "d"), "foun");
}

}  // namespace
}  // namespace quorlin
