// A stand-in for the engine in the deployment tests. Its SkinH_AttachRes
// writes what it was given to "attach-record.txt" beside the DLL, so a test
// can tell that this file, not a freshly written engine, was loaded, and what
// the program handed over. Built a second time, for 32-bit x86 only, with the
// C calling convention: it then leaves its arguments on the stack.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#ifdef QUORLIN_LEAVE_ARGUMENTS
#define QUORLIN_ATTACH_CONVENTION __cdecl
#else
#define QUORLIN_ATTACH_CONVENTION __stdcall
#endif

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueFile = std::unique_ptr<void, HandleCloser>;

std::string RecordPath() {
  HMODULE self = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&RecordPath), &self);
  char path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameA(self, path, sizeof path);
  const std::string module(path, length);
  return module.substr(0, module.find_last_of('\\')) + "\\attach-record.txt";
}

}  // namespace

extern "C" __declspec(dllexport) int QUORLIN_ATTACH_CONVENTION
    SkinH_AttachRes(const unsigned char* skin, int length, const char* text, int first, int second,
                    int third) {
  char magic[5] = "null";
  if (skin != nullptr && length >= 4) std::memcpy(magic, skin, 4);
  char record[512];
  const int size =
      std::snprintf(record, sizeof record, "length=%d magic=%s text=[%s] ints=%d,%d,%d", length,
                    magic, text != nullptr ? text : "(null)", first, second, third);
  const UniqueFile file(CreateFileA(RecordPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  WriteFile(file.get(), record, static_cast<DWORD>(size), &written, nullptr);
  return 0;
}
