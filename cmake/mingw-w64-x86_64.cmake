# 64-bit Windows with Debian's mingw-w64: the same sources, for running the
# Windows tests under Wine on kernels that do not run 32-bit programs.
set(QUORLIN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
