// Matching of interface identifier texts, and the query_interface every
// logging object shares.
#ifndef PMSNMP_LOG_IID_H
#define PMSNMP_LOG_IID_H

#include <cstring>

#include <pmsnmp/types.h>

inline bool pmc_log_iid_is(const char* iid, const char* known) {
    return std::strcmp(iid, known) == 0;
}

// Hands out view with a new reference when accepted(iid) holds; -2 for a
// missing argument, -4 for an iid the object does not answer (then *out is
// null).
template <class View, class Accepts>
pmc_long pmc_log_query(View* view, const char* iid, void** out, Accepts accepted) {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    *out = nullptr;
    if (iid == nullptr) return PMC_E_INVALID_ARG;
    if (!accepted(iid)) return PMC_E_NO_INTERFACE;
    view->add_ref();
    *out = view;
    return PMC_S_OK;
}

#endif
