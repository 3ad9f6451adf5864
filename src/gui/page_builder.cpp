#include "gui/page_builder.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <vector>

#include "gui/qt_text.h"

namespace pagerprog::gui {

namespace {

// Sized so that every tab fits a 1024x768 screen, and a 1920x1080 one at 150%, unscrolled.
constexpr int kRowsPerColumn = 16;    // rows of ungrouped fields before a new column starts
constexpr int kColumnTextLines = 34;  // group boxes stack in a column up to this height, in text lines
constexpr int kFoldersPerBlock = 6;   // the 24 folders in four blocks, under the addresses
constexpr int kRowSpacing = 3;
constexpr int kColumnSpacing = 4;

// A column heading of a slot grid, above the column of the field named `stem` plus the
// slot number, spanning `span` columns.
struct Heading {
    const char* stem;
    const char* text;
    int span = 1;
};

// The headings of the address grid: the capcode, its increment and frame, the message
// type, the presentation of function codes A to D and, above the four urgent flags, "Uch".
const std::vector<Heading>& addressHeadings() {
    static const std::vector<Heading> headings{
        {"address", "PN"},         {"autoinc", "Auto inc"},   {"frame", "Fm"},
        {"msgtype", "Msg type"},   {"addrformatA", "A Tone"}, {"addrformatB", "B Tone"},
        {"addrformatC", "C Tone"}, {"addrformatD", "D Tone"}, {"urgentA", "Uch", 4},
    };
    return headings;
}

// A slot field's name without its slot number: "addr1formatA" -> "addrformatA".
std::string stemOf(const FieldDef& def) {
    std::string stem = def.name;
    const std::string number = std::to_string(def.slot);
    if (auto at = stem.find(number); at != std::string::npos) stem.erase(at, number.size());
    return stem;
}

std::vector<const FieldDef*> fieldsOf(const std::string& tab, const std::string& group) {
    std::vector<const FieldDef*> fields;
    for (const auto& def : fieldTable()) {
        if (def.tab == tab && def.group == group) fields.push_back(&def);
    }
    return fields;
}

FieldView& addView(const FieldDef& def, QWidget* parent, FieldViews& views) {
    return views.emplace(def.name, createFieldView(def, parent)).first->second;
}

// Rows of label, editors and following texts, flowing into side-by-side columns. A
// field without a label that follows a field with a text after it ("Alarm" hh ":" mm)
// joins that field's row; a field whose label names an earlier row sits in that row's
// place (the SM8212 thresholds where BS1 and BS3 of the Q4 decoder sit).
class FormRows {
public:
    FormRows(QBoxLayout* columns, int rowsPerColumn) : columns_(columns), rowsPerColumn_(rowsPerColumn) {}

    void add(const FieldView& view) {
        const FieldDef& def = *view.def;
        if (def.kind == FieldKind::Flag) {
            const int row = nextRow();
            grid_->addWidget(view.widget(), row, 0, 1, 2);
            cell_ = nullptr;
            return;
        }
        const bool joins =
            view.label == nullptr && cell_ != nullptr && previous_ != nullptr && !previous_->unit.empty();
        if (!joins) startRow(view);
        cell_->addWidget(view.widget());
        if (view.unit != nullptr) cell_->addWidget(view.unit);
        previous_ = &def;
    }

private:
    void startRow(const FieldView& view) {
        const auto shared = view.label != nullptr ? rowOfLabel_.find(view.label->text()) : rowOfLabel_.end();
        if (shared != rowOfLabel_.end()) {
            const auto& [grid, row, cell] = shared->second;
            grid->addWidget(view.label, row, 0);
            cell_ = cell;
            return;
        }
        const int row = nextRow();
        cell_ = new QHBoxLayout;
        grid_->addLayout(cell_, row, 1, Qt::AlignLeft);
        if (view.label != nullptr) {
            grid_->addWidget(view.label, row, 0);
            rowOfLabel_[view.label->text()] = Place{grid_, row, cell_};
        }
    }

    // The next row, in a new column when the current one is full.
    int nextRow() {
        if (grid_ == nullptr || rows_ == rowsPerColumn_) {
            grid_ = new QGridLayout;
            grid_->setVerticalSpacing(kRowSpacing);
            grid_->setAlignment(Qt::AlignTop);
            columns_->addLayout(grid_);
            rows_ = 0;
        }
        return rows_++;
    }

    struct Place {
        QGridLayout* grid;
        int row;
        QHBoxLayout* cell;
    };

    QBoxLayout* columns_;
    int rowsPerColumn_;
    QGridLayout* grid_ = nullptr;
    int rows_ = 0;
    QHBoxLayout* cell_ = nullptr;
    const FieldDef* previous_ = nullptr;
    std::map<QString, Place> rowOfLabel_;
};

// One row per slot, one column per field of a slot, in table order; rows wrap into
// blocks placed side by side.
void buildSlotGrid(QGridLayout* grid, const std::vector<const FieldDef*>& fields, QWidget* parent, FieldViews& views,
                   const std::vector<Heading>& headings, int rowsPerBlock) {
    std::map<int, int> fieldsInSlot;
    std::map<std::string, int> columnOfStem;
    int columnsPerSlot = 0;
    for (const FieldDef* def : fields) {
        const int column = fieldsInSlot[def->slot]++;
        columnsPerSlot = std::max(columnsPerSlot, column + 1);
        columnOfStem.emplace(stemOf(*def), column);
    }
    const int headingRows = headings.empty() ? 0 : 1;
    const int blockWidth = columnsPerSlot + 1;  // a spare column keeps the blocks apart
    fieldsInSlot.clear();
    for (const FieldDef* def : fields) {
        const int column = fieldsInSlot[def->slot]++;
        const int block = (def->slot - 1) / rowsPerBlock;
        const int row = (def->slot - 1) % rowsPerBlock + headingRows;
        FieldView& view = addView(*def, parent, views);
        grid->addWidget(view.widget(), row, block * blockWidth + column);
    }
    for (const auto& heading : headings) {
        auto* label = new QLabel(heading.text, parent);
        grid->addWidget(label, 0, columnOfStem.at(heading.stem), 1, heading.span, Qt::AlignCenter);
    }
    const int blocks = (static_cast<int>(fieldsInSlot.size()) + rowsPerBlock - 1) / rowsPerBlock;
    for (int block = 1; block < blocks; ++block) grid->setColumnMinimumWidth(block * blockWidth - 1, 2 * kRowSpacing);
    grid->setVerticalSpacing(kRowSpacing);
    grid->setHorizontalSpacing(kColumnSpacing);
}

bool hasSlots(const std::vector<const FieldDef*>& fields) {
    return std::any_of(fields.begin(), fields.end(), [](const FieldDef* f) { return f->slot > 0; });
}

QGroupBox* buildGroup(const ElementDef& group, QWidget* parent, FieldViews& views) {
    auto* box = new QGroupBox(fieldText(group.caption), parent);
    box->setObjectName(QString::fromStdString(group.name));
    if (!group.hint.empty()) box->setToolTip(fieldText(group.hint));
    const auto fields = fieldsOf(group.parent, group.name);
    if (hasSlots(fields)) {
        const bool address = group.name == element::groupAddress;
        buildSlotGrid(new QGridLayout(box), fields, box, views, address ? addressHeadings() : std::vector<Heading>{},
                      address ? static_cast<int>(fields.size()) : kFoldersPerBlock);
    } else {
        FormRows rows(new QHBoxLayout(box), static_cast<int>(fields.size()));
        for (const FieldDef* def : fields) rows.add(addView(*def, box, views));
    }
    return box;
}

}  // namespace

QWidget* buildTabPage(const std::string& tab, FieldViews& views, std::unordered_map<std::string, QGroupBox*>& groups) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromStdString(tab));
    auto* columns = new QHBoxLayout(page);
    const int edge = columns->spacing();
    columns->setContentsMargins(edge, edge, edge, edge);
    FormRows ungrouped(columns, kRowsPerColumn);
    for (const FieldDef* def : fieldsOf(tab, "")) ungrouped.add(addView(*def, page, views));

    QVBoxLayout* grids = nullptr;
    QVBoxLayout* stack = nullptr;
    int stackedHeight = 0;
    const int columnHeight = page->fontMetrics().lineSpacing() * kColumnTextLines;
    for (const auto& element : elementTable()) {
        if (element.kind != ElementKind::Group || element.parent != tab) continue;
        QGroupBox* box = buildGroup(element, page, views);
        groups[element.name] = box;
        // Slot grids stand one under the other; other groups stack in columns.
        if (hasSlots(fieldsOf(tab, element.name))) {
            if (grids == nullptr) {
                grids = new QVBoxLayout;
                grids->setAlignment(Qt::AlignTop);
                columns->addLayout(grids);
            }
            grids->addWidget(box, 0, Qt::AlignLeft);
            continue;
        }
        const int height = box->sizeHint().height();
        if (stack == nullptr || (stackedHeight > 0 && stackedHeight + height > columnHeight)) {
            stack = new QVBoxLayout;
            stack->setAlignment(Qt::AlignTop);
            columns->addLayout(stack);
            stackedHeight = 0;
        }
        stack->addWidget(box);
        stackedHeight += height + stack->spacing();
    }
    columns->addStretch();
    return page;
}

}  // namespace pagerprog::gui
