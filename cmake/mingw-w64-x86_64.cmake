# Cross build for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64-posix: the posix
# thread model, so std::thread and std::mutex work). Programs run here under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_kt73b_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_kt73b_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_kt73b_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_kt73b_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_kt73b_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program stands alone: no DLL of the compiler's runtime next to it. Release programs
# carry no symbol table.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# CTest and the build run our test programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
