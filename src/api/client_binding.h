// One variable binding as a caller of the client layer sees it: the
// identifier, the SMI kind and the value copied out of the library's
// objects, so that no library object needs to stay alive.
#ifndef PMSNMP_API_CLIENT_BINDING_H
#define PMSNMP_API_CLIENT_BINDING_H

#include <cstdint>
#include <string>
#include <vector>

#include <pmsnmp/types.h>

#include "api/client_oid.h"

class IPmsVarBind;

namespace NPmcClient {

struct Binding {
    Oid oid;
    pmc_long type = PMS_TYPE_NULL;
    // INTEGER, Counter32, Gauge32, TimeTicks; a Counter64 keeps its 64 bits
    // here and is read back as unsigned.
    std::int64_t number = 0;
    std::string octets;     // OCTET STRING, Opaque, IpAddress (raw octets)
    Oid oid_value;          // OBJECT IDENTIFIER values

    // True for noSuchObject, noSuchInstance and endOfMibView: the agent
    // lacks the object, which is not an error.
    bool is_absent() const;
    bool is_numeric() const;
};

using Bindings = std::vector<Binding>;

// The copy of source; name, when given, holds the arcs of its identifier
// already read.
Binding binding_of(const IPmsVarBind* source);
Binding binding_of(const IPmsVarBind* source, Oid name);

}  // namespace NPmcClient

#endif
