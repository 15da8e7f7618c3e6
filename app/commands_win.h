// The two commands behind MainWindow's buttons.
#pragma once

#include <windows.h>

namespace quorlin {

// 解析: resolves 编辑框1's address; shows the second resolution in 编辑框2
// and hands the first to the shell's "open".
void OnResolveClicked(HWND window);

// 解析3: hands 编辑框2's text to the shell's "open" again.
void OnOpenClicked(HWND window);

}  // namespace quorlin
