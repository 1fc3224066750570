/// \file
/// RAII for pmsnmp objects: a unique_ptr whose deleter calls release().
#ifndef PMSNMP_OWNED_H
#define PMSNMP_OWNED_H

#include <memory>

namespace pmc {

/// The deleter of Owned: release() instead of delete.
struct Releaser {
    /// Releases object; null is allowed.
    template <class T>
    void operator()(T* object) const noexcept {
        if (object != nullptr) object->release();
    }
};

/// Owns one pmsnmp object and releases it at the end of its scope:
/// `pmc::Owned<IPmcGetData> data(pmc_create_get_data(nullptr));`
template <class T>
using Owned = std::unique_ptr<T, Releaser>;

}  // namespace pmc

#endif
