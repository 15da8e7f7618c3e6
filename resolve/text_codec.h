// Conversions between the core's narrow text (code page 936) and the
// encodings found on the wire and in terminals. Builds without the Windows
// conversion functions use these.
#pragma once

#include <string>
#include <string_view>

namespace quorlin {

// A response body as narrow text: decoded by the charset of its Content-Type,
// else by its byte-order mark, else as UTF-8 where the whole body is valid
// UTF-8, else taken as code page 936 bytes already. Characters that code page
// 936 lacks become '?'. The text ends at the first NUL character.
std::string NarrowPageText(std::string_view body, std::string_view contentType);

// Text in the encoding `from` re-encoded to `to` (iconv names); an invalid or
// unrepresentable character becomes '?'. Returns the input unchanged when
// either encoding is unknown or the text is plain ASCII.
std::string ConvertText(std::string_view text, const char* from, const char* to);

// The charset parameter of a Content-Type value, lower-cased and unquoted;
// empty when there is none.
std::string CharsetOf(std::string_view contentType);

}  // namespace quorlin
