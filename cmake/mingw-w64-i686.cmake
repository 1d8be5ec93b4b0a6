# The 32-bit build, tested under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(WQ_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
