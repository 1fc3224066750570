// The C library stands in for the socket library.
#include "net/socket_library.h"

#include "net/socket_api.h"

#include <cerrno>

#include <dlfcn.h>
#include <link.h>

namespace NPmcSocketAPI {
namespace platform {

namespace {

const char* const kLibraryNames[] = {"libc.so.6"};
constexpr int kProcNotFound = 127;
enum BuiltinIndex { kStartupIndex = 0, kCleanupIndex = 1, kLastErrorIndex = 2 };

// The C library has no start-up, clean-up or last-error calls of its own.
int builtin_startup(unsigned short, StartupData*) { return 0; }
int builtin_cleanup() { return 0; }
int builtin_last_error() { return errno; }

// dlsym also searches the libraries this one depends on; like
// GetProcAddress, take only what the library itself exports.
bool exported_by(void* library, void* symbol) {
    link_map* own = nullptr;
    link_map* owner = nullptr;
    Dl_info info;
    return dlinfo(library, RTLD_DI_LINKMAP, &own) == 0 &&
           dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) != 0 &&
           own == owner;
}

}  // namespace

const char* const* library_names(std::size_t* count) {
    *count = sizeof kLibraryNames / sizeof kLibraryNames[0];
    return kLibraryNames;
}

const char* close_name() { return "close"; }  // the C library's namesake
const char* poll_name() { return "poll"; }

void* open_library(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void* find_symbol(void* library, int index, const char* name) {
    void* symbol = dlsym(library, name);
    if (symbol != nullptr && exported_by(library, symbol)) return symbol;
    switch (index) {
        case kStartupIndex: return reinterpret_cast<void*>(&builtin_startup);
        case kCleanupIndex: return reinterpret_cast<void*>(&builtin_cleanup);
        case kLastErrorIndex: return reinterpret_cast<void*>(&builtin_last_error);
        default: return nullptr;
    }
}

// A name dlsym cannot find counts as "procedure not found".
int lookup_error() { return kProcNotFound; }

void close_library(void* library) { dlclose(library); }

bool select_can_watch(PmcSocket handle) { return handle >= 0 && handle < FD_SETSIZE; }

}  // namespace platform
}  // namespace NPmcSocketAPI
