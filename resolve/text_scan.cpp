#include "text_scan.h"

#include <climits>
#include <cstddef>
#include <vector>

namespace quorlin {
namespace {

// "#引号" in code page 936.
constexpr std::string_view kQuotePlaceholder = "#引号";

constexpr bool StartsTwoByteCharacter(unsigned char byte) { return byte >= 0x80; }

constexpr unsigned char Fold(unsigned char byte, bool ignoreCase) {
  return (ignoreCase && byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + 0x20)
                                                    : byte;
}

// Knuth-Morris-Pratt over folded bytes finds every occurrence in increasing
// order in linear time; a second cursor walks the character starts forward so
// that each occurrence can be checked for beginning at one. Both only move
// forward, so the whole search stays linear whatever the page holds.
class Matcher {
 public:
  Matcher(std::string_view pattern, bool ignoreCase)
      : pattern_(pattern), ignoreCase_(ignoreCase), failure_(pattern.size()) {
    std::size_t k = 0;
    for (std::size_t i = 1; i < pattern_.size(); ++i) {
      while (k > 0 && At(pattern_, i) != At(pattern_, k)) k = failure_[k - 1];
      if (At(pattern_, i) == At(pattern_, k)) ++k;
      failure_[i] = k;
    }
  }

  // Zero-based index of the first match starting at a character start at or
  // after `from`, which must itself be a character start; npos if none.
  std::size_t FindFrom(std::string_view text, std::size_t from) const {
    const std::size_t m = pattern_.size();
    std::size_t characterStart = from;
    std::size_t matched = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
      const unsigned char byte = At(text, i);
      while (matched > 0 && byte != At(pattern_, matched)) matched = failure_[matched - 1];
      if (byte == At(pattern_, matched)) ++matched;
      if (matched < m) continue;
      const std::size_t start = i + 1 - m;
      while (characterStart < start) {
        characterStart +=
            StartsTwoByteCharacter(static_cast<unsigned char>(text[characterStart])) ? 2 : 1;
      }
      if (characterStart == start) return start;
      matched = failure_[m - 1];
    }
    return std::string_view::npos;
  }

 private:
  unsigned char At(std::string_view s, std::size_t i) const {
    return Fold(static_cast<unsigned char>(s[i]), ignoreCase_);
  }

  std::string_view pattern_;
  bool ignoreCase_;
  std::vector<std::size_t> failure_;
};

std::string ReplaceQuotePlaceholder(std::string_view marker) {
  std::string result;
  result.reserve(marker.size());
  std::size_t i = 0;
  while (i < marker.size()) {
    if (marker.substr(i, kQuotePlaceholder.size()) == kQuotePlaceholder) {
      result += '"';
      i += kQuotePlaceholder.size();
      continue;
    }
    const std::size_t width = StartsTwoByteCharacter(static_cast<unsigned char>(marker[i])) ? 2 : 1;
    result += marker.substr(i, width);
    i += width;
  }
  return result;
}

}  // namespace

int FindInText(std::string_view text, std::string_view searchText, int startPosition,
               bool ignoreCase) {
  const std::size_t n = text.size();
  const std::size_t first = startPosition < 1 ? 0 : static_cast<std::size_t>(startPosition) - 1;
  if (first >= n) return -1;
  // Positions are ints; a text past 2 GiB cannot name them.
  if (n > static_cast<std::size_t>(INT_MAX)) return -1;

  // A start position in the middle of a two-byte character still counts from
  // there: the search steps by characters from the candidate it is given.
  if (searchText.empty()) return static_cast<int>(first) + 1;
  if (searchText.size() > n - first) return -1;
  const std::size_t found = Matcher(searchText, ignoreCase).FindFrom(text, first);
  return found == std::string_view::npos ? -1 : static_cast<int>(found) + 1;
}

std::string HostOf(std::string_view address) {
  const int slashes = FindInText(address, "//", 1, false);
  const std::string_view rest =
      slashes == -1 ? address : address.substr(static_cast<std::size_t>(slashes) + 1);
  const int slash = FindInText(rest, "/", 1, false);
  return std::string(slash == -1 ? rest : rest.substr(0, static_cast<std::size_t>(slash) - 1));
}

std::string TextBetween(std::string_view text, std::string_view startMarker,
                        std::string_view endMarker, int startPosition, bool caseSensitive) {
  const std::string start = ReplaceQuotePlaceholder(startMarker);
  const std::string end = ReplaceQuotePlaceholder(endMarker);
  const bool ignoreCase = !caseSensitive;

  const int found = FindInText(text, start, startPosition, ignoreCase);
  if (found == -1) return {};
  const std::size_t d = static_cast<std::size_t>(found) + start.size();
  if (d > static_cast<std::size_t>(INT_MAX)) return {};
  const int e = FindInText(text, end, static_cast<int>(d), ignoreCase);
  if (e == -1) return {};
  return std::string(text.substr(d - 1, static_cast<std::size_t>(e) - d));
}

}  // namespace quorlin
