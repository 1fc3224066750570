// RAII for pmsnmp objects: a unique_ptr whose deleter calls release().
#ifndef PMSNMP_OWNED_H
#define PMSNMP_OWNED_H

#include <memory>

namespace pmc {

struct Releaser {
    template <class T>
    void operator()(T* object) const noexcept {
        if (object != nullptr) object->release();
    }
};

template <class T>
using Owned = std::unique_ptr<T, Releaser>;

}  // namespace pmc

#endif
