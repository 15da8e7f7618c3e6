// Giving MainWindow its skin.
#pragma once

namespace quorlin {

// The handler of MainWindow's created event: runs once, after the window and
// its controls exist and before the window is first shown.
void OnMainWindowCreated();

}  // namespace quorlin
