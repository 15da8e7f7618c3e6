// A library for the tests of binding by name. Built twice with a different
// QUORLIN_PROBE_COPY, so a test can tell which copy was loaded.
#include <windows.h>

#include <cstring>

extern "C" {

// Declared the Windows API way: removes its two arguments.
__declspec(dllexport) int __stdcall AddRemovingArguments(int a, int b) { return a + b; }

// The C way: leaves its arguments for the caller, which a caller that expects
// the Windows API convention finds as a stack error.
__declspec(dllexport) int __cdecl AddLeavingArguments(int a, int b) { return a + b; }

__declspec(dllexport) int __stdcall WhichCopy() { return QUORLIN_PROBE_COPY; }

}  // extern "C"

// Tells the test, on the child's standard output, whether the library was
// freed (reserved is null) or merely went down with the process.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH) {
    const char* line = reserved ? "probe: process ended\n" : "probe: unloaded\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(std::strlen(line)),
              &written, nullptr);
  }
  return TRUE;
}
