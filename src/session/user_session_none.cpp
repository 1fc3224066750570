#include "session/user_session.h"

// A build without Net-SNMP has no user-based session.
IPmsUserSession* create_user_session(pmc_long* status) {
    if (status != nullptr) *status = PMC_E_NOT_SUPPORTED;
    return nullptr;
}
