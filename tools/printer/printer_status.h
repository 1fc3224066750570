// The printer status report: what a printer says about itself through the
// Host Resources and Printer MIBs, read into plain data. Anything the agent
// lacks stays empty (std::nullopt or an empty list); that is never an error.
#ifndef PMSNMP_TOOLS_PRINTER_STATUS_H
#define PMSNMP_TOOLS_PRINTER_STATUS_H

#include "printer/mib_reader.h"
#include "printer/printer_decode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pmtool {

struct Supply {
    std::string index;  // hrDeviceIndex.prtMarkerSuppliesIndex
    std::optional<std::string> description;
    std::optional<long> supply_class;
    std::optional<long> type;
    std::optional<long> unit;
    std::optional<long> max_capacity;
    std::optional<long> level;
    bool receptacle = false;
    LevelReading reading;
};

struct InputTray {
    std::string index;
    std::optional<std::string> name;
    std::optional<long> max_capacity;
    std::optional<long> current_level;
    LevelReading reading;
};

struct Alert {
    std::string index;
    std::optional<long> severity;
    std::optional<long> group;
    std::optional<long> location;
    std::optional<long> code;
    std::optional<std::string> description;
};

struct PrinterReport {
    std::string host;
    std::optional<std::string> sys_name;
    std::optional<std::string> sys_descr;
    std::optional<std::string> printer_name;   // prtGeneralPrinterName
    std::optional<std::string> serial_number;  // prtGeneralSerialNumber
    std::optional<long> device_index;          // the printer's hrDeviceIndex
    std::optional<std::string> device_descr;
    std::optional<long> device_status;
    std::optional<long> printer_status;
    std::optional<std::string> error_state;  // hrPrinterDetectedErrorState octets
    std::vector<std::string> error_conditions;
    std::optional<std::uint64_t> page_count;  // prtMarkerLifeCount
    std::vector<Supply> supplies;
    std::vector<InputTray> input_trays;
    std::vector<Alert> alerts;
    std::vector<std::string> console_lines;
};

// Reads the whole report; the first failing request's status is returned
// (0 when every read succeeded, whatever the agent lacked).
pmc_long read_printer_report(MibReader& reader, PrinterReport* report);

// Whether a supply fills up: its class says so, or, without a class, its
// type is one of the waste kinds.
bool supply_is_receptacle(std::optional<long> supply_class, std::optional<long> type);

}  // namespace pmtool

#endif
