// "Compare pager with file...": what the pager just read holds otherwise than the chosen
// settings file (the customer's template), field by field under the names the command line
// uses; the pager's own fields (its capcodes, its calibration) are listed after them in grey.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QTableWidget>
#include <string>

#include "app/pager/pager_audit.h"

namespace pagerprog::gui {

class PagerAuditDialog : public QDialog {
public:
    explicit PagerAuditDialog(QWidget* parent);

    // Shows the comparison of the pager with the file at `path`.
    void showAudit(const PagerAudit& audit, const std::string& path);

    QLabel& summary() { return *summary_; }
    QTableWidget& table() { return *table_; }

private:
    QLabel* summary_;
    QTableWidget* table_;
};

}  // namespace pagerprog::gui
