#include "printer/printer_status.h"

#include "printer/printer_mib.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <set>
#include <vector>

namespace pmtool {

namespace {

// A table row's index, the arcs after its column: ordered arc by arc, so
// that "1.10" follows "1.9"; the text is what the report shows.
struct RowIndex {
    Oid arcs;

    explicit RowIndex(Oid index) : arcs(std::move(index)) {}
    explicit RowIndex(long first) : arcs{static_cast<pmc_ulong>(first)} {}
    bool operator<(const RowIndex& other) const { return arcs < other.arcs; }
    long first() const { return arcs.empty() ? 0 : static_cast<long>(arcs.front()); }
    std::string text() const { return arcs.text(); }
};

using Column = std::map<RowIndex, Binding>;

// Reads the requests one after the other and keeps the first failure, so
// that a report is complete or says why it is not.
class ReportReader {
public:
    explicit ReportReader(MibReader& reader) : reader_(reader) {}

    pmc_long status() const { return status_; }

    std::vector<std::optional<Binding>> objects(const std::vector<Oid>& oids) {
        std::vector<std::optional<Binding>> found(oids.size());
        if (status_ != PMC_S_OK) return found;
        Bindings bindings;
        status_ = reader_.get_objects(oids, &bindings);
        if (status_ != PMC_S_OK) return found;
        for (std::size_t i = 0; i < oids.size() && i < bindings.size(); ++i)
            if (!bindings[i].is_absent()) found[i] = std::move(bindings[i]);
        return found;
    }

    std::vector<Column> columns(const std::vector<Oid>& roots, const MibReader::Enough& enough = nullptr) {
        std::vector<Column> columns(roots.size());
        if (status_ != PMC_S_OK) return columns;
        std::vector<Bindings> read;
        status_ = reader_.walk_columns(roots, enough, &read);
        for (std::size_t i = 0; i < roots.size() && i < read.size(); ++i) {
            for (Binding& binding : read[i]) {
                RowIndex index(binding.oid.suffix_after(roots[i]));
                if (!index.arcs.empty() && !binding.is_absent()) columns[i].emplace(std::move(index), std::move(binding));
            }
        }
        return columns;
    }

private:
    MibReader& reader_;
    pmc_long status_ = PMC_S_OK;
};

// Every column the report reads, in one list so that a reader can read them
// together.
enum ReportColumn : std::size_t {
    kDeviceType, kDeviceDescr, kDeviceStatus, kPrinterStatus, kErrorState,
    kPrinterName, kSerialNumber, kLifeCount, kConsoleText,
    kSupplyClass, kSupplyType, kSupplyDescription, kSupplyUnit, kSupplyMax, kSupplyLevel,
    kInputMax, kInputLevel, kInputName,
    kAlertSeverity, kAlertGroup, kAlertLocation, kAlertCode, kAlertDescription,
    kColumnCount
};

const std::vector<Oid>& column_roots() {
    static const std::vector<Oid> roots = {
        mib::kHrDeviceType, mib::kHrDeviceDescr, mib::kHrDeviceStatus, mib::kHrPrinterStatus,
        mib::kHrPrinterDetectedErrorState, mib::kPrtGeneralPrinterName, mib::kPrtGeneralSerialNumber,
        mib::kPrtMarkerLifeCount, mib::kPrtConsoleDisplayBufferText, mib::kPrtSuppliesClass,
        mib::kPrtSuppliesType, mib::kPrtSuppliesDescription, mib::kPrtSuppliesUnit,
        mib::kPrtSuppliesMaxCapacity, mib::kPrtSuppliesLevel, mib::kPrtInputMaxCapacity,
        mib::kPrtInputCurrentLevel, mib::kPrtInputName, mib::kPrtAlertSeverityLevel, mib::kPrtAlertGroup,
        mib::kPrtAlertLocation, mib::kPrtAlertCode, mib::kPrtAlertDescription};
    return roots;
}

using Columns = std::vector<Column>;

std::optional<std::string> text_of(const std::optional<Binding>& binding) {
    if (!binding || binding->type != PMS_TYPE_OCTET_STRING) return std::nullopt;
    return binding->octets;
}

// A value the integer columns cannot hold (a Counter64 of 2^63 or more,
// anything beyond long) is no number, never a wrapped one.
std::optional<long> number_of(const std::optional<Binding>& binding) {
    if (!binding || !binding->is_numeric()) return std::nullopt;
    if (binding->type == PMS_TYPE_COUNTER64 && binding->number < 0) return std::nullopt;
    if (binding->number < LONG_MIN || binding->number > LONG_MAX) return std::nullopt;
    return static_cast<long>(binding->number);
}

// A level out of range is unknown, not absent (a value of the wrong type is).
LevelReading level_of(const std::optional<Binding>& level, std::optional<long> max_capacity, bool receptacle) {
    LevelReading reading = read_level(number_of(level), max_capacity, receptacle);
    if (level && level->is_numeric() && reading.kind == LevelKind::kAbsent) reading.kind = LevelKind::kUnknown;
    return reading;
}

std::optional<Binding> cell(const Column& column, const RowIndex& index) {
    const auto it = column.find(index);
    if (it == column.end()) return std::nullopt;
    return it->second;
}

std::set<RowIndex> row_indexes(std::initializer_list<const Column*> columns) {
    std::set<RowIndex> indexes;
    for (const Column* column : columns)
        for (const auto& row : *column) indexes.insert(row.first);
    return indexes;
}

// The cell of the printer's own row (hrDeviceIndex first in the index), or
// the first row when none matches.
std::optional<Binding> device_cell(const Column& column, std::optional<long> device) {
    if (column.empty()) return std::nullopt;
    if (device) {
        for (const auto& row : column)
            if (!row.first.arcs.empty() && row.first.first() == *device) return row.second;
    }
    return column.begin()->second;
}

std::optional<long> first_index(const Column& column) {
    if (column.empty()) return std::nullopt;
    return column.begin()->first.first();
}

bool is_printer_type(const Binding& device_type) {
    return device_type.type == PMS_TYPE_OID && device_type.oid_value == mib::kHrDevicePrinter;
}

// The printer is the device of type hrDevicePrinter; agents that do not
// type their devices still list it in hrPrinterTable.
std::optional<long> printer_device(const Columns& columns) {
    for (const auto& row : columns[kDeviceType]) {
        if (is_printer_type(row.second)) return row.first.first();
    }
    if (const std::optional<long> index = first_index(columns[kPrinterStatus])) return index;
    return first_index(columns[kErrorState]);
}

void read_device(const Columns& columns, PrinterReport* report) {
    const Column& descrs = columns[kDeviceDescr];
    const Column& statuses = columns[kDeviceStatus];
    const Column& printer_statuses = columns[kPrinterStatus];
    const Column& error_states = columns[kErrorState];

    report->device_index = printer_device(columns);
    if (!report->device_index) report->device_index = first_index(statuses);
    if (!report->device_index) return;

    const RowIndex index(*report->device_index);
    report->device_descr = text_of(cell(descrs, index));
    report->device_status = number_of(cell(statuses, index));
    report->printer_status = number_of(cell(printer_statuses, index));
    const std::optional<Binding> errors = cell(error_states, index);
    if (errors && errors->type == PMS_TYPE_OCTET_STRING) {
        report->error_state = errors->octets;
        report->error_conditions = decode_error_state(errors->octets);
    }
}

void read_supplies(const Columns& columns, PrinterReport* report) {
    const Column& classes = columns[kSupplyClass];
    const Column& types = columns[kSupplyType];
    const Column& descriptions = columns[kSupplyDescription];
    const Column& units = columns[kSupplyUnit];
    const Column& maxima = columns[kSupplyMax];
    const Column& levels = columns[kSupplyLevel];
    for (const RowIndex& index : row_indexes({&classes, &types, &descriptions, &maxima, &levels})) {
        Supply supply;
        supply.index = index.text();
        supply.description = text_of(cell(descriptions, index));
        supply.supply_class = number_of(cell(classes, index));
        supply.type = number_of(cell(types, index));
        supply.unit = number_of(cell(units, index));
        supply.max_capacity = number_of(cell(maxima, index));
        supply.level = number_of(cell(levels, index));
        supply.receptacle = supply_is_receptacle(supply.supply_class, supply.type);
        supply.reading = level_of(cell(levels, index), supply.max_capacity, supply.receptacle);
        report->supplies.push_back(std::move(supply));
    }
}

void read_input_trays(const Columns& columns, PrinterReport* report) {
    const Column& maxima = columns[kInputMax];
    const Column& levels = columns[kInputLevel];
    const Column& names = columns[kInputName];
    for (const RowIndex& index : row_indexes({&names, &maxima, &levels})) {
        InputTray tray;
        tray.index = index.text();
        tray.name = text_of(cell(names, index));
        tray.max_capacity = number_of(cell(maxima, index));
        tray.current_level = number_of(cell(levels, index));
        tray.reading = level_of(cell(levels, index), tray.max_capacity, false);
        report->input_trays.push_back(std::move(tray));
    }
}

void read_alerts(const Columns& columns, PrinterReport* report) {
    const Column& severities = columns[kAlertSeverity];
    const Column& groups = columns[kAlertGroup];
    const Column& locations = columns[kAlertLocation];
    const Column& codes = columns[kAlertCode];
    const Column& descriptions = columns[kAlertDescription];
    for (const RowIndex& index : row_indexes({&severities, &groups, &codes, &descriptions})) {
        Alert alert;
        alert.index = index.text();
        alert.severity = number_of(cell(severities, index));
        alert.group = number_of(cell(groups, index));
        alert.location = number_of(cell(locations, index));
        alert.code = number_of(cell(codes, index));
        alert.description = text_of(cell(descriptions, index));
        report->alerts.push_back(std::move(alert));
    }
}

void read_general(const Columns& columns, PrinterReport* report) {
    report->printer_name = text_of(device_cell(columns[kPrinterName], report->device_index));
    report->serial_number = text_of(device_cell(columns[kSerialNumber], report->device_index));
    const std::optional<Binding> count = device_cell(columns[kLifeCount], report->device_index);
    if (count && count->is_numeric() && count->number >= 0)
        report->page_count = static_cast<std::uint64_t>(count->number);
    for (const auto& row : columns[kConsoleText])
        if (row.second.type == PMS_TYPE_OCTET_STRING) report->console_lines.push_back(row.second.octets);
}

// Every column, and the scalars, one read after the other, as SNMPv1
// reports have always been read.
Columns read_plainly(ReportReader& in, PrinterReport* report) {
    const std::vector<std::optional<Binding>> system = in.objects({mib::kSysDescr, mib::kSysName});
    report->sys_descr = text_of(system[0]);
    report->sys_name = text_of(system[1]);
    return in.columns(column_roots());
}

// For a reader that batches: the columns together (the device types up to
// the printer), then the scalars with the printer's row of hrDeviceTable in
// one request, instead of walking the whole device table for one row of it. Only when no printer shows up do
// the device columns get read whole, for the first device's row.
Columns read_together(ReportReader& in, PrinterReport* report) {
    const std::vector<Oid>& roots = column_roots();
    std::vector<Oid> wanted;
    std::vector<std::size_t> places;
    for (std::size_t i = 0; i < roots.size(); ++i) {
        if (i == kDeviceDescr || i == kDeviceStatus) continue;
        wanted.push_back(roots[i]);
        places.push_back(i);
    }
    // The device types matter up to the first printer.
    const auto types = static_cast<std::size_t>(std::find(places.begin(), places.end(), kDeviceType) - places.begin());
    std::vector<Column> read = in.columns(wanted, [types](std::size_t column, const Binding& binding) {
        return column == types && is_printer_type(binding);
    });
    Columns columns(roots.size());
    for (std::size_t i = 0; i < places.size(); ++i) columns[places[i]] = std::move(read[i]);

    std::vector<Oid> objects = {mib::kSysDescr, mib::kSysName};
    const std::optional<long> device = printer_device(columns);
    const RowIndex row(device.value_or(0));
    if (device) {
        objects.push_back(roots[kDeviceDescr] + row.arcs);
        objects.push_back(roots[kDeviceStatus] + row.arcs);
    }
    const std::vector<std::optional<Binding>> found = in.objects(objects);
    report->sys_descr = text_of(found[0]);
    report->sys_name = text_of(found[1]);
    if (!device) {
        read = in.columns({roots[kDeviceDescr], roots[kDeviceStatus]});
        columns[kDeviceDescr] = std::move(read[0]);
        columns[kDeviceStatus] = std::move(read[1]);
        return columns;
    }
    if (found[2]) columns[kDeviceDescr].emplace(row, *found[2]);
    if (found[3]) columns[kDeviceStatus].emplace(row, *found[3]);
    return columns;
}

}  // namespace

bool supply_is_receptacle(std::optional<long> supply_class, std::optional<long> type) {
    if (supply_class == mib::kClassReceptacleThatIsFilled) return true;
    if (supply_class == mib::kClassSupplyThatIsConsumed) return false;
    return type && mib::supply_type_is_waste(*type);
}

pmc_long read_printer_report(MibReader& reader, PrinterReport* report) {
    ReportReader in(reader);
    const Columns columns = reader.batches() ? read_together(in, report) : read_plainly(in, report);
    read_device(columns, report);
    read_general(columns, report);
    read_supplies(columns, report);
    read_input_trays(columns, report);
    read_alerts(columns, report);
    return in.status();
}

}  // namespace pmtool
