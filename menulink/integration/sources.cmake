# menulink/integration, the upper layer: the library's entry point, the hook,
# the subclassed window's menus, the OCR client and the acquire runs. It
# uses menulink/registry, never the other way round. CORE = no <windows.h>.
ml_sources(ML_INTEGRATION_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR} menu_text ocr_format acquire_rules listing_answer)
ml_sources(ML_INTEGRATION_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}
  dll_main menu_items hook subclass ocr_invoke ocr_client acquire acquire_internals wide_host_folder)
list(APPEND ML_WIN_LIBS ole32 oleaut32 uuid)
