// The program that the conventions tests start: it does one thing that may end
// in the fatal stop, so that the test can watch the stop from outside.
//   conventions_child call LIBRARY FUNCTION [preload PATH]
//   conventions_child run-directory
//   conventions_child allocate BYTES
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bound_function.h"
#include "program_runtime.h"

namespace {

int CallBound(int argc, char** argv) {
  if (argc >= 6 && std::string(argv[4]) == "preload") LoadLibraryA(argv[5]);
  const quorlin::BoundFunction<int(int, int)> function{argv[2], argv[3]};
  const int result = function(2, 3);
  std::printf("result %d\n", result);
  std::fflush(stdout);
  return 0;
}

int Allocate(const char* bytes) {
  char* volatile block = new char[std::strtoull(bytes, nullptr, 10)];
  std::printf("allocated %p\n", static_cast<void*>(block));
  delete[] block;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Lines end in "\n" as the probe library's own writes do, not in the C
  // runtime's text-mode CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  const quorlin::RuntimeSession runtime;
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "call" && argc >= 4) return CallBound(argc, argv);
  if (command == "call-twice" && argc >= 4) {
    CallBound(argc, argv);
    return CallBound(argc, argv);
  }
  if (command == "run-directory") {
    std::printf("%s\n", quorlin::RunDirectory().c_str());
    return 0;
  }
  if (command == "allocate" && argc >= 3) return Allocate(argv[2]);
  return 2;
}
