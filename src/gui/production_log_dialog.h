// "Production log…": the newest units of the production record in a table, filtered by a
// capcode as it is typed, with the shown units exported as CSV. It stays open beside the
// window and follows each pager command.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <functional>

#include "app/production/production_log.h"

namespace pagerprog::gui {

class ProductionLogDialog : public QDialog {
public:
    // `exportCsv` is called with the CSV text when the technician asks to export it.
    ProductionLogDialog(QWidget* parent, ProductionLog& log, std::function<void(const std::string&)> exportCsv);

    // Reads the record again.
    void refresh();

    QLineEdit& capcodeFilter() { return *filter_; }
    QTableWidget& table() { return *table_; }
    QLabel& problem() { return *problem_; }
    QPushButton& exportButton() { return *export_; }

private:
    void filterEdited(const QString& text);

    ProductionLog& log_;
    QLineEdit* filter_;
    QTableWidget* table_;
    QLabel* problem_;
    QPushButton* export_;
};

}  // namespace pagerprog::gui
