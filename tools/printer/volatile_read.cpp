#include "printer/volatile_read.h"

#include "printer/printer_mib.h"

#include <algorithm>
#include <map>
#include <utility>

namespace pmtool {

namespace {

// Columns whose cells change only when someone edits or refits the printer.
const std::vector<Oid>& static_columns() {
    static const std::vector<Oid> columns = {
        mib::kHrDeviceType, mib::kHrDeviceDescr, mib::kPrtGeneralPrinterName, mib::kPrtGeneralSerialNumber,
        mib::kPrtSuppliesClass, mib::kPrtSuppliesType, mib::kPrtSuppliesDescription, mib::kPrtSuppliesUnit,
        mib::kPrtSuppliesMaxCapacity, mib::kPrtInputMaxCapacity, mib::kPrtInputName};
    return columns;
}

bool is_static_column(const Oid& root) {
    const std::vector<Oid>& columns = static_columns();
    return std::find(columns.begin(), columns.end(), root) != columns.end();
}

bool is_static_object(const Oid& oid) {
    if (oid == mib::kSysDescr || oid == mib::kSysName) return true;
    const std::vector<Oid>& columns = static_columns();
    return std::any_of(columns.begin(), columns.end(),
                       [&oid](const Oid& column) { return oid.is_below(column); });
}

// The columns whose rows are the report's supplies and trays.
bool is_level_column(const Oid& root) {
    return root == mib::kPrtSuppliesLevel || root == mib::kPrtInputCurrentLevel;
}

bool same_rows(const Bindings& a, const Bindings& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Binding& x, const Binding& y) { return x.oid == y.oid; });
}

// Fills out from known for the names that is_static accepts (unless whole),
// and lists the others in *asked with their places in out. False when known
// lacks a name it should hold.
template <typename Answer>
bool answer_from_memory(const std::vector<Oid>& names, bool whole, bool (*is_static)(const Oid&),
                        const std::map<Oid, Answer>& known, std::vector<Answer>* out, std::vector<Oid>* asked,
                        std::vector<std::size_t>* places) {
    bool holds = true;
    out->assign(names.size(), Answer());
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (whole || !is_static(names[i])) {
            asked->push_back(names[i]);
            places->push_back(i);
            continue;
        }
        const auto found = known.find(names[i]);
        if (found == known.end()) holds = false;
        else (*out)[i] = found->second;
    }
    return holds;
}

}  // namespace

SplitReader::SplitReader(MibReader& agent, StaticObjects* memory, bool whole)
    : agent_(agent), memory_(*memory), whole_(whole) {}

pmc_long SplitReader::get(const Oid& oid, Binding* out) {
    Bindings found;
    const pmc_long status = get_objects({oid}, &found);
    if (status == PMC_S_OK) *out = std::move(found.front());
    return status;
}

pmc_long SplitReader::walk(const Oid& root, Bindings* out) {
    std::vector<Bindings> found;
    const pmc_long status = walk_columns({root}, nullptr, &found);
    *out = std::move(found.front());
    return status;
}

pmc_long SplitReader::get_objects(const std::vector<Oid>& oids, Bindings* out) {
    std::vector<Oid> asked;
    std::vector<std::size_t> places;
    if (!answer_from_memory(oids, whole_, is_static_object, memory_.objects, out, &asked, &places)) holds_ = false;
    // The uptime rides with the first objects: one request says whether the
    // printer restarted.
    const bool with_up_time = !up_time_asked_;
    if (with_up_time) asked.emplace_back(mib::kSysUpTime);
    up_time_asked_ = true;
    if (asked.empty()) return PMC_S_OK;
    Bindings answers;
    const pmc_long status = agent_.get_objects(asked, &answers);
    if (status != PMC_S_OK) return status;
    answers.resize(asked.size());
    for (std::size_t j = 0; j < places.size(); ++j) {
        if (whole_ && is_static_object(asked[j])) memory_.objects[asked[j]] = answers[j];
        (*out)[places[j]] = std::move(answers[j]);
    }
    if (with_up_time) note_up_time(answers.back());
    return PMC_S_OK;
}

pmc_long SplitReader::walk_columns(const std::vector<Oid>& roots, const Enough& enough,
                                   std::vector<Bindings>* out) {
    std::vector<Oid> asked;
    std::vector<std::size_t> places;
    if (!answer_from_memory(roots, whole_, is_static_column, memory_.columns, out, &asked, &places)) holds_ = false;
    if (asked.empty()) return PMC_S_OK;
    Enough asked_enough;
    if (enough) asked_enough = [&](std::size_t column, const Binding& binding) { return enough(places[column], binding); };
    std::vector<Bindings> answers;
    const pmc_long status = agent_.walk_columns(asked, asked_enough, &answers);
    answers.resize(asked.size());
    for (std::size_t j = 0; j < places.size(); ++j) {
        const Oid& root = asked[j];
        if (whole_ && is_static_column(root)) memory_.columns[root] = answers[j];
        if (is_level_column(root)) {
            if (whole_) memory_.level_rows[root] = answers[j];
            else if (!same_rows(memory_.level_rows[root], answers[j])) holds_ = false;
        }
        (*out)[places[j]] = std::move(answers[j]);
    }
    return status;
}

void SplitReader::note_up_time(const Binding& up_time) {
    std::optional<std::int64_t> now;
    if (up_time.type == PMS_TYPE_TIME_TICKS) now = up_time.number;
    if (!whole_ && memory_.up_time && now && *now < *memory_.up_time) holds_ = false;
    memory_.up_time = now;
}

pmc_long read_printer_report_split(MibReader& agent, ReadScope scope, StaticObjects* memory, PrinterReport* report,
                                   ReadScope* done) {
    const std::string host = report->host;
    if (scope == ReadScope::kVolatile && !memory->empty()) {
        SplitReader reader(agent, memory, false);
        *report = PrinterReport();
        report->host = host;
        const pmc_long status = read_printer_report(reader, report);
        *done = ReadScope::kVolatile;
        if (status != PMC_S_OK || reader.memory_holds()) return status;
    }
    *memory = StaticObjects();
    SplitReader reader(agent, memory, true);
    *report = PrinterReport();
    report->host = host;
    const pmc_long status = read_printer_report(reader, report);
    if (status != PMC_S_OK) *memory = StaticObjects();
    *done = ReadScope::kWhole;
    return status;
}

}  // namespace pmtool
