# The 64-bit build, tested under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(WQ_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
