# Cross-builds the system code (work/, comm/, and app/ as far as compiling)
# for 64-bit Windows with Debian's MinGW-w64, against the real Win32 headers
# and libraries, and runs its tests under Wine:
#   cmake -S . -B build/windows -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake
#   cmake --build build/windows && ctest --test-dir build/windows
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTRIX_MINGW_TRIPLE x86_64-w64-mingw32)
# The POSIX thread model: the tests' std::thread and std::mutex need it.
set(CMAKE_C_COMPILER ${KESTRIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRIX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTRIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs carry their C and C++ runtimes, so Wine needs no MinGW DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs (and CTest's test discovery) run through Wine, in the
# prefix the wrapper keeps ready.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine_run.sh)
