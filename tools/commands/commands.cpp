#include "commands/commands.h"

#include "render/binding_format.h"
#include "cli/exit_codes.h"
#include "printer/printer_status.h"
#include "render/render.h"

#include <optional>

namespace pmtool {

namespace {

constexpr const char* kObjectExample = "1.3.6.1.2.1.1.5.0";
constexpr const char* kSubtreeExample = "1.3.6.1.2.1.43";

// What a person typed, parsed once; false, with the reason, for text that
// is no numeric identifier.
bool parse_typed(const std::string& text, const char* example, Oid* oid, std::string* reason) {
    std::optional<Oid> parsed = Oid::parse(text);
    if (!parsed) {
        *reason = "bad OID '" + text + "': expected numeric form such as " + example;
        return false;
    }
    *oid = std::move(*parsed);
    return true;
}

// The column or scalar oid_text with the instance's arcs after it.
std::optional<Oid> typed_instance(const std::string& oid_text, const std::string& instance) {
    const std::optional<Oid> oid = Oid::parse(oid_text);
    if (!oid || instance.empty()) return oid;
    const Oid zero{0};
    const std::optional<Oid> suffix = Oid::parse("0." + instance);
    if (!suffix) return std::nullopt;
    return *oid + suffix->suffix_after(zero);
}

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

int run_get(AgentReader& agent, const std::vector<std::string>& texts, bool ask_again, const Output& output) {
    std::vector<Oid> oids(texts.size());
    std::string reason;
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (!parse_typed(texts[i], kObjectExample, &oids[i], &reason)) return report_failure(output, reason);
    Bindings bindings;
    std::vector<AgentError> errors;
    const pmc_long status = agent.get_reporting(oids, ask_again, &bindings, &errors);
    for (const AgentError& error : errors) output.err << format_agent_error(error);
    if (status != PMC_S_OK) return report_failure(output, agent.reason());
    print_bindings(bindings, output);
    return errors.empty() ? kExitOk : kExitFailure;
}

int run_walk(AgentReader& agent, const std::string& text, const Output& output) {
    Oid root;
    std::string reason;
    if (!parse_typed(text, kSubtreeExample, &root, &reason)) return report_failure(output, reason);
    Bindings bindings;
    // As snmpwalk: the rows read before a failure are printed, then why.
    if (agent.walk(root, &bindings) != PMC_S_OK) {
        if (!bindings.empty()) print_bindings(bindings, output);
        return report_failure(output, agent.reason());
    }
    // Like snmpwalk: an empty subtree may still be an object of its own.
    if (bindings.empty() && agent.get_objects({root}, &bindings) != PMC_S_OK)
        return report_failure(output, agent.reason());
    print_bindings(bindings, output);
    return kExitOk;
}

int run_set(AgentReader& agent, const std::string& oid_text, const std::string& instance, pmc_long value,
            const Output& output) {
    const std::optional<Oid> oid = typed_instance(oid_text, instance);
    if (!oid) {
        return report_failure(output, "bad OID '" + oid_text +
                                          (instance.empty() ? "" : "' or instance '" + instance) + "'");
    }
    if (agent.set_integer(*oid, value) != PMC_S_OK) return report_failure(output, agent.reason());
    Binding written;
    written.oid = *oid;
    written.type = PMS_TYPE_INTEGER;
    written.number = value;
    print_bindings({written}, output);
    return kExitOk;
}

int run_status(AgentReader& agent, const Output& output) {
    PrinterReport report;
    report.host = agent.options().host.display();
    if (read_printer_report(agent, &report) != PMC_S_OK) return report_failure(output, agent.reason());
    output.out << (output.json ? render_report_json(report) : render_report_text(report));
    return kExitOk;
}

}  // namespace pmtool
