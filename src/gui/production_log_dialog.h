// "Production log…": the newest units of the production record in a table, filtered by a
// capcode as it is typed, with the shown units exported as CSV. A double-clicked row shows
// the whole unit, and the pager's image before it can be saved as a settings file. It stays
// open beside the window and follows each pager command.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <cstdint>
#include <functional>

#include "app/production/production_log.h"

namespace pagerprog::gui {

class ProductionLogDialog : public QDialog {
public:
    // `exportCsv` is called with the CSV text when the technician asks to export it,
    // `savePreviousImage` with a unit's row id and the window asking.
    ProductionLogDialog(QWidget* parent, ProductionLog& log, std::function<void(const std::string&)> exportCsv,
                        std::function<void(std::int64_t, QWidget*)> savePreviousImage);

    // Reads the record again.
    void refresh();
    // The whole unit of a row of the table, in a window of its own.
    void showUnit(int row);

    QLineEdit& capcodeFilter() { return *filter_; }
    QTableWidget& table() { return *table_; }
    QLabel& problem() { return *problem_; }
    QPushButton& exportButton() { return *export_; }

private:
    void filterEdited(const QString& text);

    ProductionLog& log_;
    std::function<void(std::int64_t, QWidget*)> savePreviousImage_;
    QLineEdit* filter_;
    QTableWidget* table_;
    QLabel* problem_;
    QPushButton* export_;
};

}  // namespace pagerprog::gui
