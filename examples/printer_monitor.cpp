// A small printer monitor: opens a printer, reads its name and status, walks
// its marker supplies and prints them.
//
//   printer_monitor HOST [PORT [COMMUNITY]]
//
// Built against an installed pmsnmp; see CMakeLists.txt (find_package) and
// Makefile (pkg-config) beside this file.
#include <pmsnmp/pmsnmp.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

constexpr const char* kSysName = "1.3.6.1.2.1.1.5";
constexpr const char* kSysDescr = "1.3.6.1.2.1.1.1";
constexpr const char* kDeviceStatus = "1.3.6.1.2.1.25.3.2.1.5.1";   // hrDeviceStatus.1
constexpr const char* kPrinterStatus = "1.3.6.1.2.1.25.3.5.1.1.1";  // hrPrinterStatus.1
constexpr const char* kSupplies = "1.3.6.1.2.1.43.11.1.1";           // prtMarkerSuppliesEntry
constexpr const char* kDescriptionColumn = "6";
constexpr const char* kMaxCapacityColumn = "8";
constexpr const char* kLevelColumn = "9";
constexpr pmc_long kSomeRemaining = -3;  // the printer knows no number, only "not empty"
constexpr pmc_long kTimeoutMs = 2000;
constexpr pmc_long kRetries = 1;

struct Supply {
    std::string description;
    pmc_long max_capacity = -1;
    pmc_long level = -1;
};

std::string text_of(pmc::Owned<IPmcByteString> text) {
    if (!text || text->get_length() == 0) return std::string();
    return std::string(reinterpret_cast<const char*>(text->get_data()), text->get_length());
}

const char* device_status_name(pmc_long code) {
    static const char* const names[] = {"unknown", "running", "warning", "testing", "down"};
    return code >= 1 && code <= 5 ? names[code - 1] : "absent";
}

const char* printer_status_name(pmc_long code) {
    static const char* const names[] = {"other", "unknown", "idle", "printing", "warmup"};
    return code >= 1 && code <= 5 ? names[code - 1] : "absent";
}

// One walk over the whole supplies table; each answer is one column of one
// supply, named <column>.<index> below kSupplies.
pmc_long read_supplies(IPmcGetData* printer, std::map<std::string, Supply>* supplies) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmcPtrList<IPmsPdu>> answers(pms_create_pdu_list(&status));
    if (!answers) return status;
    printer->add_get_variable(kSupplies, false);
    status = printer->walk(answers.get(), kSupplies);
    if (status != PMC_S_OK) return status;

    const std::string prefix = std::string(".") + kSupplies + ".";
    IPmcPtrList<IPmsPdu>::iterator it = answers->create_iterator(&status);
    if (it == nullptr) return status;
    for (IPmsPdu* pdu = answers->current(it); pdu != nullptr; answers->next(it), pdu = answers->current(it)) {
        IPmsVarBind* binding = pdu->get_varbind_list()->get_at(0);
        std::string name = text_of(pmc::Owned<IPmcByteString>(binding->get_oid()->get_text_new(nullptr)));
        if (name.compare(0, 1, ".") != 0) name.insert(0, ".");  // the prefix has one
        const std::string arcs = name.substr(prefix.size());
        const std::string column = arcs.substr(0, arcs.find('.'));
        Supply& supply = (*supplies)[arcs.substr(column.size())];
        IPmsValue* value = binding->get_value();
        if (column == kDescriptionColumn)
            supply.description = text_of(pmc::Owned<IPmcByteString>(value->get_text_new(nullptr)));
        if (column == kMaxCapacityColumn) supply.max_capacity = value->get_int(nullptr);
        if (column == kLevelColumn) supply.level = value->get_int(nullptr);
    }
    answers->release_iterator(it);
    return PMC_S_OK;
}

void print_supply(const Supply& supply) {
    std::printf("  %-32s ", supply.description.c_str());
    if (supply.level >= 0 && supply.max_capacity > 0)
        std::printf("%3ld%%\n", static_cast<long>(supply.level) * 100 / supply.max_capacity);
    else if (supply.level == kSomeRemaining)
        std::printf("some remaining\n");
    else
        std::printf("unknown\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: %s HOST [PORT [COMMUNITY]]\n", argv[0]);
        return 2;
    }
    const char* host = argv[1];
    const auto port = static_cast<unsigned short>(argc > 2 ? std::atoi(argv[2]) : 161);
    const char* community = argc > 3 ? argv[3] : "public";

    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmcGetData> printer(pmc_create_get_data(&status));
    if (!printer) return 1;
    pmc_long kind = PMC_ADDRESS_NONE;
    if (printer->get_address_kind(host, &kind) != PMC_S_OK) {
        std::fprintf(stderr, "%s: not an IPv4 or IPv6 address\n", host);
        return 2;
    }
    printer->set_community(community);  // before open
    status = printer->open(host, kind, port, PMS_VERSION_1, nullptr, 0, 0, 0, nullptr, nullptr, nullptr,
                           kTimeoutMs, kRetries, /*max size: the limit of the address kind*/ 0);
    if (status != PMC_S_OK) {
        std::fprintf(stderr, "open failed: status %ld\n", static_cast<long>(status));
        return 1;
    }

    // Each get_string_n sends the bindings still in the request and takes
    // the first answer out of it.
    char name[256];
    char description[256];
    printer->add_get_variable(kSysName, true);
    printer->add_get_variable(kSysDescr, true);
    status = printer->get_string_n(name, sizeof name);
    if (status == PMC_S_OK) status = printer->get_string_n(description, sizeof description);
    if (status != PMC_S_OK) {
        std::fprintf(stderr, "%s does not answer: status %ld\n", host, static_cast<long>(status));
        return 1;
    }
    std::printf("Printer %s\n  name         %s\n  description  %s\n", host, name, description);

    // Both status objects in one request; a missing one reads as -1.
    pmc_long codes[2] = {-1, -1};
    printer->add_get_variable(kDeviceStatus, false);
    printer->add_get_variable(kPrinterStatus, false);
    status = printer->get_integer_array(codes, 2);
    if (status != PMC_S_OK && status != PMC_E_NO_VALUE) {
        std::fprintf(stderr, "status request failed: %ld\n", static_cast<long>(status));
        return 1;
    }
    std::printf("  device       %s\n  printer      %s\n", device_status_name(codes[0]), printer_status_name(codes[1]));

    std::map<std::string, Supply> supplies;
    status = read_supplies(printer.get(), &supplies);
    if (status != PMC_S_OK) {
        std::fprintf(stderr, "supplies walk failed: %ld\n", static_cast<long>(status));
        return 1;
    }
    std::printf("Supplies (%zu)\n", supplies.size());
    for (const auto& entry : supplies) print_supply(entry.second);
    return 0;
}
