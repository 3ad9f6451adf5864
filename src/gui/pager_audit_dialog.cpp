#include "gui/pager_audit_dialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QVBoxLayout>

#include "gui/qt_text.h"
#include "host/plural.h"

namespace pagerprog::gui {

namespace {
const QColor kPerUnitColour(0x75, 0x75, 0x75);
constexpr const char* kPerUnitTip = "Each pager has its own: a write does not take it from the file";
}  // namespace

PagerAuditDialog::PagerAuditDialog(QWidget* parent)
    : QDialog(parent), summary_(new QLabel), table_(new QTableWidget(0, 3)) {
    setObjectName("PagerAudit");
    setWindowTitle("Compare pager with file");
    summary_->setObjectName("AuditSummary");
    summary_->setWordWrap(true);
    table_->setObjectName("AuditTable");
    table_->setHorizontalHeaderLabels({"Field", "File", "Pager"});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    layout->addWidget(buttons);
    resize(600, 420);
}

void PagerAuditDialog::showAudit(const PagerAudit& audit, const std::string& path) {
    const QString file = QFileInfo(QFile::decodeName(path.c_str())).fileName();
    const auto count = [](std::size_t n, const char* noun) {
        return QString::fromStdString(plural(static_cast<long long>(n), noun));
    };
    summary_->setText(
        audit.asTemplate()
            ? QString("The pager holds the settings of %1.").arg(file)
            : QString("The pager differs from %1 in %2.").arg(file, count(audit.differences.size(), "field")));
    if (!audit.perUnit.empty())
        summary_->setText(
            summary_->text() +
            QString(" Its own %1 (in grey) differ from pager to pager.").arg(count(audit.perUnit.size(), "field")));
    table_->setRowCount(0);
    for (const auto* list : {&audit.differences, &audit.perUnit}) {
        for (const FieldDifference& d : *list) {
            const int row = table_->rowCount();
            table_->insertRow(row);
            const QString cells[] = {QString::fromStdString(d.field), fieldText(d.templateValue),
                                     fieldText(d.pagerValue)};
            for (int column = 0; column < 3; ++column) {
                auto* item = new QTableWidgetItem(cells[column]);
                if (list == &audit.perUnit) {
                    item->setForeground(kPerUnitColour);
                    item->setToolTip(kPerUnitTip);
                }
                table_->setItem(row, column, item);
            }
        }
    }
    table_->resizeColumnsToContents();
    QDialog::show();
    raise();
}

}  // namespace pagerprog::gui
