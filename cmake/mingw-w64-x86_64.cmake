# Cross-compiling for 64-bit Windows with mingw-w64 (POSIX threads, for std::thread).
#   cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Dependencies (libjpeg-turbo, FreeType, GoogleTest) are looked up only in the folder
# scripts/windeps builds them into: ORVEL_WINDEPS_DIR, else build/windeps.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT ORVEL_WINDEPS_DIR)
  if(DEFINED ENV{ORVEL_WINDEPS_DIR} AND NOT "$ENV{ORVEL_WINDEPS_DIR}" STREQUAL "")
    set(ORVEL_WINDEPS_DIR "$ENV{ORVEL_WINDEPS_DIR}")
  else()
    get_filename_component(ORVEL_WINDEPS_DIR "${CMAKE_CURRENT_LIST_DIR}/../build/windeps" ABSOLUTE)
  endif()
endif()
set(ORVEL_WINDEPS_DIR "${ORVEL_WINDEPS_DIR}" CACHE PATH "Cross-built dependencies (scripts/windeps)")
# try_compile projects see the toolchain file again; they need the same folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVEL_WINDEPS_DIR)

set(CMAKE_FIND_ROOT_PATH "${ORVEL_WINDEPS_DIR}" /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A program needs only the system's own DLLs: the C++ run time, winpthreads and every
# dependency are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
