// The names a person gives versions and SNMPv3 settings, on the command
// line and in serve's fleet file alike.
#ifndef PMSNMP_TOOLS_OPTION_NAMES_H
#define PMSNMP_TOOLS_OPTION_NAMES_H

#include <pmsnmp/types.h>

#include <map>
#include <string>

namespace pmtool {

inline const std::map<std::string, pmc_long> kVersions = {
    {"1", PMS_VERSION_1}, {"2c", PMS_VERSION_2C}, {"3", PMS_VERSION_3}};
inline const std::map<std::string, pmc_long> kLevels = {
    {"noAuthNoPriv", PMS_SEC_NO_AUTH_NO_PRIV}, {"authNoPriv", PMS_SEC_AUTH_NO_PRIV},
    {"authPriv", PMS_SEC_AUTH_PRIV}};
inline const std::map<std::string, pmc_long> kAuthProtocols = {{"MD5", PMS_AUTH_MD5}, {"SHA", PMS_AUTH_SHA}};
inline const std::map<std::string, pmc_long> kPrivProtocols = {{"DES", PMS_PRIV_DES}, {"AES", PMS_PRIV_AES}};

}  // namespace pmtool

#endif
