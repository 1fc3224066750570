#include "session/v3_status.h"

#include <cstdlib>
#include <initializer_list>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include "log/component_log.h"
#include "session/user_session.h"

namespace {

struct ErrorGroup {
    std::initializer_list<int> errors;
    pmc_long status;
};

// Engine, security model, user, level, authentication, time window,
// decryption and configuration failures are the caller's credentials (or
// an engine that no longer knows them): -214. Malformed
// exchanges: -250. Unusable requests or sessions: -2.
const ErrorGroup kErrorGroups[] = {
    {{SNMPERR_SUCCESS}, PMC_S_OK},
    {{SNMPERR_MALLOC}, PMC_E_NO_MEMORY},
    {{SNMPERR_TIMEOUT}, PMC_E_TIMEOUT},
    {{SNMPERR_BAD_SENDTO}, PMC_E_SEND},
    {{SNMPERR_BAD_RECVFROM}, PMC_E_RECEIVE},
    {{SNMPERR_UNKNOWN_ENG_ID, SNMPERR_UNKNOWN_SEC_MODEL, SNMPERR_UNKNOWN_USER_NAME, SNMPERR_UNSUPPORTED_SEC_LEVEL,
      SNMPERR_AUTHENTICATION_FAILURE, SNMPERR_NOT_IN_TIME_WINDOW, SNMPERR_DECRYPTION_ERR,
      SNMPERR_USM_GENERICERROR, SNMPERR_USM_UNKNOWNSECURITYNAME,
      SNMPERR_USM_UNSUPPORTEDSECURITYLEVEL, SNMPERR_USM_AUTHENTICATIONFAILURE},
     PMC_E_SECURITY},
    {{SNMPERR_BAD_ASN1_BUILD, SNMPERR_BAD_PARSE, SNMPERR_ASN_PARSE_ERR, SNMPERR_INVALID_MSG,
      SNMPERR_SC_GENERAL_FAILURE, SNMPERR_UNKNOWN_REPORT, SNMPERR_USM_PARSEERROR,
      SNMPERR_USM_UNKNOWNENGINEID, SNMPERR_USM_NOTINTIMEWINDOW, SNMPERR_USM_DECRYPTIONERROR,
      SNMPERR_PROTOCOL},
     PMC_E_DECODE},
    {{SNMPERR_BAD_ADDRESS, SNMPERR_BAD_SESSION, SNMPERR_TOO_LONG, SNMPERR_BAD_VERSION,
      SNMPERR_BAD_CONTEXT, SNMPERR_NOAUTH_DESPRIV, SNMPERR_UNKNOWN_PDU, SNMPERR_BAD_SEC_NAME,
      SNMPERR_BAD_SEC_LEVEL, SNMPERR_USM_ENCRYPTIONERROR, SNMPERR_BAD_NAME, SNMPERR_VALUE,
      SNMPERR_UNKNOWN_OBJID, SNMPERR_NULL_PDU, SNMPERR_NO_VARS, SNMPERR_VAR_TYPE},
     PMC_E_INVALID_ARG},
};

struct RefusalGroup {
    std::initializer_list<int> errors;
    PmsSecurityRefusal refusal;
};

const RefusalGroup kRefusalGroups[] = {
    {{SNMPERR_UNKNOWN_USER_NAME, SNMPERR_USM_UNKNOWNSECURITYNAME}, PmsSecurityRefusal::kUnknownUser},
    {{SNMPERR_AUTHENTICATION_FAILURE, SNMPERR_USM_AUTHENTICATIONFAILURE}, PmsSecurityRefusal::kAuthentication},
    {{SNMPERR_DECRYPTION_ERR, SNMPERR_USM_DECRYPTIONERROR}, PmsSecurityRefusal::kPrivacy},
    {{SNMPERR_UNSUPPORTED_SEC_LEVEL, SNMPERR_USM_UNSUPPORTEDSECURITYLEVEL}, PmsSecurityRefusal::kSecurityLevel},
    {{SNMPERR_NOT_IN_TIME_WINDOW, SNMPERR_USM_NOTINTIMEWINDOW}, PmsSecurityRefusal::kTimeWindow},
    {{SNMPERR_UNKNOWN_ENG_ID}, PmsSecurityRefusal::kUnknownEngine},
};

void write_report(const char* call, int system_error, int library_error, const char* text) {
    if (system_error != 0 && library_error != 0 && text != nullptr && text[0] != '\0') {
        pmc_snmp_log()->write_line(PMC_LOG_ERROR, "%s(): ErrNo = %d, SnmpErrNo = %d, %s", call,
                                   system_error, library_error, text);
    } else {
        pmc_snmp_log()->write_line(PMC_LOG_ERROR, "%s(): unknown", call);
    }
}

}  // namespace

PmsSecurityRefusal pms_v3_refusal_of_library_error(int library_error) {
    for (const RefusalGroup& group : kRefusalGroups) {
        for (int error : group.errors) {
            if (error == library_error) return group.refusal;
        }
    }
    return PmsSecurityRefusal::kNone;
}

pmc_long pms_v3_status_of_library_error(int library_error) {
    for (const ErrorGroup& group : kErrorGroups) {
        for (int error : group.errors) {
            if (error == library_error) return group.status;
        }
    }
    return PMC_E_V3_LIBRARY;
}

pmc_long pms_v3_error_status(long error_status) {
    const bool known = error_status >= PMS_ERR_NO_ERROR && error_status <= PMS_ERR_LAST;
    return known ? static_cast<pmc_long>(error_status) : PMS_VARBIND_OTHER_ERROR;
}

void pms_v3_report_failure(const char* call, void* session_handle) {
    int system_error = 0;
    int library_error = 0;
    char* text = nullptr;
    if (session_handle != nullptr) {
        snmp_sess_error(session_handle, &system_error, &library_error, &text);
    } else {
        library_error = snmp_errno;
        system_error = errno;
        text = strdup(snmp_api_errstring(library_error));
    }
    write_report(call, system_error, library_error, text);
    std::free(text);
}

void pms_v3_report_session_failure(const char* call, snmp_session* session) {
    int system_error = 0;
    int library_error = 0;
    char* text = nullptr;
    snmp_error(session, &system_error, &library_error, &text);
    write_report(call, system_error, library_error, text);
    std::free(text);
}
