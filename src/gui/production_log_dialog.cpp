#include "gui/production_log_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "gui/qt_text.h"

namespace pagerprog::gui {

ProductionLogDialog::ProductionLogDialog(QWidget* parent, ProductionLog& log,
                                         std::function<void(const std::string&)> exportCsv)
    : QDialog(parent),
      log_(log),
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
    problem_->setText(messageText(log_.problem()));
    problem_->setVisible(!log_.problem().empty());
    export_->setEnabled(rows.size() > 1);
}

}  // namespace pagerprog::gui
