// The operating system's side of the socket loader: which library to open,
// how to open it, look names up in it and close it.
#ifndef PMSNMP_SOCKET_LIBRARY_H
#define PMSNMP_SOCKET_LIBRARY_H

#include "net/socket_api.h"

#include <cstddef>

namespace NPmcSocketAPI {
namespace platform {

// Library names in the order they are tried.
const char* const* library_names(std::size_t* count);
// The names of the close and poll entries, which differ by system.
const char* close_name();
const char* poll_name();

void* open_library(const char* name);
// The entry of the table at index, looked up as name; may stand in a
// built-in where the library has no such function.
void* find_symbol(void* library, int index, const char* name);
// The error number of the last failed lookup.
int lookup_error();
void close_library(void* library);
// Whether an fd_set can hold the handle: POSIX sets are indexed by the
// descriptor's number, Windows sets list up to FD_SETSIZE handles of any value.
bool select_can_watch(PmcSocket handle);

}  // namespace platform
}  // namespace NPmcSocketAPI

#endif
