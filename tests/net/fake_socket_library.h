// Swaps the loader's table to a stand-in socket library for one test and
// back to the C library afterwards.
#ifndef PMSNMP_TESTS_NET_FAKE_SOCKET_LIBRARY_H
#define PMSNMP_TESTS_NET_FAKE_SOCKET_LIBRARY_H

#include "net/socket_api.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

class FakeSocketLibrary {
public:
    explicit FakeSocketLibrary(const char* path) {
        EXPECT_EQ(NPmcSocketAPI::load(), PMC_S_OK);
        real_ = dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD);
        handle_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(handle_, nullptr) << dlerror();
    }
    ~FakeSocketLibrary() {
        EXPECT_EQ(NPmcSocketAPI::set_api(real_), PMC_S_OK);
        if (handle_ != nullptr) dlclose(handle_);
        if (real_ != nullptr) dlclose(real_);
    }
    FakeSocketLibrary(const FakeSocketLibrary&) = delete;
    FakeSocketLibrary& operator=(const FakeSocketLibrary&) = delete;

    void* handle() const { return handle_; }
    pmc_long install() const { return NPmcSocketAPI::set_api(handle_); }
    // A knob or counter of the library.
    int& knob(const char* name) const { return *static_cast<int*>(dlsym(handle_, name)); }
    void* symbol(const char* name) const { return dlsym(handle_, name); }

private:
    void* real_ = nullptr;
    void* handle_ = nullptr;
};

#endif
