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
