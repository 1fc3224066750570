#include "session/user_session.h"

// Net-SNMP is not cross-built for Windows yet.
IPmsSession* create_user_session(pmc_long* status) {
    if (status != nullptr) *status = PMC_E_NOT_SUPPORTED;
    return nullptr;
}

PmsSecurityRefusal last_security_refusal() { return PmsSecurityRefusal::kNone; }
