// A pager held against its customer's template, field by field under the names `show`
// uses: what a service technician asks of a returned pager that "does not ring" — is it
// still configured as the customer ordered? Only the fields the pager's memory holds are
// compared. The fields each pager has of its own differ from pager to pager and are listed
// apart: its capcodes with their frames, and the calibration a write takes over from the
// pager rather than from the settings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/document/startup.h"
#include "settings/revision.h"
#include "settings/settings_model.h"

namespace pagerprog {

struct Context;

struct FieldDifference {
    std::string field;
    std::string templateValue;  // as `show` prints it, unescaped
    std::string pagerValue;
};

struct PagerAudit {
    std::vector<FieldDifference> differences;  // what the pager holds otherwise than the template
    std::vector<FieldDifference> perUnit;      // the pager's own fields that differ
    bool asTemplate() const { return differences.empty(); }
};

// The one list of the fields each pager has of its own, in this revision.
bool isPerUnitField(std::string_view field, Revision revision);

// `templateFields` as a settings file loads them, `pagerFields` as a read of the pager
// loads them, both in table order in the same revision.
PagerAudit auditPager(const std::vector<Field>& templateFields, const std::vector<Field>& pagerFields,
                      Revision revision);

// A settings file's fields as "&Open" shows them in a program started afresh with the
// customer and revision of `like`; none, the status-log lines saying why, when it is refused.
struct LoadedTemplate {
    std::optional<std::vector<Field>> fields;
    std::vector<std::string> log;
};
LoadedTemplate loadTemplate(const Context& like, const std::string& path, const StartupOptions& startup);

}  // namespace pagerprog
