#include "commands/commands.h"

#include "render/binding_format.h"
#include "cli/exit_codes.h"
#include "printer/printer_status.h"
#include "render/render.h"

namespace pmtool {

namespace {

void print_bindings(const Bindings& bindings, const Output& output) {
    if (output.json) {
        output.out << bindings_json(bindings);
        return;
    }
    for (const Binding& binding : bindings) output.out << format_binding(binding) << '\n';
}

}  // namespace

int report_failure(const Output& output, const std::string& reason) {
    output.err << "pmsnmp: " << reason << std::endl;
    return kExitFailure;
}

int run_get(SnmpAgent& agent, const std::vector<std::string>& oids, bool ask_again, const Output& output) {
    Bindings bindings;
    std::vector<AgentError> errors;
    const pmc_long status = agent.get_reporting(oids, ask_again, &bindings, &errors);
    for (const AgentError& error : errors) output.err << format_agent_error(error);
    if (status != PMC_S_OK) return report_failure(output, agent.reason());
    print_bindings(bindings, output);
    return errors.empty() ? kExitOk : kExitFailure;
}

int run_walk(SnmpAgent& agent, const std::string& root, const Output& output) {
    Bindings bindings;
    // As snmpwalk: the rows read before a failure are printed, then why.
    if (agent.walk(root, &bindings) != PMC_S_OK) {
        if (!bindings.empty()) print_bindings(bindings, output);
        return report_failure(output, agent.reason());
    }
    // Like snmpwalk: an empty subtree may still be an object of its own.
    if (bindings.empty() && agent.get_many({root}, &bindings) != PMC_S_OK)
        return report_failure(output, agent.reason());
    print_bindings(bindings, output);
    return kExitOk;
}

int run_set(SnmpAgent& agent, const std::string& oid, const std::string& instance, pmc_long value,
            const Output& output) {
    Binding written;
    if (agent.set_integer(oid, instance, value, &written.oid) != PMC_S_OK)
        return report_failure(output, agent.reason());
    written.type = PMS_TYPE_INTEGER;
    written.number = value;
    print_bindings({written}, output);
    return kExitOk;
}

int run_status(SnmpAgent& agent, const Output& output) {
    PrinterReport report;
    report.host = agent.options().host.display();
    if (read_printer_report(agent, &report) != PMC_S_OK) return report_failure(output, agent.reason());
    output.out << (output.json ? render_report_json(report) : render_report_text(report));
    return kExitOk;
}

}  // namespace pmtool
