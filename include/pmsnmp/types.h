/// \file
/// Fixed-width types, status codes and protocol constants shared by every
/// pmsnmp interface. Included through <pmsnmp/pmsnmp.h>.
#ifndef PMSNMP_TYPES_H
#define PMSNMP_TYPES_H

#include <cstdint>

#if defined(_WIN32)
typedef long pmc_long;           ///< 32-bit on Windows
typedef unsigned long pmc_ulong;
#else
typedef std::int32_t pmc_long;    ///< Signed 32-bit: statuses, numbers, codes.
typedef std::uint32_t pmc_ulong;  ///< Unsigned 32-bit: lengths, counts, arcs.
#endif

#if defined(_WIN32)
#define PMSNMP_EXPORT extern "C" __declspec(dllexport)
#else
/// Marks the two exported factories.
#define PMSNMP_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Status codes. Every operation returns 0 on success and a negative code on
// failure; some codes carry a second meaning in a narrower context, named by
// the aliases below.
constexpr pmc_long PMC_S_OK = 0;                 ///< Success.
constexpr pmc_long PMC_E_FAIL = -1;              ///< General failure; a walk that cannot go on.
constexpr pmc_long PMC_E_INVALID_ARG = -2;       ///< A null, out-of-range or malformed argument; an object not opened yet.
constexpr pmc_long PMC_E_NO_MEMORY = -3;         ///< Memory ran out; nothing was changed.
constexpr pmc_long PMC_E_NO_INTERFACE = -4;      ///< Log object: unknown interface identifier.
constexpr pmc_long PMC_E_NOT_SUPPORTED = -5;     ///< The operation makes no sense for this kind of value.
constexpr pmc_long PMC_E_NOT_FOUND = -6;         ///< Log: no such session, operation not supported.
constexpr pmc_long PMC_E_NO_VALUE = -7;          ///< A read found no binding; set refused by the agent.
constexpr pmc_long PMC_E_OUT_OF_RANGE = -7;      ///< Identifier element beyond its arcs.
constexpr pmc_long PMC_E_UNKNOWN_ADDRESS = -7;   ///< Address text of no known kind.
constexpr pmc_long PMC_E_LINE_TOO_LONG = -7;     ///< Log line can never fit the file limit.
constexpr pmc_long PMC_E_NO_CODEC = -8;          ///< No codec selected.
constexpr pmc_long PMC_E_EMPTY_OID = -8;         ///< Element access on the empty identifier.
constexpr pmc_long PMC_E_NO_SOCKET_LIBRARY = -10; ///< The system socket library could not be loaded.
constexpr pmc_long PMC_E_OPEN_FILE = -10;        ///< Log file could not be opened.
constexpr pmc_long PMC_E_UNKNOWN_VALUE_TYPE = -10; ///< SNMPv3 answer of a type we lack.
constexpr pmc_long PMC_E_V3_LIBRARY = -200;      ///< Another failure of the SNMPv3 library.
constexpr pmc_long PMC_E_SOCKET_CREATE = -201;   ///< A socket could not be created.
constexpr pmc_long PMC_E_SOCKET_BIND = -202;     ///< A socket could not be bound.
constexpr pmc_long PMC_E_TIMEOUT = -203;         ///< No answer within the time-out, after every retry.
constexpr pmc_long PMC_E_RECEIVE = -204;         ///< Receiving failed.
constexpr pmc_long PMC_E_SEND = -205;            ///< Sending failed.
constexpr pmc_long PMC_E_TOO_BIG = -210;         ///< The agent answered tooBig on the last try.
constexpr pmc_long PMC_E_MESSAGE_TOO_LARGE = -211; ///< The request does not fit the maximum message size (split inside the session).
constexpr pmc_long PMC_E_CANNOT_SPLIT = -212;    ///< The request cannot be split any further.
constexpr pmc_long PMC_E_SECURITY = -214;        ///< SNMPv3 security failure: authentication, privacy, unknown user or level.
constexpr pmc_long PMC_E_DECODE = -250;          ///< A received message could not be decoded, or an integer in it is beyond its kind.
constexpr pmc_long PMC_E_OTHER_REQUEST = -251;   ///< The last try ended on an answer to another request.
constexpr pmc_long PMC_E_BAD_INDEX = -401;       ///< A table index whose arcs do not form a value of the kind asked for.

// Value type codes (the BER tag for the SMI kinds).
constexpr pmc_long PMS_TYPE_INTEGER = 0x02;      ///< INTEGER (Integer32).
constexpr pmc_long PMS_TYPE_OCTET_STRING = 0x04; ///< OCTET STRING.
constexpr pmc_long PMS_TYPE_NULL = 0x05;         ///< NULL.
constexpr pmc_long PMS_TYPE_OID = 0x06;          ///< OBJECT IDENTIFIER.
constexpr pmc_long PMS_TYPE_IP_ADDRESS = 0x40;   ///< IpAddress (4 bytes).
constexpr pmc_long PMS_TYPE_COUNTER32 = 0x41;    ///< Counter32.
constexpr pmc_long PMS_TYPE_GAUGE32 = 0x42;      ///< Gauge32.
constexpr pmc_long PMS_TYPE_TIME_TICKS = 0x43;   ///< TimeTicks (hundredths of a second).
constexpr pmc_long PMS_TYPE_OPAQUE = 0x44;       ///< Opaque.
constexpr pmc_long PMS_TYPE_COUNTER64 = 0x46;    ///< Counter64.
constexpr pmc_long PMS_TYPE_IPV6_ADDRESS = 0x48; ///< IPv6 address (16 bytes).
constexpr pmc_long PMS_TYPE_NO_SUCH_OBJECT = 0x80; ///< SNMPv2 exception noSuchObject.
constexpr pmc_long PMS_TYPE_NO_SUCH_INSTANCE = 0x81; ///< SNMPv2 exception noSuchInstance.
constexpr pmc_long PMS_TYPE_END_OF_MIB_VIEW = 0x82; ///< SNMPv2 exception endOfMibView.
constexpr pmc_long PMS_TYPE_UDP_ADDRESS = 0xFF02; ///< IPv4 address and UDP port (6 bytes).
constexpr pmc_long PMS_TYPE_IPX_ADDRESS = 0xFF03; ///< IPX network, node and socket (12 bytes).

// PDU type codes.
constexpr pmc_long PMS_PDU_NONE = -1;            ///< No type set yet.
constexpr pmc_long PMS_PDU_GET = 0;              ///< GetRequest.
constexpr pmc_long PMS_PDU_GET_NEXT = 1;         ///< GetNextRequest.
constexpr pmc_long PMS_PDU_RESPONSE = 2;         ///< Response.
constexpr pmc_long PMS_PDU_SET = 3;              ///< SetRequest.
constexpr pmc_long PMS_PDU_TRAP = 4;             ///< SNMPv1 Trap.
constexpr pmc_long PMS_PDU_GET_BULK = 5;         ///< GetBulkRequest.
constexpr pmc_long PMS_PDU_INFORM = 6;           ///< InformRequest.
constexpr pmc_long PMS_PDU_REPORT = 8;           ///< Report.

// SNMP error-status codes that callers test for, and the binding status of
// a binding the agent's error index did not point at.
constexpr pmc_long PMS_ERR_NO_ERROR = 0;         ///< noError.
constexpr pmc_long PMS_ERR_TOO_BIG = 1;          ///< tooBig.
constexpr pmc_long PMS_ERR_NO_SUCH_NAME = 2;     ///< noSuchName (SNMPv1: an object the agent lacks).
constexpr pmc_long PMS_ERR_BAD_VALUE = 3;        ///< badValue.
constexpr pmc_long PMS_ERR_READ_ONLY = 4;        ///< readOnly.
constexpr pmc_long PMS_ERR_GEN_ERR = 5;          ///< genErr.
constexpr pmc_long PMS_ERR_NO_ACCESS = 6;        ///< noAccess.
constexpr pmc_long PMS_ERR_LAST = 18;            ///< The highest error status (inconsistentName).
constexpr pmc_long PMS_VARBIND_OTHER_ERROR = 100; ///< Binding status: the agent's error named another binding.

// SNMP version codes.
constexpr pmc_long PMS_VERSION_1 = 0;            ///< SNMPv1.
constexpr pmc_long PMS_VERSION_2C = 1;           ///< SNMPv2c.
constexpr pmc_long PMS_VERSION_3 = 2;            ///< SNMPv3.

// SNMPv3 security level, authentication and privacy protocol codes.
constexpr pmc_long PMS_SEC_NO_AUTH_NO_PRIV = 0;  ///< noAuthNoPriv.
constexpr pmc_long PMS_SEC_AUTH_NO_PRIV = 1;     ///< authNoPriv.
constexpr pmc_long PMS_SEC_AUTH_PRIV = 2;        ///< authPriv.
constexpr pmc_long PMS_AUTH_MD5 = 1;             ///< HMAC-MD5-96.
constexpr pmc_long PMS_AUTH_SHA = 2;             ///< HMAC-SHA-96.
constexpr pmc_long PMS_PRIV_DES = 1;             ///< CBC-DES.
constexpr pmc_long PMS_PRIV_AES = 2;             ///< CFB128-AES-128.

// Network address kinds (there is no kind 3).
constexpr pmc_long PMC_ADDRESS_NONE = 0;         ///< No address.
constexpr pmc_long PMC_ADDRESS_IPV4 = 1;         ///< IPv4.
constexpr pmc_long PMC_ADDRESS_IPX = 2;          ///< IPX.
constexpr pmc_long PMC_ADDRESS_IPV6 = 4;         ///< IPv6.

#endif
