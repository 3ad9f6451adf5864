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
      serialFilter_(new QLineEdit),
      table_(new QTableWidget),
      tabs_(new QTabWidget),
      summaryBy_(new QComboBox),
      summary_(new QTableWidget),
      problem_(new QLabel),
      export_(new QPushButton("Export CSV...")) {
    setObjectName("ProductionLog");
    setWindowTitle("Production log");
    problem_->setObjectName("LogProblem");
    problem_->setWordWrap(true);
    problem_->setStyleSheet("color: #c62828;");
    tabs_->setObjectName("LogTabs");
    tabs_->addTab(buildUnitsPage(), "Units");
    tabs_->addTab(buildSummaryPage(), "Summary");
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { refreshSummary(); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(export_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(export_, &QPushButton::clicked, this, [this, exportCsv = std::move(exportCsv)] { exportCsv(log_.csv()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
    resize(900, 420);
    refresh();
}

QWidget* ProductionLogDialog::buildUnitsPage() {
    filter_->setObjectName("CapcodeFilter");
    filter_->setPlaceholderText("all units");
    filter_->setClearButtonEnabled(true);
    filter_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,7}"), filter_));
    serialFilter_->setObjectName("SerialFilter");
    serialFilter_->setPlaceholderText("all units");
    serialFilter_->setClearButtonEnabled(true);
    table_->setObjectName("LogTable");
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setWordWrap(true);
    table_->setToolTip("Double-click a unit to see all of it");
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { showUnit(row); });

    auto* filterRow = new QHBoxLayout;
    const std::pair<const char*, QLineEdit*> filters[] = {{"&Capcode:", filter_}, {"&Serial:", serialFilter_}};
    for (const auto& [caption, edit] : filters) {
        auto* label = new QLabel(caption);
        label->setBuddy(edit);
        filterRow->addWidget(label);
        filterRow->addWidget(edit, 1);
    }
    connect(filter_, &QLineEdit::textEdited, this, [this](const QString& text) { filterEdited(text); });
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty()) filterEdited(text);  // the clear button
    });
    connect(serialFilter_, &QLineEdit::textChanged, this, [this](const QString& text) { serialFilterEdited(text); });

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(filterRow);
    layout->addWidget(table_, 1);
    return page;
}

QWidget* ProductionLogDialog::buildSummaryPage() {
    summaryBy_->setObjectName("SummaryBy");
    for (ReportGrouping by : {ReportGrouping::Day, ReportGrouping::Batch, ReportGrouping::Bench,
                              ReportGrouping::Programmer, ReportGrouping::Operator})
        summaryBy_->addItem(QString::fromStdString(std::string(reportGroupingName(by))), static_cast<int>(by));
    connect(summaryBy_, &QComboBox::currentIndexChanged, this, [this] { refreshSummary(); });
    summary_->setObjectName("SummaryTable");
    summary_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    summary_->verticalHeader()->hide();
    summary_->horizontalHeader()->setStretchLastSection(true);
    summary_->setToolTip(
        "First-pass: pagers verified at their first write. Mean and p95: seconds a verified pager's write took. "
        "Per hour: verified pagers over the hours the batches ran.");

    auto* byRow = new QHBoxLayout;
    auto* label = new QLabel("&By:");
    label->setBuddy(summaryBy_);
    byRow->addWidget(label);
    byRow->addWidget(summaryBy_);
    byRow->addStretch(1);
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(byRow);
    layout->addWidget(summary_, 1);
    return page;
}

void ProductionLogDialog::filterEdited(const QString& text) {
    if (log_.filterByCapcode(text.toStdString())) refresh();
}

void ProductionLogDialog::serialFilterEdited(const QString& text) {
    if (log_.filterBySerial(text.toStdString())) refresh();
}

namespace {

void fillTable(QTableWidget& table, const std::vector<std::vector<std::string>>& rows) {
    table.clear();
    table.setColumnCount(static_cast<int>(rows.front().size()));
    table.setRowCount(static_cast<int>(rows.size()) - 1);
    QStringList header;
    for (const std::string& name : rows.front()) header << messageText(name);
    table.setHorizontalHeaderLabels(header);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            table.setItem(static_cast<int>(r - 1), static_cast<int>(c), new QTableWidgetItem(messageText(rows[r][c])));
    }
    table.resizeColumnsToContents();
}

}  // namespace

// The summary reads every write of the record: only while it is shown.
void ProductionLogDialog::refreshSummary() {
    if (tabs_->currentIndex() != tabs_->indexOf(summary_->parentWidget())) return;
    fillTable(*summary_, log_.summary(static_cast<ReportGrouping>(summaryBy_->currentData().toInt())));
}

void ProductionLogDialog::refresh() {
    refreshSummary();
    const auto rows = log_.rows();
    fillTable(*table_, rows);
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
