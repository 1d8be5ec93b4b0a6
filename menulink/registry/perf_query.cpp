// Process names from the performance data of Windows NT.

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "menulink/registry/perf_data.h"
#include "menulink/registry/running_apps.h"

namespace {

const char kPerflibKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Perflib\\009";
// The data of one object can be large; past this something is wrong.
constexpr DWORD kMaxPerfData = 64u << 20;

}  // namespace

int32_t PerfFindCounterIndex(const char *counterName, char *indexOut, bool *found) {
    if (found) *found = false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPerflibKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD type = 0, size = 0;
    int32_t ok = 0;
    if (RegQueryValueExA(key, "Counters", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        HANDLE heap = GetProcessHeap();
        // Two spare zero bytes end the list even if the value lacks them.
        char *list = static_cast<char *>(HeapAlloc(heap, HEAP_ZERO_MEMORY, size + 2));
        if (list) {
            DWORD got = size;
            if (RegQueryValueExA(key, "Counters", nullptr, &type, reinterpret_cast<BYTE *>(list), &got) ==
                    ERROR_SUCCESS &&
                got <= size) {
                ok = 1;
                bool hit = PerfCounterListFind(list, got, counterName, indexOut, 16);
                if (found) *found = hit;
            }
            HeapFree(heap, 0, list);
        }
    }
    RegCloseKey(key);
    return ok;
}

int32_t PerfFindProcessNameEx(DWORD pid, char *name, bool *noProcessData) {
    if (name) name[0] = '\0';
    if (noProcessData) *noProcessData = true;
    char processIndex[16] = "", idIndex[16] = "";
    bool haveProcess = false, haveId = false;
    if (!PerfFindCounterIndex("Process", processIndex, &haveProcess) || !haveProcess) return 0;
    if (!PerfFindCounterIndex("ID Process", idIndex, &haveId) || !haveId) return 0;

    HANDLE heap = GetProcessHeap();
    DWORD capacity = 12000;
    BYTE *data = static_cast<BYTE *>(HeapAlloc(heap, HEAP_ZERO_MEMORY, capacity));
    if (!data) return 0;
    DWORD size = capacity, type = 0;
    LONG r;
    while ((r = RegQueryValueExA(HKEY_PERFORMANCE_DATA, processIndex, nullptr, &type, data, &size)) ==
           ERROR_MORE_DATA) {
        // Grown by half each round: the Process object of a busy system is
        // hundreds of kilobytes, and each query rebuilds it.
        if (capacity >= kMaxPerfData) break;
        DWORD grown = capacity + (capacity / 2 > 1000 ? capacity / 2 : 1000);
        BYTE *bigger = static_cast<BYTE *>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, data, grown));
        if (!bigger) break;
        data = bigger;
        capacity = grown;
        size = capacity;
    }
    int32_t matched = 0;
    if (r == ERROR_SUCCESS && size <= capacity) {
        PerfInstanceName where;
        PerfLookup lookup = PerfFindProcessInBlock(data, size, (uint32_t)strtoul(processIndex, nullptr, 10),
                                                   (uint32_t)strtoul(idIndex, nullptr, 10), pid, &where);
        if (lookup != PerfLookup::NoProcess && noProcessData) *noProcessData = false;
        if (lookup == PerfLookup::Found && name) {
            // Copied out first: the name need not be aligned in the block.
            WCHAR wide[64];
            std::size_t units = where.units < 63 ? where.units : 63;
            memcpy(wide, data + where.offset, units * sizeof(WCHAR));
            int n = WideCharToMultiByte(CP_ACP, 0, wide, (int)units, name, 63, nullptr, nullptr);
            name[n > 0 ? n : 0] = '\0';
            matched = 1;
        }
    }
    HeapFree(heap, 0, data);
    RegCloseKey(HKEY_PERFORMANCE_DATA);
    return matched;
}

int32_t PerfFindProcessName(DWORD pid, char *name) { return PerfFindProcessNameEx(pid, name, nullptr); }
