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
# Running applications, modules and the management exports.
list(APPEND ML_REGISTRY_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/perf_data.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pe_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ini_apps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/module_names.cpp
)
list(APPEND ML_REGISTRY_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/running_apps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/module_enum.cpp
  ${CMAKE_CURRENT_LIST_DIR}/perf_query.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pe_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/companion16.cpp
  ${CMAKE_CURRENT_LIST_DIR}/management_exports.cpp
)
