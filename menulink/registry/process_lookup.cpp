// The process and the executable behind a window.

#include "menulink/registry/process_lookup.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>

#include "common/proc_address.h"
#include "menulink/registry/module_names.h"
#include "menulink/registry/pe_image.h"
#include "menulink/registry/perf_data.h"
#include "menulink/registry/record_text.h"

// The process behind a window through Toolhelp32, looked up by name so that
// the library still loads where KERNEL32 lacks it.

namespace {

// The ANSI entries, whatever UNICODE maps the plain names to.
using ProcessEntry = tagPROCESSENTRY32;
using ModuleEntry = tagMODULEENTRY32;

using SnapshotProc = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkProc = BOOL(WINAPI*)(HANDLE, ProcessEntry*);
using ModuleWalkProc = BOOL(WINAPI*)(HANDLE, ModuleEntry*);

SnapshotProc createSnapshot = nullptr;
ModuleWalkProc module32First = nullptr;
ModuleWalkProc module32Next = nullptr;
ProcessWalkProc process32First = nullptr;
ProcessWalkProc process32Next = nullptr;

bool Loaded() { return createSnapshot && module32First && module32Next && process32First && process32Next; }

// Module entry of pid with the given module id (or the first one, the
// executable, when anyModule is set).
int32_t ToolhelpFindModuleEntry(DWORD pid, DWORD moduleId, bool anyModule, ModuleEntry* out) {
  HANDLE snap = createSnapshot(TH32CS_SNAPMODULE, pid);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  ModuleEntry entry = {};
  entry.dwSize = sizeof entry;
  int32_t found = 0;
  for (BOOL more = module32First(snap, &entry); more; more = module32Next(snap, &entry)) {
    if (anyModule || entry.th32ModuleID == moduleId) {
      *out = entry;
      found = 1;
      break;
    }
    entry.dwSize = sizeof entry;
  }
  CloseHandle(snap);
  return found;
}

// Walks the process snapshot to pid; fills *out and returns true there.
bool FindProcessEntry(DWORD pid, ProcessEntry* out) {
  HANDLE snap = createSnapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return false;
  ProcessEntry entry = {};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = process32First(snap, &entry); more; more = process32Next(snap, &entry)) {
    if (entry.th32ProcessID == pid) {
      *out = entry;
      found = true;
      break;
    }
    entry.dwSize = sizeof entry;
  }
  CloseHandle(snap);
  return found;
}

}  // namespace

int32_t LoadToolhelp() {
  HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
  if (!kernel) return 0;
  createSnapshot = ProcAddress<SnapshotProc>(kernel, "CreateToolhelp32Snapshot");
  module32First = ProcAddress<ModuleWalkProc>(kernel, "Module32First");
  module32Next = ProcAddress<ModuleWalkProc>(kernel, "Module32Next");
  process32First = ProcAddress<ProcessWalkProc>(kernel, "Process32First");
  process32Next = ProcAddress<ProcessWalkProc>(kernel, "Process32Next");
  return Loaded() ? 1 : 0;
}

int32_t ToolhelpFindProcessModule(DWORD pid, char* module, char* path) {
  if (!Loaded()) return 0;
  ProcessEntry process = {};
  if (!FindProcessEntry(pid, &process)) return 1;  // the walk ended without it
  ModuleEntry entry = {};
  if (!ToolhelpFindModuleEntry(pid, process.th32ModuleID, false, &entry)) return 1;
  CopyBounded(module, MAX_PATH, entry.szModule);
  CopyBounded(path, MAX_PATH, entry.szExePath);
  return 1;
}

int32_t ToolhelpFindProcessImage(DWORD pid, char* module, char* path) {
  if (!Loaded() && !LoadToolhelp()) return 0;
  ProcessEntry process = {};
  if (!FindProcessEntry(pid, &process)) return 0;
  // NT lists the file name alone; older systems the whole path.
  const char* name = process.szExeFile;
  for (const char* p = process.szExeFile; *p; ++p)
    if (*p == '\\') name = p + 1;
  CopyBounded(module, MAX_PATH, name);
  ModuleEntry entry = {};
  if (ToolhelpFindModuleEntry(pid, 0, true, &entry)) CopyBounded(path, MAX_PATH, entry.szExePath);
  return module[0] ? 1 : 0;
}

int32_t QueryProcessImage(DWORD pid, char* module, char* path) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return 0;
  char image[MAX_PATH];
  DWORD size = sizeof image;
  BOOL ok = QueryFullProcessImageNameA(process, 0, image, &size);
  CloseHandle(process);
  if (!ok || size == 0 || size >= sizeof image) return 0;
  CopyBounded(module, MAX_PATH, AfterLastBackslash(image));
  CopyBounded(path, MAX_PATH, image);
  return module[0] ? 1 : 0;
}

// Process names from the performance data of Windows NT.

namespace {

const char kPerflibKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Perflib\\009";
// The data of one object can be large; past this something is wrong.
constexpr DWORD kMaxPerfData = 64u << 20;

}  // namespace

int32_t PerfFindCounterIndex(const char* counterName, char* indexOut, bool* found) {
  if (found) *found = false;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPerflibKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD type = 0, size = 0;
  int32_t ok = 0;
  if (RegQueryValueExA(key, "Counters", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0) {
    HANDLE heap = GetProcessHeap();
    // Two spare zero bytes end the list even if the value lacks them.
    char* list = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, size + 2));
    if (list) {
      DWORD got = size;
      if (RegQueryValueExA(key, "Counters", nullptr, &type, reinterpret_cast<BYTE*>(list), &got) ==
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

int32_t PerfFindProcessNameEx(DWORD pid, char* name, bool* noProcessData) {
  if (name) name[0] = '\0';
  if (noProcessData) *noProcessData = true;
  char processIndex[16] = "", idIndex[16] = "";
  bool haveProcess = false, haveId = false;
  if (!PerfFindCounterIndex("Process", processIndex, &haveProcess) || !haveProcess) return 0;
  if (!PerfFindCounterIndex("ID Process", idIndex, &haveId) || !haveId) return 0;

  HANDLE heap = GetProcessHeap();
  DWORD capacity = 12000;
  BYTE* data = static_cast<BYTE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, capacity));
  if (!data) return 0;
  DWORD size = capacity, type = 0;
  LONG r;
  while ((r = RegQueryValueExA(HKEY_PERFORMANCE_DATA, processIndex, nullptr, &type, data, &size)) ==
         ERROR_MORE_DATA) {
    // Grown by half each round: the Process object of a busy system is
    // hundreds of kilobytes, and each query rebuilds it.
    if (capacity >= kMaxPerfData) break;
    DWORD grown = capacity + (capacity / 2 > 1000 ? capacity / 2 : 1000);
    BYTE* bigger = static_cast<BYTE*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, data, grown));
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

int32_t PerfFindProcessName(DWORD pid, char* name) { return PerfFindProcessNameEx(pid, name, nullptr); }

// The 32-bit image test on a file.

int32_t IsWin32Executable(const char* path) {
  if (!path || EqualsIgnoreCase(AfterLastBackslash(path), "ntvdm.exe")) return 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER size = {};
  int32_t result = 0;
  // Too short for the header offset: not an image (and an empty file
  // cannot be mapped at all).
  if (GetFileSizeEx(file, &size) && size.QuadPart >= 64) {
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping) {
      const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
      if (view) {
        // A view of a file over 4 GB cannot exist in a 32-bit
        // process; only the header is read anyway.
        unsigned long long whole = (unsigned long long)size.QuadPart;
        SIZE_T bytes = whole > (SIZE_T)-1 ? (SIZE_T)-1 : (SIZE_T)whole;
        result = IsPeImageBuffer(static_cast<const uint8_t*>(view), bytes) ? 1 : 0;
        UnmapViewOfFile(view);
      }
      CloseHandle(mapping);
    }
  }
  CloseHandle(file);
  return result;
}
