// Text scanning shared by the resolver and the skin deployment.
//
// Texts are bytes in code page 936. Positions are 1-based byte indexes and -1
// means "not found". Searching steps character by character: a byte of 0x80
// or above starts a two-byte character, and a match may begin only at the
// first byte of a character. Ignoring case folds the ASCII capitals only,
// wherever they stand (trail bytes included).
#pragma once

#include <string>
#include <string_view>

namespace quorlin {

// Position of the first occurrence of searchText whose first byte lies at or
// after startPosition (below 1 counts as 1), or -1.
int FindInText(std::string_view text, std::string_view searchText, int startPosition,
               bool ignoreCase);

// The part after the first "//" (or the whole address) up to its first "/".
std::string HostOf(std::string_view address);

// The text between the first startMarker at or after startPosition and the
// first endMarker after it; empty when either is missing. In both markers
// "#引号" stands for a double quote.
std::string TextBetween(std::string_view text, std::string_view startMarker,
                        std::string_view endMarker, int startPosition = 0,
                        bool caseSensitive = false);

}  // namespace quorlin
