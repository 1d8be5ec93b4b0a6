# Sources of menulink/registry. Core: no <windows.h>, also built natively.
list(APPEND ML_REGISTRY_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/record_text.cpp
)
list(APPEND ML_REGISTRY_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/dll_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/persistence.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry_keys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/internals.cpp
)
