// The one place the version lives: the version resource and the programs'
// --version both read it.
#pragma once

#define QUORLIN_VERSION_MAJOR 1
#define QUORLIN_VERSION_MINOR 0
#define QUORLIN_VERSION_PATCH 0
#define QUORLIN_VERSION_BUILD 0
#define QUORLIN_VERSION_STRING "1.0.0.0"
