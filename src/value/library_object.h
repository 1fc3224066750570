// How the library's objects are made and held: made without letting an
// exception out, released by their one owner, never copied.
#ifndef PMSNMP_VALUE_LIBRARY_OBJECT_H
#define PMSNMP_VALUE_LIBRARY_OBJECT_H

#include <new>
#include <utility>

#include <pmsnmp/types.h>

// A new T; *status 0, or -3 and null when memory runs out, as every factory
// of the interface reports it.
template <class T, class... Args>
T* pmc_new_object(pmc_long* status, Args&&... args) {
    T* object = new (std::nothrow) T(std::forward<Args>(args)...);
    if (status != nullptr) *status = object != nullptr ? PMC_S_OK : PMC_E_NO_MEMORY;
    return object;
}

// A private base of an object that owns what it points to: a copy would
// release it twice.
class PmcNoCopy {
protected:
    PmcNoCopy() = default;
    ~PmcNoCopy() = default;

public:
    PmcNoCopy(const PmcNoCopy&) = delete;
    PmcNoCopy& operator=(const PmcNoCopy&) = delete;
};

#endif
