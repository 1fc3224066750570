// Winsock 2, else Winsock 1.1, loaded at run time.
#include "net/socket_library.h"

#include <windows.h>

namespace NPmcSocketAPI {
namespace platform {

namespace {
const char* const kLibraryNames[] = {"ws2_32.dll", "wsock32.dll"};
}  // namespace

const char* const* library_names(std::size_t* count) {
    *count = sizeof kLibraryNames / sizeof kLibraryNames[0];
    return kLibraryNames;
}

const char* close_name() { return "closesocket"; }
const char* poll_name() { return "WSAPoll"; }

void* open_library(const char* name) {
    HMODULE module = LoadLibraryA(name);
    if (module == nullptr) module = LoadLibraryExA(name, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return reinterpret_cast<void*>(module);
}

void* find_symbol(void* library, int, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

int lookup_error() { return static_cast<int>(GetLastError()); }

void close_library(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

bool select_can_watch(PmcSocket handle) { return handle != PMC_INVALID_SOCKET; }

}  // namespace platform
}  // namespace NPmcSocketAPI
