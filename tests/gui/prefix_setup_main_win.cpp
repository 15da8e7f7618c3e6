// Prepares a Wine prefix for looking at the window (scripts/screenshot.sh):
// the Chinese captions legible. Exit status 0 when the registry took it.
#include "prefix_setup_win.h"

int main() { return quorlin::test::MapGuiFontsToCjkFont() ? 0 : 1; }
