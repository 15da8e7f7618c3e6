#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "text_codec.h"

namespace quorlin {
namespace {

constexpr const char* kNarrowCodePage = "CP936";
constexpr const char* kCodePoints = "UTF-32LE";
constexpr char32_t kReplacementCharacter = 0xFFFD;

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // One step of iconv; returns errno's value, 0 when all input was taken.
  int Step(const char*& in, std::size_t& inLeft, std::string& out) {
    char buffer[4096];
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    // iconv's input is non-const in POSIX's signature but never written.
    char* inPtr = const_cast<char*>(in);
    const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
    const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
    in = inPtr;
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    return error;
  }

 private:
  iconv_t cd_;
};

void AppendCodePoint(std::string& out, char32_t c) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((c >> shift) & 0xFF);
}

// Bytes in `charset` to UTF-32LE code points. Lenient: an invalid sequence
// becomes U+FFFD. Strict: an invalid sequence fails the whole decoding.
bool DecodeToCodePoints(std::string_view bytes, const char* charset, bool lenient,
                        std::string& codePoints) {
  Converter converter(kCodePoints, charset);
  if (!converter.valid()) return false;
  const char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  while (inLeft > 0) {
    const int error = converter.Step(in, inLeft, codePoints);
    if (error == 0 || error == E2BIG) continue;
    if (!lenient) return false;
    AppendCodePoint(codePoints, kReplacementCharacter);
    if (error == EINVAL) break;  // a truncated sequence at the very end
    ++in;
    --inLeft;
  }
  return true;
}

// UTF-32LE code points to `charset`; a character it lacks becomes '?'.
std::string EncodeCodePoints(std::string_view codePoints, const char* charset) {
  Converter converter(charset, kCodePoints);
  std::string out;
  const char* in = codePoints.data();
  std::size_t inLeft = codePoints.size();
  while (inLeft >= 4) {
    const int error = converter.Step(in, inLeft, out);
    if (error == 0 || error == E2BIG) continue;
    out += '?';
    in += 4;
    inLeft -= 4;
  }
  return out;
}

char32_t CodePointAt(std::string_view codePoints, std::size_t index) {
  char32_t c = 0;
  for (int b = 3; b >= 0; --b) {
    c = (c << 8) | static_cast<unsigned char>(codePoints[index * 4 + static_cast<std::size_t>(b)]);
  }
  return c;
}

// Drops a leading byte-order mark and everything from the first NUL on.
std::string_view TrimDecoded(std::string_view codePoints) {
  if (codePoints.size() >= 4 && CodePointAt(codePoints, 0) == 0xFEFF) codePoints.remove_prefix(4);
  for (std::size_t i = 0; i < codePoints.size() / 4; ++i) {
    if (CodePointAt(codePoints, i) == 0) return codePoints.substr(0, i * 4);
  }
  return codePoints;
}

std::string NarrowFrom(std::string_view bytes, const char* charset) {
  std::string codePoints;
  DecodeToCodePoints(bytes, charset, true, codePoints);
  return EncodeCodePoints(TrimDecoded(codePoints), kNarrowCodePage);
}

std::string UpToFirstNul(std::string_view bytes) {
  return std::string(bytes.substr(0, bytes.find('\0')));
}

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Pages that declare a GB2312-family charset are read as code page 936, as
// browsers do: GB2312 labels routinely carry GBK bytes.
bool IsCodePage936Label(std::string_view charset) {
  return charset == "gbk" || charset == "gb2312" || charset == "cp936" || charset == "x-gbk" ||
         charset == "ms936" || charset == "windows-936" || charset == "csgb2312";
}

const char* CharsetOfByteOrderMark(std::string_view body, std::size_t& markLength) {
  struct Mark {
    std::string_view bytes;
    const char* charset;
  };
  static constexpr Mark kMarks[] = {
      {"\xEF\xBB\xBF", "UTF-8"}, {"\xFF\xFE", "UTF-16LE"}, {"\xFE\xFF", "UTF-16BE"}};
  for (const Mark& mark : kMarks) {
    if (body.substr(0, mark.bytes.size()) == mark.bytes) {
      markLength = mark.bytes.size();
      return mark.charset;
    }
  }
  return nullptr;
}

}  // namespace

std::string CharsetOf(std::string_view contentType) {
  std::string lower(contentType);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c; });
  const std::size_t key = lower.find("charset=");
  if (key == std::string::npos) return {};
  std::string value = lower.substr(key + 8);
  value = value.substr(0, value.find(';'));
  const auto isBlankOrQuote = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
  while (!value.empty() && isBlankOrQuote(value.back())) value.pop_back();
  std::size_t first = 0;
  while (first < value.size() && isBlankOrQuote(value[first])) ++first;
  return value.substr(first);
}

std::string NarrowPageText(std::string_view body, std::string_view contentType) {
  const std::string charset = CharsetOf(contentType);
  if (IsCodePage936Label(charset)) return UpToFirstNul(body);
  if (!charset.empty() && Converter(kCodePoints, charset.c_str()).valid()) {
    return NarrowFrom(body, charset.c_str());
  }

  std::size_t markLength = 0;
  if (const char* markCharset = CharsetOfByteOrderMark(body, markLength)) {
    return NarrowFrom(body.substr(markLength), markCharset);
  }

  if (IsAscii(body)) return UpToFirstNul(body);
  std::string codePoints;
  if (DecodeToCodePoints(body, "UTF-8", false, codePoints)) {
    return EncodeCodePoints(TrimDecoded(codePoints), kNarrowCodePage);
  }
  return UpToFirstNul(body);
}

std::string ConvertText(std::string_view text, const char* from, const char* to) {
  if (IsAscii(text)) return std::string(text);
  if (!Converter(kCodePoints, from).valid() || !Converter(to, kCodePoints).valid()) {
    return std::string(text);
  }
  std::string codePoints;
  DecodeToCodePoints(text, from, true, codePoints);
  return EncodeCodePoints(codePoints, to);
}

}  // namespace quorlin
