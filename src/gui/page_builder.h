// Builds the pages of the tab control from the field and element tables: one widget
// set per field, in table order. Fields of a group with address slots or folders form a
// grid, one row per slot; other fields form rows of label, editors and the texts after
// them, flowing into columns.
#pragma once

#include <QGroupBox>
#include <string>
#include <unordered_map>

#include "gui/field_view.h"

namespace pagerprog::gui {

// Field views by field name; their addresses stay put while the map grows.
using FieldViews = std::unordered_map<std::string, FieldView>;

// The page of a tab element, with the views of its fields added to `views` and its
// group boxes to `groups`.
QWidget* buildTabPage(const std::string& tab, FieldViews& views, std::unordered_map<std::string, QGroupBox*>& groups);

}  // namespace pagerprog::gui
