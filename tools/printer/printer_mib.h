// What a printer status report reads: objects of MIB-II's system group, the
// Host Resources MIB (RFC 2790) and the Printer MIB (RFC 3805), and the
// names of their enumerations.
#ifndef PMSNMP_TOOLS_PRINTER_MIB_H
#define PMSNMP_TOOLS_PRINTER_MIB_H

#include "api/client_oid.h"

#include <string>

namespace pmtool {
namespace mib {

// Scalars.
inline const NPmcClient::Oid kSysDescr{1, 3, 6, 1, 2, 1, 1, 1, 0};
inline const NPmcClient::Oid kSysName{1, 3, 6, 1, 2, 1, 1, 5, 0};
inline const NPmcClient::Oid kSysUpTime{1, 3, 6, 1, 2, 1, 1, 3, 0};

// hrDeviceTable and hrPrinterTable columns (index: hrDeviceIndex).
inline const NPmcClient::Oid kHrDeviceType{1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 2};
inline const NPmcClient::Oid kHrDeviceDescr{1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 3};
inline const NPmcClient::Oid kHrDeviceStatus{1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 5};
inline const NPmcClient::Oid kHrPrinterStatus{1, 3, 6, 1, 2, 1, 25, 3, 5, 1, 1};
inline const NPmcClient::Oid kHrPrinterDetectedErrorState{1, 3, 6, 1, 2, 1, 25, 3, 5, 1, 2};
inline const NPmcClient::Oid kHrDevicePrinter{1, 3, 6, 1, 2, 1, 25, 3, 1, 5};  // hrDeviceType value

// Printer MIB columns (index: hrDeviceIndex, then the row's own index).
inline const NPmcClient::Oid kPrtGeneralPrinterName{1, 3, 6, 1, 2, 1, 43, 5, 1, 1, 16};
inline const NPmcClient::Oid kPrtGeneralSerialNumber{1, 3, 6, 1, 2, 1, 43, 5, 1, 1, 17};
inline const NPmcClient::Oid kPrtMarkerLifeCount{1, 3, 6, 1, 2, 1, 43, 10, 2, 1, 4};
inline const NPmcClient::Oid kPrtInputMaxCapacity{1, 3, 6, 1, 2, 1, 43, 8, 2, 1, 9};
inline const NPmcClient::Oid kPrtInputCurrentLevel{1, 3, 6, 1, 2, 1, 43, 8, 2, 1, 10};
inline const NPmcClient::Oid kPrtInputName{1, 3, 6, 1, 2, 1, 43, 8, 2, 1, 13};
inline const NPmcClient::Oid kPrtSuppliesClass{1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 4};
inline const NPmcClient::Oid kPrtSuppliesType{1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 5};
inline const NPmcClient::Oid kPrtSuppliesDescription{1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 6};
inline const NPmcClient::Oid kPrtSuppliesUnit{1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 7};
inline const NPmcClient::Oid kPrtSuppliesMaxCapacity{1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 8};
inline const NPmcClient::Oid kPrtSuppliesLevel{1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 9};
inline const NPmcClient::Oid kPrtConsoleDisplayBufferText{1, 3, 6, 1, 2, 1, 43, 16, 5, 1, 2};
inline const NPmcClient::Oid kPrtAlertSeverityLevel{1, 3, 6, 1, 2, 1, 43, 18, 1, 1, 2};
inline const NPmcClient::Oid kPrtAlertGroup{1, 3, 6, 1, 2, 1, 43, 18, 1, 1, 4};
inline const NPmcClient::Oid kPrtAlertLocation{1, 3, 6, 1, 2, 1, 43, 18, 1, 1, 6};
inline const NPmcClient::Oid kPrtAlertCode{1, 3, 6, 1, 2, 1, 43, 18, 1, 1, 7};
inline const NPmcClient::Oid kPrtAlertDescription{1, 3, 6, 1, 2, 1, 43, 18, 1, 1, 8};

// Special values of capacities and levels (PrtMarkerSuppliesLevelTC and
// friends).
constexpr long kLevelOther = -1;
constexpr long kLevelUnknown = -2;
constexpr long kLevelSomeRemaining = -3;

// prtMarkerSuppliesClass.
constexpr long kClassSupplyThatIsConsumed = 3;
constexpr long kClassReceptacleThatIsFilled = 4;

// Enumeration names; an unlisted code gives an empty text.
std::string device_status_name(long code);    // hrDeviceStatus
std::string printer_status_name(long code);   // hrPrinterStatus
std::string supply_class_name(long code);     // prtMarkerSuppliesClass
std::string supply_type_name(long code);      // prtMarkerSuppliesType
std::string supply_unit_name(long code);      // prtMarkerSuppliesSupplyUnit
std::string alert_severity_name(long code);   // prtAlertSeverityLevel
std::string alert_group_name(long code);      // prtAlertGroup
std::string alert_code_name(long code);       // prtAlertCode

// Supply types that collect waste: they fill up instead of running out.
bool supply_type_is_waste(long type);

}  // namespace mib
}  // namespace pmtool

#endif
