// Base of every logging object, and the identifiers its query_interface
// answers to.
#ifndef PMSNMP_LOG_OBJECT_H
#define PMSNMP_LOG_OBJECT_H

#include <pmsnmp/types.h>

// Interface identifiers of the logging objects.
constexpr const char* PMC_IID_LOG_OBJECT = "da74598a-9178-43c9-86c6-cee9988f1b7f";
constexpr const char* PMC_IID_LOG_LINE_WRITER = "13102460-7602-11d5-82f1-00e02941dfe1";
constexpr const char* PMC_IID_LOG_FILE_SETTINGS = "2fb9f6c0-7602-11d5-82f1-00e02941dfe1";
constexpr const char* PMC_IID_LOG_SESSION = "a1fc9560-6b6f-11d5-82ea-00e02941dfe1";
constexpr const char* PMC_IID_LOG_SESSION_GROUP = "34430190-6b77-11d5-82ea-00e02941dfe1";
constexpr const char* PMC_IID_LOG_WRITE = "5fe5b960-6b6f-11d5-82ea-00e02941dfe1";
constexpr const char* PMC_IID_LOG_SETTINGS = "d638c730-6b6f-11d5-82ea-00e02941dfe1";

class IPmcLogObject {
public:
    // Puts the object's view for iid into *out with a new reference (the
    // caller releases it); -2 for a missing argument, -4 for an iid the
    // object does not answer (then *out is null).
    virtual pmc_long query_interface(const char* iid, void** out) = 0;
    // Reference counting; the object ends with its last release().
    virtual pmc_ulong add_ref() = 0;
    virtual pmc_ulong release() = 0;

protected:
    ~IPmcLogObject() = default;
};

#endif
