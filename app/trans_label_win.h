// TransLabel: a child window that draws nothing but its text, so that the
// window's face (or the skin's) shows through around the letters.
#pragma once

#include <windows.h>

namespace quorlin {

inline constexpr char kTransLabelClass[] = "TransLabel";

// Registers the class once per process; false when it cannot be registered.
bool RegisterTransLabelClass(HINSTANCE instance);

}  // namespace quorlin
