#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

#include "bound_function.h"
#include "program_runtime.h"
#include "skin_deployment.h"
#include "text_scan.h"

namespace quorlin {
namespace {

constexpr char kEngineMark[] = "Eda";
constexpr char kEngineFileName[] = "\\Eda.dll";

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueFile = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// Created or truncated, written whole, closed; a failure anywhere is left to
// the library search that follows.
void WriteEngineLibrary(const std::string& path) {
  const UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  WriteFile(file.get(), kCarriedEngine, static_cast<DWORD>(kCarriedEngine_size), &written, nullptr);
}

}  // namespace

void ApplyEmbeddedSkin(std::span<const unsigned char> skin, int first, int second, int third) {
  static constexpr BoundFunction<int(const unsigned char*, int, const char*, int, int, int)>
      kSkinAttachRes{"Eda.dll", "SkinH_AttachRes"};
  // Where the path holds "Eda" nothing is written: the library search then
  // finds whatever "Eda.dll" there is, or the fatal stop follows.
  const std::string directory = RunDirectory();
  if (FindInText(directory, kEngineMark, 1, false) == -1) {
    WriteEngineLibrary(directory + kEngineFileName);
  }
  kSkinAttachRes(skin.data(), static_cast<int>(skin.size()), "", first, second, third);
}

void OnMainWindowCreated() { ApplyEmbeddedSkin({kCarriedSkin, kCarriedSkin_size}, 0, 0, 0); }

}  // namespace quorlin
