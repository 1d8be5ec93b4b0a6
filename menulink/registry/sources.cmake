# menulink/registry, the lower layer: the shared table and its stores, the
# listing of running applications, the management exports, and the strings
# and messages in the user's language. It includes nothing from
# menulink/integration. CORE = no <windows.h>, also built natively for tests.
ml_sources(ML_REGISTRY_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}
  record_text perf_data pe_image ini_apps module_names)
ml_sources(ML_REGISTRY_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}
  shared_data app_table persistence running_apps process_lookup management_exports
  error_messages internals)
list(APPEND ML_REGISTRY_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/string_table.rc)
list(APPEND ML_WIN_LIBS user32 advapi32 kernel32 version)
