// SkinH_AttachRes follows the Windows API calling convention on 32-bit x86: it
// removes its six arguments itself. The program checks the stack after the
// call and stops with error 6 when it is not as it was.
#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(SkinEngineAbi, AttachRemovesItsOwnSixArguments) {
  HMODULE engine = LoadLibraryA("Eda.dll");
  ASSERT_NE(engine, nullptr);
  void* attach = reinterpret_cast<void*>(GetProcAddress(engine, "SkinH_AttachRes"));
  ASSERT_NE(attach, nullptr);
  static const char kEmpty[] = "";
  int drift = 0;
  int status = 0;
  // A null skin: refused at once, through the same epilogue as every call.
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "pushl $0\n\t"
      "pushl $0\n\t"
      "pushl $0\n\t"
      "pushl %[text]\n\t"
      "pushl $0\n\t"
      "pushl $0\n\t"
      "call *%%eax\n\t"
      "movl %%esp, %%ecx\n\t"
      "subl %%esi, %%ecx\n\t"
      "movl %%esi, %%esp\n\t"
      : "=c"(drift), "=a"(status)
      : "a"(attach), [text] "r"(kEmpty)
      : "esi", "edx", "memory", "cc");
  EXPECT_EQ(drift, 0) << "bytes left on the stack by the call";
  EXPECT_EQ(status, -1);
  FreeLibrary(engine);
}

}  // namespace
