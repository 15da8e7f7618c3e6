// The only assembly of the program. A compiler call would hide exactly what
// we need to see: how far the called function moved the stack pointer.
#include "bound_function.h"
#include "fatal_stop.h"
#include "stack_checked_call.h"

namespace quorlin {

// cdecl on i686: [EBP+8] function, [EBP+12] words, [EBP+16] wordCount,
// [EBP+20] stackMismatch, once EBP is set up. The result goes back in EDX:EAX.
__attribute__((naked)) std::uint64_t CallWithStackImage(FARPROC, const std::uint32_t*,
                                                        std::uint32_t, int*) {
  asm(
      // The registers the caller expects back (EBX, ESI, EDI, EBP).
      "pushl %ebp\n\t"
      "movl %esp, %ebp\n\t"
      "pushl %ebx\n\t"
      "pushl %esi\n\t"
      "pushl %edi\n\t"
      // A gap, so that a function that removes more than it was given, or
      // writes past its arguments, lands in it and not on the saved registers.
      "subl $16, %esp\n\t"
      // EBX (kept by every called function) remembers where ESP must be again
      // once a function that removes its own arguments has returned.
      "movl %esp, %ebx\n\t"
      // Lay the argument words onto the stack, first word lowest.
      "movl 16(%ebp), %ecx\n\t"
      "movl 12(%ebp), %esi\n\t"
      "leal (,%ecx,4), %eax\n\t"
      "subl %eax, %esp\n\t"
      "movl %esp, %edi\n\t"
      "cld\n\t"
      "rep movsl\n\t"
      "call *8(%ebp)\n\t"
      // EDX:EAX hold the result: compare with ECX and EDI only.
      "xorl %ecx, %ecx\n\t"
      "cmpl %ebx, %esp\n\t"
      "setne %cl\n\t"
      "movl %ebx, %esp\n\t"
      "movl 20(%ebp), %edi\n\t"
      "movl %ecx, (%edi)\n\t"
      "addl $16, %esp\n\t"
      "popl %edi\n\t"
      "popl %esi\n\t"
      "popl %ebx\n\t"
      "popl %ebp\n\t"
      "ret\n\t");
}

std::uint64_t CallRemovingArguments(FARPROC function, const std::uint32_t* words,
                                    std::size_t wordCount) {
  int stackMismatch = 0;
  const std::uint64_t registers =
      CallWithStackImage(function, words, static_cast<std::uint32_t>(wordCount), &stackMismatch);
  if (stackMismatch) FatalStop(kStackErrorMessage, kStackErrorNumber);
  return registers;
}

}  // namespace quorlin
