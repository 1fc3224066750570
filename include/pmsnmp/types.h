// Fixed-width types, status codes and protocol constants shared by every
// pmsnmp interface. Included through <pmsnmp/pmsnmp.h>.
#ifndef PMSNMP_TYPES_H
#define PMSNMP_TYPES_H

#include <cstdint>

#if defined(_WIN32)
typedef long pmc_long;           // 32-bit on Windows
typedef unsigned long pmc_ulong;
#else
typedef std::int32_t pmc_long;
typedef std::uint32_t pmc_ulong;
#endif

#if defined(_WIN32)
#define PMSNMP_EXPORT extern "C" __declspec(dllexport)
#else
#define PMSNMP_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Status codes. Every operation returns 0 on success and a negative code on
// failure; some codes carry a second meaning in a narrower context, named by
// the aliases below.
constexpr pmc_long PMC_S_OK = 0;
constexpr pmc_long PMC_E_FAIL = -1;
constexpr pmc_long PMC_E_INVALID_ARG = -2;
constexpr pmc_long PMC_E_NO_MEMORY = -3;
constexpr pmc_long PMC_E_NO_INTERFACE = -4;   // log object: unknown interface identifier
constexpr pmc_long PMC_E_NOT_SUPPORTED = -5;
constexpr pmc_long PMC_E_NOT_FOUND = -6;      // log: no such session, operation not supported
constexpr pmc_long PMC_E_NO_VALUE = -7;       // a read found no binding; set refused by the agent
constexpr pmc_long PMC_E_OUT_OF_RANGE = -7;   // identifier element beyond its arcs
constexpr pmc_long PMC_E_UNKNOWN_ADDRESS = -7;// address text of no known kind
constexpr pmc_long PMC_E_LINE_TOO_LONG = -7;  // log line can never fit the file limit
constexpr pmc_long PMC_E_NO_CODEC = -8;
constexpr pmc_long PMC_E_EMPTY_OID = -8;      // element access on the empty identifier
constexpr pmc_long PMC_E_NO_SOCKET_LIBRARY = -10;
constexpr pmc_long PMC_E_OPEN_FILE = -10;     // log file could not be opened
constexpr pmc_long PMC_E_UNKNOWN_VALUE_TYPE = -10; // SNMPv3 answer of a type we lack
constexpr pmc_long PMC_E_V3_LIBRARY = -200;
constexpr pmc_long PMC_E_SOCKET_CREATE = -201;
constexpr pmc_long PMC_E_SOCKET_BIND = -202;
constexpr pmc_long PMC_E_TIMEOUT = -203;
constexpr pmc_long PMC_E_RECEIVE = -204;
constexpr pmc_long PMC_E_SEND = -205;
constexpr pmc_long PMC_E_TOO_BIG = -210;
constexpr pmc_long PMC_E_MESSAGE_TOO_LARGE = -211;
constexpr pmc_long PMC_E_CANNOT_SPLIT = -212;
constexpr pmc_long PMC_E_SECURITY = -214;
constexpr pmc_long PMC_E_DECODE = -250;     // malformed input, or an integer beyond its kind
constexpr pmc_long PMC_E_OTHER_REQUEST = -251;
constexpr pmc_long PMC_E_BAD_INDEX = -401;

// Value type codes (the BER tag for the SMI kinds).
constexpr pmc_long PMS_TYPE_INTEGER = 0x02;
constexpr pmc_long PMS_TYPE_OCTET_STRING = 0x04;
constexpr pmc_long PMS_TYPE_NULL = 0x05;
constexpr pmc_long PMS_TYPE_OID = 0x06;
constexpr pmc_long PMS_TYPE_IP_ADDRESS = 0x40;
constexpr pmc_long PMS_TYPE_COUNTER32 = 0x41;
constexpr pmc_long PMS_TYPE_GAUGE32 = 0x42;
constexpr pmc_long PMS_TYPE_TIME_TICKS = 0x43;
constexpr pmc_long PMS_TYPE_OPAQUE = 0x44;
constexpr pmc_long PMS_TYPE_COUNTER64 = 0x46;
constexpr pmc_long PMS_TYPE_IPV6_ADDRESS = 0x48;
constexpr pmc_long PMS_TYPE_NO_SUCH_OBJECT = 0x80;
constexpr pmc_long PMS_TYPE_NO_SUCH_INSTANCE = 0x81;
constexpr pmc_long PMS_TYPE_END_OF_MIB_VIEW = 0x82;
constexpr pmc_long PMS_TYPE_UDP_ADDRESS = 0xFF02;
constexpr pmc_long PMS_TYPE_IPX_ADDRESS = 0xFF03;

// PDU type codes.
constexpr pmc_long PMS_PDU_NONE = -1;
constexpr pmc_long PMS_PDU_GET = 0;
constexpr pmc_long PMS_PDU_GET_NEXT = 1;
constexpr pmc_long PMS_PDU_RESPONSE = 2;
constexpr pmc_long PMS_PDU_SET = 3;
constexpr pmc_long PMS_PDU_TRAP = 4;
constexpr pmc_long PMS_PDU_GET_BULK = 5;
constexpr pmc_long PMS_PDU_INFORM = 6;
constexpr pmc_long PMS_PDU_REPORT = 8;

// SNMP error-status codes that callers test for, and the binding status of
// a binding the agent's error index did not point at.
constexpr pmc_long PMS_ERR_NO_ERROR = 0;
constexpr pmc_long PMS_ERR_TOO_BIG = 1;
constexpr pmc_long PMS_ERR_NO_SUCH_NAME = 2;
constexpr pmc_long PMS_ERR_BAD_VALUE = 3;
constexpr pmc_long PMS_ERR_READ_ONLY = 4;
constexpr pmc_long PMS_ERR_GEN_ERR = 5;
constexpr pmc_long PMS_ERR_NO_ACCESS = 6;
constexpr pmc_long PMS_ERR_LAST = 18;
constexpr pmc_long PMS_VARBIND_OTHER_ERROR = 100;

// SNMP version codes.
constexpr pmc_long PMS_VERSION_1 = 0;
constexpr pmc_long PMS_VERSION_2C = 1;
constexpr pmc_long PMS_VERSION_3 = 2;

// SNMPv3 security level, authentication and privacy protocol codes.
constexpr pmc_long PMS_SEC_NO_AUTH_NO_PRIV = 0;
constexpr pmc_long PMS_SEC_AUTH_NO_PRIV = 1;
constexpr pmc_long PMS_SEC_AUTH_PRIV = 2;
constexpr pmc_long PMS_AUTH_MD5 = 1;
constexpr pmc_long PMS_AUTH_SHA = 2;
constexpr pmc_long PMS_PRIV_DES = 1;
constexpr pmc_long PMS_PRIV_AES = 2;

// Network address kinds (there is no kind 3).
constexpr pmc_long PMC_ADDRESS_NONE = 0;
constexpr pmc_long PMC_ADDRESS_IPV4 = 1;
constexpr pmc_long PMC_ADDRESS_IPX = 2;
constexpr pmc_long PMC_ADDRESS_IPV6 = 4;

#endif
