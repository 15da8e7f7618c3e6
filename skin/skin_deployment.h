// Giving MainWindow its skin: the engine library and the skin are carried in
// the program as constant byte blocks; the engine is written out as "Eda.dll"
// beside the program and the skin attached through it.
#pragma once

#include <cstddef>
#include <span>

namespace quorlin {

// The carried blocks, generated at build time from the built engine and skin.
extern const unsigned char kCarriedEngine[];
extern const std::size_t kCarriedEngine_size;
extern const unsigned char kCarriedSkin[];
extern const std::size_t kCarriedSkin_size;

// Writes the engine to the run directory as "Eda.dll" unless the directory's
// path holds "Eda", then attaches `skin` through the engine's SkinH_AttachRes,
// bound by name from "Eda.dll". An empty span goes on as a null pointer with
// length 0; the three integers go on unchanged. Nothing is examined: a file
// that cannot be written leaves whichever "Eda.dll" the library search finds,
// and none is the fatal stop.
void ApplyEmbeddedSkin(std::span<const unsigned char> skin, int first, int second, int third);

// The handler of MainWindow's created event: runs once, after the window and
// its controls exist and before the window is first shown.
void OnMainWindowCreated();

}  // namespace quorlin
