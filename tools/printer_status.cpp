#include "printer_status.h"

#include "printer_mib.h"

#include <cstdlib>
#include <map>
#include <set>
#include <vector>

namespace pmtool {

namespace {

// Table indexes compared arc by arc, so that "1.10" follows "1.9".
struct IndexOrder {
    bool operator()(const std::string& a, const std::string& b) const { return compare_oids(a, b) < 0; }
};

using Column = std::map<std::string, Binding, IndexOrder>;

// Reads the requests one after the other and keeps the first failure, so
// that a report is complete or says why it is not.
class ReportReader {
public:
    explicit ReportReader(MibReader& reader) : reader_(reader) {}

    pmc_long status() const { return status_; }

    std::optional<Binding> get(const char* oid) {
        if (status_ != PMC_S_OK) return std::nullopt;
        Binding binding;
        status_ = reader_.get(oid, &binding);
        if (status_ != PMC_S_OK || binding.is_absent()) return std::nullopt;
        return binding;
    }

    Column column(const char* root) {
        Column rows;
        if (status_ != PMC_S_OK) return rows;
        Bindings bindings;
        status_ = reader_.walk(root, &bindings);
        for (Binding& binding : bindings) {
            const std::string index = oid_suffix(binding.oid, root);
            if (!index.empty() && !binding.is_absent()) rows.emplace(index, std::move(binding));
        }
        return rows;
    }

private:
    MibReader& reader_;
    pmc_long status_ = PMC_S_OK;
};

std::optional<std::string> text_of(const std::optional<Binding>& binding) {
    if (!binding || binding->type != PMS_TYPE_OCTET_STRING) return std::nullopt;
    return binding->octets;
}

std::optional<long> number_of(const std::optional<Binding>& binding) {
    if (!binding || !binding->is_numeric()) return std::nullopt;
    return static_cast<long>(binding->number);
}

std::optional<Binding> cell(const Column& column, const std::string& index) {
    const auto it = column.find(index);
    if (it == column.end()) return std::nullopt;
    return it->second;
}

std::set<std::string, IndexOrder> row_indexes(std::initializer_list<const Column*> columns) {
    std::set<std::string, IndexOrder> indexes;
    for (const Column* column : columns)
        for (const auto& row : *column) indexes.insert(row.first);
    return indexes;
}

// The cell of the printer's own row (hrDeviceIndex first in the index), or
// the first row when none matches.
std::optional<Binding> device_cell(const Column& column, std::optional<long> device) {
    if (column.empty()) return std::nullopt;
    if (device) {
        const std::string prefix = std::to_string(*device) + ".";
        for (const auto& row : column)
            if (row.first == std::to_string(*device) || row.first.compare(0, prefix.size(), prefix) == 0)
                return row.second;
    }
    return column.begin()->second;
}

std::optional<long> first_index(const Column& column) {
    if (column.empty()) return std::nullopt;
    return std::strtol(column.begin()->first.c_str(), nullptr, 10);
}

void read_device(ReportReader& in, PrinterReport* report) {
    const Column types = in.column(mib::kHrDeviceType);
    const Column descrs = in.column(mib::kHrDeviceDescr);
    const Column statuses = in.column(mib::kHrDeviceStatus);
    const Column printer_statuses = in.column(mib::kHrPrinterStatus);
    const Column error_states = in.column(mib::kHrPrinterDetectedErrorState);

    // The printer is the device of type hrDevicePrinter; agents that do not
    // type their devices still list it in hrPrinterTable.
    for (const auto& row : types) {
        if (row.second.type == PMS_TYPE_OID && row.second.oid_value == mib::kHrDevicePrinter) {
            report->device_index = std::strtol(row.first.c_str(), nullptr, 10);
            break;
        }
    }
    if (!report->device_index) report->device_index = first_index(printer_statuses);
    if (!report->device_index) report->device_index = first_index(error_states);
    if (!report->device_index) report->device_index = first_index(statuses);
    if (!report->device_index) return;

    const std::string index = std::to_string(*report->device_index);
    report->device_descr = text_of(cell(descrs, index));
    report->device_status = number_of(cell(statuses, index));
    report->printer_status = number_of(cell(printer_statuses, index));
    const std::optional<Binding> errors = cell(error_states, index);
    if (errors && errors->type == PMS_TYPE_OCTET_STRING) {
        report->error_state = errors->octets;
        report->error_conditions = decode_error_state(errors->octets);
    }
}

void read_supplies(ReportReader& in, PrinterReport* report) {
    const Column classes = in.column(mib::kPrtSuppliesClass);
    const Column types = in.column(mib::kPrtSuppliesType);
    const Column descriptions = in.column(mib::kPrtSuppliesDescription);
    const Column units = in.column(mib::kPrtSuppliesUnit);
    const Column maxima = in.column(mib::kPrtSuppliesMaxCapacity);
    const Column levels = in.column(mib::kPrtSuppliesLevel);
    for (const std::string& index : row_indexes({&classes, &types, &descriptions, &maxima, &levels})) {
        Supply supply;
        supply.index = index;
        supply.description = text_of(cell(descriptions, index));
        supply.supply_class = number_of(cell(classes, index));
        supply.type = number_of(cell(types, index));
        supply.unit = number_of(cell(units, index));
        supply.max_capacity = number_of(cell(maxima, index));
        supply.level = number_of(cell(levels, index));
        supply.receptacle = supply_is_receptacle(supply.supply_class, supply.type);
        supply.reading = read_level(supply.level, supply.max_capacity, supply.receptacle);
        report->supplies.push_back(std::move(supply));
    }
}

void read_input_trays(ReportReader& in, PrinterReport* report) {
    const Column maxima = in.column(mib::kPrtInputMaxCapacity);
    const Column levels = in.column(mib::kPrtInputCurrentLevel);
    const Column names = in.column(mib::kPrtInputName);
    for (const std::string& index : row_indexes({&names, &maxima, &levels})) {
        InputTray tray;
        tray.index = index;
        tray.name = text_of(cell(names, index));
        tray.max_capacity = number_of(cell(maxima, index));
        tray.current_level = number_of(cell(levels, index));
        tray.reading = read_level(tray.current_level, tray.max_capacity, false);
        report->input_trays.push_back(std::move(tray));
    }
}

void read_alerts(ReportReader& in, PrinterReport* report) {
    const Column severities = in.column(mib::kPrtAlertSeverityLevel);
    const Column groups = in.column(mib::kPrtAlertGroup);
    const Column locations = in.column(mib::kPrtAlertLocation);
    const Column codes = in.column(mib::kPrtAlertCode);
    const Column descriptions = in.column(mib::kPrtAlertDescription);
    for (const std::string& index : row_indexes({&severities, &groups, &codes, &descriptions})) {
        Alert alert;
        alert.index = index;
        alert.severity = number_of(cell(severities, index));
        alert.group = number_of(cell(groups, index));
        alert.location = number_of(cell(locations, index));
        alert.code = number_of(cell(codes, index));
        alert.description = text_of(cell(descriptions, index));
        report->alerts.push_back(std::move(alert));
    }
}

void read_general(ReportReader& in, PrinterReport* report) {
    report->sys_descr = text_of(in.get(mib::kSysDescr));
    report->sys_name = text_of(in.get(mib::kSysName));
    report->printer_name = text_of(device_cell(in.column(mib::kPrtGeneralPrinterName), report->device_index));
    report->serial_number =
        text_of(device_cell(in.column(mib::kPrtGeneralSerialNumber), report->device_index));
    const std::optional<Binding> count = device_cell(in.column(mib::kPrtMarkerLifeCount), report->device_index);
    if (count && count->is_numeric() && count->number >= 0)
        report->page_count = static_cast<std::uint64_t>(count->number);
    for (const auto& row : in.column(mib::kPrtConsoleDisplayBufferText))
        if (row.second.type == PMS_TYPE_OCTET_STRING) report->console_lines.push_back(row.second.octets);
}

}  // namespace

bool supply_is_receptacle(std::optional<long> supply_class, std::optional<long> type) {
    if (supply_class == mib::kClassReceptacleThatIsFilled) return true;
    if (supply_class == mib::kClassSupplyThatIsConsumed) return false;
    return type && mib::supply_type_is_waste(*type);
}

pmc_long read_printer_report(MibReader& reader, PrinterReport* report) {
    ReportReader in(reader);
    read_device(in, report);
    read_general(in, report);
    read_supplies(in, report);
    read_input_trays(in, report);
    read_alerts(in, report);
    return in.status();
}

}  // namespace pmtool
