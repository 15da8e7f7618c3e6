// The main of the portable test programs on Windows: the thread is set up as
// the program sets it up (OLE initialised for the whole run), since the page
// fetcher releases its request object after its own CoUninitialize and
// counts on that initialisation to keep the apartment open.
#include <gtest/gtest.h>

#include "program_runtime.h"

int main(int argc, char** argv) {
  const quorlin::RuntimeSession runtime;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
