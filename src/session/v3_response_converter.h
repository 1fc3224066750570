// Turns a Net-SNMP response into our PDU (bindings, type, header, binding
// statuses) and updates the user-based target with what the answer says
// about its sender.
#ifndef PMSNMP_SESSION_V3_RESPONSE_CONVERTER_H
#define PMSNMP_SESSION_V3_RESPONSE_CONVERTER_H

#include <pmsnmp/pdu.h>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include "message/snmp_target.h"
#include "session/user_session.h"

// Our PDU type code of a library command; -1 for none.
pmc_long pms_v3_pdu_type(int command);

// Our value kind of a library variable type; -10 for a kind we lack.
pmc_long pms_v3_value_kind(u_char type);

// Converts response into pdu and target: -2 for a response that is not
// SNMPv3 or has an unknown security level, -10 for a value of a kind we
// lack (conversion stops there), -3 for memory. An answer in another
// message version is -250 with *refusal kMessageVersion.
pmc_long pms_v3_convert_response(const netsnmp_pdu* response, IPmsPdu* pdu,
                                 IPmsSnmpTarget* target, PmsSecurityRefusal* refusal);

#endif
