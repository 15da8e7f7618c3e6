// Library functions bound by name at their first call rather than imported
// when the program loads, and called with a check that they removed their own
// arguments from the stack, as the Windows API calling convention requires.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace quorlin {

// The address of `function` in `library`, found at the first request and kept
// for every later one. A library name without a drive colon is loaded from the
// run directory first and then by the system's standard search; a name with
// one is loaded from that path. The library stays loaded until
// UnloadBoundLibraries. A library or function that cannot be had makes the
// fatal stop.
FARPROC BoundAddress(const char* library, const char* function);

// Frees the libraries that BoundAddress loaded, the last loaded first.
void UnloadBoundLibraries();

// Calls `function` with the stack arguments `words` (the first argument's
// word at the lowest address) and returns what it left in EDX:EAX. A function
// that did not remove exactly those words makes the fatal stop with error 6.
std::uint64_t CallRemovingArguments(FARPROC function, const std::uint32_t* words,
                                    std::size_t wordCount);

template <typename Signature>
class BoundFunction;

template <typename Result>
constexpr bool kFitsEdxEax = std::is_trivially_copyable_v<Result> && sizeof(Result) <= 8;
template <>
inline constexpr bool kFitsEdxEax<void> = true;

// A function declared with its library, e.g. as a local constant:
//   static constexpr BoundFunction<HRESULT(LPVOID)> kCoInitialize{"ole32", "CoInitialize"};
//   kCoInitialize(nullptr);
template <typename Result, typename... Args>
class BoundFunction<Result(Args...)> {
  static_assert(!std::is_floating_point_v<Result>, "a floating result comes back in ST0");
  static_assert(kFitsEdxEax<Result>, "the result must fit EDX:EAX");
  static_assert((std::is_trivially_copyable_v<Args> && ...), "arguments are copied as bytes");

 public:
  constexpr BoundFunction(const char* library, const char* function)
      : library_(library), function_(function) {}

  Result operator()(Args... args) const {
    const FARPROC address = BoundAddress(library_, function_);
    if constexpr (kCallerRemovesArguments) {
      // x86-64 has one calling convention, and in it the caller removes the
      // arguments: there is no stack to check, and the compiler makes the call.
      // Through void(*)(), the one cast to another function type GCC takes as meant.
      const auto generic = reinterpret_cast<void (*)()>(address);
      return reinterpret_cast<Result(WINAPI*)(Args...)>(generic)(args...);
    } else {
      std::array<std::uint32_t, kWordCount> words{};
      [[maybe_unused]] auto* next = reinterpret_cast<unsigned char*>(words.data());
      ((std::memcpy(next, &args, sizeof(Args)), next += kWordsOf<Args> * 4), ...);
      const std::uint64_t registers = CallRemovingArguments(address, words.data(), words.size());
      if constexpr (!std::is_void_v<Result>) {
        Result result;
        std::memcpy(&result, &registers, sizeof(Result));  // EAX holds the low bytes
        return result;
      }
    }
  }

 private:
  static constexpr bool kCallerRemovesArguments = sizeof(void*) == 8;
  // Each argument takes whole 32-bit stack slots.
  template <typename T>
  static constexpr std::size_t kWordsOf = (sizeof(T) + 3) / 4;
  static constexpr std::size_t kWordCount = (std::size_t{0} + ... + kWordsOf<Args>);

  const char* library_;
  const char* function_;
};

}  // namespace quorlin
