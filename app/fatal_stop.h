// The fatal stop: the one way the program ends on a failure it cannot carry
// on from (a function that cannot be bound, a broken stack after a bound call,
// memory that cannot be had).
#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string_view>

namespace quorlin {

inline constexpr char kFatalStopTitle[] = "错误";
inline constexpr char kFatalStopHeading[] = "运行时出错!\r\n\r\n";
inline constexpr char kErrorNumberLabel[] = "错误代码：";
inline constexpr char kErrorMessageLabel[] = "错误信息：";

inline constexpr int kStackErrorNumber = 6;
inline constexpr char kStackErrorMessage[] = "调用DLL命令后发现堆栈错误";
inline constexpr char kMissingExportMessage[] = "无法找到指定DLL库文件“%s”中的输出命令“%s”";
inline constexpr char kOutOfMemoryMessage[] = "分配 %d 字节内存失败!";

// Text in a fixed buffer: the out-of-memory stop has to build its message
// without asking for memory. Longer texts are cut at the capacity.
class StopText {
 public:
  static constexpr std::size_t kCapacity = 2048;

  void Append(std::string_view part);
  void AppendNumber(unsigned long long number);
  std::string_view View() const { return {bytes_, size_}; }
  const char* CStr() const { return bytes_; }

 private:
  char bytes_[kCapacity + 1] = {};
  std::size_t size_ = 0;
};

// The pattern with each "%s" or "%d" replaced by the next of the values.
StopText FillPlaceholders(std::string_view pattern, std::initializer_list<std::string_view> values);

// The box's text: the heading, then the error number part when there is a
// number, then the message part when the message is not empty.
StopText FatalStopText(std::optional<int> errorNumber, std::string_view message);

// Shows the box, shuts the program down and ends the process with exit code -1.
[[noreturn]] void FatalStop(std::string_view message,
                            std::optional<int> errorNumber = std::nullopt);

// The stop for an allocation of `bytes` that failed; it allocates nothing.
[[noreturn]] void StopOutOfMemory(std::size_t bytes);

}  // namespace quorlin
