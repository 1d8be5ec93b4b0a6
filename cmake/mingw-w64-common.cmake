# What the two MinGW-w64 toolchain files share; each sets WQ_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${WQ_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WQ_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${WQ_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${WQ_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run under Wine through the test bed's wrapper, which picks wine64 or
# 32-bit Wine by the program.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/bed/wine-run)
