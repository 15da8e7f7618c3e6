#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bound_function.h"
#include "fatal_stop.h"
#include "program_runtime.h"
#include "text_scan.h"

namespace quorlin {
namespace {

struct ModuleUnloader {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleUnloader>;

struct BoundLibrary {
  std::string name;  // as declared: "ole32" and "Ole32" are two entries
  UniqueModule module;
  std::vector<std::pair<std::string, FARPROC>> functions;
};

// The program's one piece of process state: the libraries loaded for
// functions bound by name, each with the functions found in it so far. One
// thread uses it.
std::vector<BoundLibrary>& BoundLibraries() {
  static std::vector<BoundLibrary> libraries;
  return libraries;
}

HMODULE LoadBoundLibrary(const std::string& name) {
  if (FindInText(name, ":", 1, false) == -1) {
    if (HMODULE module = LoadLibraryA((RunDirectory() + "\\" + name).c_str())) return module;
  }
  return LoadLibraryA(name.c_str());
}

[[noreturn]] void StopMissingExport(const char* library, const char* function) {
  FatalStop(FillPlaceholders(kMissingExportMessage, {library, function}).View());
}

BoundLibrary& FindOrLoadLibrary(const char* library) {
  std::vector<BoundLibrary>& libraries = BoundLibraries();
  for (BoundLibrary& loaded : libraries) {
    if (loaded.name == library) return loaded;
  }
  return libraries.emplace_back(BoundLibrary{library, UniqueModule(LoadBoundLibrary(library)), {}});
}

}  // namespace

FARPROC BoundAddress(const char* library, const char* function) {
  BoundLibrary& bound = FindOrLoadLibrary(library);
  for (const auto& [name, address] : bound.functions) {
    if (name == function) return address;
  }
  // A library that did not load is kept as an empty entry: the stop ends the
  // program anyway.
  FARPROC address = bound.module ? GetProcAddress(bound.module.get(), function) : nullptr;
  if (!address) StopMissingExport(library, function);
  bound.functions.emplace_back(function, address);
  return address;
}

void UnloadBoundLibraries() {
  std::vector<BoundLibrary>& libraries = BoundLibraries();
  while (!libraries.empty()) libraries.pop_back();
}

}  // namespace quorlin
