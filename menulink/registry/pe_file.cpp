// The 32-bit image test on a file.

#include <windows.h>

#include "menulink/registry/module_names.h"
#include "menulink/registry/pe_image.h"
#include "menulink/registry/running_apps.h"

int32_t IsWin32Executable(const char *path) {
    if (!path || EqualsIgnoreCase(AfterLastBackslash(path), "ntvdm.exe")) return 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size = {};
    int32_t result = 0;
    // Too short for the header offset: not an image (and an empty file
    // cannot be mapped at all).
    if (GetFileSizeEx(file, &size) && size.QuadPart >= 64) {
        HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping) {
            const void *view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
            if (view) {
                // A view of a file over 4 GB cannot exist in a 32-bit
                // process; only the header is read anyway.
                unsigned long long whole = (unsigned long long)size.QuadPart;
                SIZE_T bytes = whole > (SIZE_T)-1 ? (SIZE_T)-1 : (SIZE_T)whole;
                result = IsPeImageBuffer(static_cast<const uint8_t *>(view), bytes) ? 1 : 0;
                UnmapViewOfFile(view);
            }
            CloseHandle(mapping);
        }
    }
    CloseHandle(file);
    return result;
}
