// The value a field shows, in the terms its image row stores, so that two programs'
// windows can be compared field by field: an item index, a flag, a number, hertz, volts
// or the text itself.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "settings/conversion.h"
#include "settings/frequency.h"
#include "settings/image_layout.h"
#include "settings/settings_model.h"

namespace pagerprog::testing {

inline std::string shownAsStored(const Field& field, const ImageField& row, char separator = '.') {
    if (field.def->kind == FieldKind::Choice) return std::to_string(field.index);
    if (field.def->kind == FieldKind::Flag) return field.checked ? "1" : "0";
    if (row.coding == Coding::Text || row.coding == Coding::Pattern) return field.text;
    if (row.coding == Coding::Frequency) {
        const auto frequency = Frequency::fromText(field.text, separator);
        return frequency ? std::to_string(frequency->hertz()) : field.text;
    }
    try {
        return row.coding == Coding::Battery ? formatReal(parseReal(field.text, separator), separator)
                                             : std::to_string(parseInteger(field.text));
    } catch (const ConversionError&) {
        return field.text;
    }
}

// The fields of the layout, once each, whose shown values differ between two records.
inline std::vector<std::string> fieldsShownOtherwise(const SettingsModel& a, const SettingsModel& b, Layout layout) {
    std::vector<std::string> differing;
    std::set<std::string> seen;
    for (const ImageField& row : imageLayout(layout)) {
        if (row.field.empty() || row.encodeOnly || !seen.insert(row.field).second) continue;
        if (shownAsStored(a.field(row.field), row) != shownAsStored(b.field(row.field), row))
            differing.push_back(row.field);
    }
    return differing;
}

// The fields a status log named as stored otherwise than shown.
inline std::set<std::string> fieldsNamedIn(const std::vector<std::string>& logLines) {
    std::set<std::string> named;
    for (const auto& line : logLines) {
        if (const auto at = line.find(" shows "); at != std::string::npos) named.insert(line.substr(0, at));
    }
    return named;
}

}  // namespace pagerprog::testing
