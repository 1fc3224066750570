// Matching of interface identifier texts.
#ifndef PMSNMP_LOG_IID_H
#define PMSNMP_LOG_IID_H

#include <cstring>

inline bool pmc_log_iid_is(const char* iid, const char* known) {
    return std::strcmp(iid, known) == 0;
}

#endif
