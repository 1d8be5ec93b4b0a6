# Sources of menulink/integration. Everyone appends their own lines below
# (list(APPEND ...)); CORE = no <windows.h>, also built natively for tests.
list(APPEND ML_INTEGRATION_CORE_SOURCES
)
list(APPEND ML_INTEGRATION_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/string_table.rc
  ${CMAKE_CURRENT_LIST_DIR}/ui_language.cpp
  ${CMAKE_CURRENT_LIST_DIR}/error_messages.cpp
)
# System libraries the DLL links (append yours).
list(APPEND ML_WIN_LIBS user32 advapi32 kernel32)
# Menus, hook and subclassing.
list(APPEND ML_INTEGRATION_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/menu_text.cpp)
list(APPEND ML_INTEGRATION_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/menu_items.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/subclass.cpp
)
list(APPEND ML_WIN_LIBS version)
# Automation client and the acquire runs.
list(APPEND ML_INTEGRATION_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ocr_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/acquire_codes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/acquire_poll.cpp
)
list(APPEND ML_INTEGRATION_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ocr_invoke.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ocr_client.cpp
  ${CMAKE_CURRENT_LIST_DIR}/acquire_server.cpp
  ${CMAKE_CURRENT_LIST_DIR}/acquire_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/acquire_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/acquire_paste.cpp
  ${CMAKE_CURRENT_LIST_DIR}/acquire_internals.cpp
)
list(APPEND ML_WIN_LIBS ole32 oleaut32 uuid)
