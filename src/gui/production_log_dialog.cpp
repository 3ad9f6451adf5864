#include "gui/production_log_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "gui/qt_text.h"

namespace pagerprog::gui {

namespace {
constexpr int kIdColumn = 0;
constexpr int kCapcodesColumn = 6;
constexpr int kCapcodesShownPerLine = 3;  // "8:1234567" and two more: longer lists wrap
}  // namespace

ProductionLogDialog::ProductionLogDialog(QWidget* parent, ProductionLog& log,
                                         std::function<void(const std::string&)> exportCsv,
                                         std::function<void(std::int64_t, QWidget*)> savePreviousImage)
    : QDialog(parent),
      log_(log),
      savePreviousImage_(std::move(savePreviousImage)),
      filter_(new QLineEdit),
      table_(new QTableWidget),
      problem_(new QLabel),
      export_(new QPushButton("Export CSV...")) {
    setObjectName("ProductionLog");
    setWindowTitle("Production log");
    filter_->setObjectName("CapcodeFilter");
    filter_->setPlaceholderText("all units");
    filter_->setClearButtonEnabled(true);
    filter_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,7}"), filter_));
    table_->setObjectName("LogTable");
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setWordWrap(true);
    table_->setToolTip("Double-click a unit to see all of it");
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { showUnit(row); });
    problem_->setObjectName("LogProblem");
    problem_->setWordWrap(true);
    problem_->setStyleSheet("color: #c62828;");

    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel("&Capcode:");
    filterLabel->setBuddy(filter_);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filter_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(export_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(export_, &QPushButton::clicked, this, [this, exportCsv = std::move(exportCsv)] { exportCsv(log_.csv()); });
    connect(filter_, &QLineEdit::textEdited, this, [this](const QString& text) { filterEdited(text); });
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty()) filterEdited(text);  // the clear button
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(table_, 1);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
    resize(900, 420);
    refresh();
}

void ProductionLogDialog::filterEdited(const QString& text) {
    if (log_.filterByCapcode(text.toStdString())) refresh();
}

void ProductionLogDialog::refresh() {
    const auto rows = log_.rows();
    table_->clear();
    table_->setColumnCount(static_cast<int>(rows.front().size()));
    table_->setRowCount(static_cast<int>(rows.size()) - 1);
    QStringList header;
    for (const std::string& name : rows.front()) header << messageText(name);
    table_->setHorizontalHeaderLabels(header);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            table_->setItem(static_cast<int>(r - 1), static_cast<int>(c),
                            new QTableWidgetItem(messageText(rows[r][c])));
        }
    }
    table_->resizeColumnsToContents();
    // Eight capcodes would push the other columns out of sight: they wrap instead.
    const int capcodesWidth =
        table_->fontMetrics().horizontalAdvance(QString("8:1234567 ").repeated(kCapcodesShownPerLine)) + 12;
    if (table_->columnCount() > kCapcodesColumn && table_->columnWidth(kCapcodesColumn) > capcodesWidth)
        table_->setColumnWidth(kCapcodesColumn, capcodesWidth);
    table_->resizeRowsToContents();
    problem_->setText(messageText(log_.problem()));
    problem_->setVisible(!log_.problem().empty());
    export_->setEnabled(rows.size() > 1);
}

void ProductionLogDialog::showUnit(int row) {
    const QTableWidgetItem* idItem = table_->item(row, kIdColumn);
    if (idItem == nullptr) return;
    const std::int64_t id = idItem->text().toLongLong();
    const auto details = log_.details(id);
    if (!details) {
        refresh();  // says why the record cannot be read
        return;
    }
    auto* unit = new QDialog(this);
    unit->setObjectName("UnitDetails");
    unit->setAttribute(Qt::WA_DeleteOnClose);
    unit->setWindowTitle(QString("Unit %1").arg(id));
    auto* text = new QPlainTextEdit(messageText(*details));
    text->setObjectName("UnitText");
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* save = buttons->addButton("Save previous image as...", QDialogButtonBox::ActionRole);
    save->setObjectName("SavePreviousImage");
    save->setEnabled(log_.previousImage(id).has_value());
    connect(buttons, &QDialogButtonBox::rejected, unit, &QDialog::close);
    connect(save, &QPushButton::clicked, unit, [this, id, unit] { savePreviousImage_(id, unit); });
    auto* layout = new QVBoxLayout(unit);
    layout->addWidget(text, 1);
    layout->addWidget(buttons);
    unit->resize(text->fontMetrics().averageCharWidth() * 90, text->fontMetrics().lineSpacing() * 30);
    unit->show();
}

}  // namespace pagerprog::gui
