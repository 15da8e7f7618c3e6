// The program's start and end as far as the platform is concerned: OLE on the
// user-interface thread, and the libraries loaded for functions bound by name.
#pragma once

#include <string>

namespace quorlin {

// Initialises the calling thread for OLE (a single-threaded apartment). The
// page fetcher counts on it: it releases its request object after its own
// CoUninitialize.
void StartRuntime();

// Unloads every library bound by name, then uninitialises OLE. Both the
// normal end and the fatal stop end with it.
void ShutDownRuntime();

// StartRuntime for as long as it lives; for programs that end by returning.
class RuntimeSession {
 public:
  RuntimeSession() { StartRuntime(); }
  ~RuntimeSession() { ShutDownRuntime(); }
  RuntimeSession(const RuntimeSession&) = delete;
  RuntimeSession& operator=(const RuntimeSession&) = delete;
};

// The directory of the program's executable file, without a trailing
// backslash.
std::string RunDirectory();

}  // namespace quorlin
