# What the two mingw-w64 toolchain files share; they set QUORLIN_MINGW_PREFIX
# and CMAKE_SYSTEM_PROCESSOR first. The posix thread model is the one whose
# libstdc++ has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${QUORLIN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUORLIN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUORLIN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUORLIN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No runtime DLL beside the program: libgcc, libstdc++ and winpthread go in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--nxcompat -Wl,--dynamicbase")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
