// audit: the attached pager held against the customer's template, field by field.
#include <iostream>
#include <nlohmann/json.hpp>

#include "app/pager/pager_audit.h"
#include "app/record/json_text.h"
#include "cli/escapes.h"
#include "cli/exit_status.h"
#include "cli/unit_commands.h"
#include "host/plural.h"

namespace pagerprog::cli {

namespace {

Json differencesJson(const std::vector<FieldDifference>& differences) {
    Json json = Json::array();
    for (const FieldDifference& d : differences)
        json.push_back(
            {{"field", d.field}, {"template", jsonText(d.templateValue)}, {"pager", jsonText(d.pagerValue)}});
    return json;
}

// As diff prints a field: "name: template -> pager", escaped as show escapes.
void printDifferences(const std::vector<FieldDifference>& differences, const char* prefix) {
    for (const FieldDifference& d : differences)
        std::cout << prefix << d.field << ": " << escaped(d.templateValue) << " -> " << escaped(d.pagerValue) << '\n';
}

std::string differ(std::size_t count, std::string_view noun) {
    return plural(static_cast<long long>(count), noun) + (count == 1 ? " differs" : " differ");
}

}  // namespace

int audit(Session& session, const Options& options) {
    const std::string& path = options.files[0];
    const LoadedTemplate loaded =
        loadTemplate(session.app().context(), path, StartupOptions{systemDecimalSeparator(), options.dataDir});
    if (!loaded.fields) {
        for (const std::string& line : loaded.log) session.console().status("log: " + line);
        session.console().error("refused: the template " + path + " cannot be loaded");
        return exit_status::kRefused;
    }
    if (!session.readPager()) return exit_status::of(session.lastOutcome());
    const PagerAudit audit =
        auditPager(*loaded.fields, session.app().model().fields(), session.app().program().hardwareRevision);
    if (options.json) {
        const Json json{{"template", jsonText(path)},
                        {"as_template", audit.asTemplate()},
                        {"differences", differencesJson(audit.differences)},
                        {"per_unit", differencesJson(audit.perUnit)}};
        std::cout << jsonLine(json, JsonSpacing::Spaced) << '\n';
    } else {
        printDifferences(audit.differences, "");
        printDifferences(audit.perUnit, "per unit: ");
        std::cout << (audit.asTemplate() ? "configured as the template"
                                         : differ(audit.differences.size(), "field") + " from the template")
                  << "; " << differ(audit.perUnit.size(), "per-unit field") << '\n';
    }
    return audit.asTemplate() ? exit_status::kOk : exit_status::kVerifyDiffers;
}

}  // namespace pagerprog::cli
