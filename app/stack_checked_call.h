// The machine-level half of CallRemovingArguments.
#pragma once

#include <windows.h>

#include <cstdint>

namespace quorlin {

// Copies `wordCount` words onto the stack, calls `function`, and stores in
// `*stackMismatch` whether the stack pointer afterwards differs from where a
// function that removes its own arguments leaves it. The stack is put right
// either way. Returns EDX:EAX as the function left them.
std::uint64_t CallWithStackImage(FARPROC function, const std::uint32_t* words,
                                 std::uint32_t wordCount, int* stackMismatch);

}  // namespace quorlin
