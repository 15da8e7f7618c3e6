#include <windows.h>

#include <algorithm>
#include <charconv>

#include "fatal_stop.h"
#include "program_runtime.h"
#include "text_scan.h"

namespace quorlin {

void StopText::Append(std::string_view part) {
  const std::size_t count = std::min(part.size(), kCapacity - size_);
  std::copy_n(part.data(), count, bytes_ + size_);
  size_ += count;
  bytes_[size_] = '\0';
}

void StopText::AppendNumber(unsigned long long number) {
  char digits[24];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, number);
  (void)error;  // 24 digits hold any 64-bit number
  Append(std::string_view(digits, end - digits));
}

StopText FillPlaceholders(std::string_view pattern,
                          std::initializer_list<std::string_view> values) {
  StopText text;
  const std::string_view* value = values.begin();
  int from = 1;
  for (int at = FindInText(pattern, "%", from, false); at != -1 && value != values.end();
       at = FindInText(pattern, "%", from, false)) {
    const std::string_view placeholder = pattern.substr(at - 1, 2);
    if (placeholder != "%s" && placeholder != "%d") {
      text.Append(pattern.substr(from - 1, at - from + 1));
      from = at + 1;
      continue;
    }
    text.Append(pattern.substr(from - 1, at - from));
    text.Append(*value++);
    from = at + 2;
  }
  text.Append(pattern.substr(std::min<std::size_t>(from - 1, pattern.size())));
  return text;
}

StopText FatalStopText(std::optional<int> errorNumber, std::string_view message) {
  StopText text;
  text.Append(kFatalStopHeading);
  if (errorNumber) {
    text.Append(kErrorNumberLabel);
    if (*errorNumber < 0) text.Append("-");
    text.AppendNumber(*errorNumber < 0 ? 0ULL - static_cast<unsigned long long>(*errorNumber)
                                       : static_cast<unsigned long long>(*errorNumber));
    text.Append("\r\n\r\n");
  }
  if (!message.empty()) {
    text.Append(kErrorMessageLabel);
    text.Append(message);
    text.Append("\r\n");
  }
  return text;
}

void FatalStop(std::string_view message, std::optional<int> errorNumber) {
  const StopText text = FatalStopText(errorNumber, message);
  MessageBoxA(nullptr, text.CStr(), kFatalStopTitle, MB_ICONERROR);
  ShutDownRuntime();
  ExitProcess(static_cast<UINT>(-1));
}

void StopOutOfMemory(std::size_t bytes) {
  StopText count;
  count.AppendNumber(bytes);
  const StopText message = FillPlaceholders(kOutOfMemoryMessage, {count.View()});
  FatalStop(message.View());
}

}  // namespace quorlin
