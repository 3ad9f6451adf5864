// "Production log…": the newest units of the production record in a table, filtered by a
// capcode or a unit serial as it is typed, with the shown units exported as CSV. A
// double-clicked row shows the whole unit, and the pager's image before it can be saved as
// a settings file. Its "Summary" tab shows the yield of the record's writes by day, batch,
// bench, programmer or operator. It stays open beside the window and follows each pager
// command.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
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
    QLineEdit& serialFilter() { return *serialFilter_; }
    QTableWidget& table() { return *table_; }
    QTabWidget& tabs() { return *tabs_; }
    QComboBox& summaryBy() { return *summaryBy_; }
    QTableWidget& summary() { return *summary_; }
    QLabel& problem() { return *problem_; }
    QPushButton& exportButton() { return *export_; }

private:
    void filterEdited(const QString& text);
    void serialFilterEdited(const QString& text);
    QWidget* buildUnitsPage();
    QWidget* buildSummaryPage();
    void refreshSummary();

    ProductionLog& log_;
    std::function<void(std::int64_t, QWidget*)> savePreviousImage_;
    QLineEdit* filter_;
    QLineEdit* serialFilter_;
    QTableWidget* table_;
    QTabWidget* tabs_;
    QComboBox* summaryBy_;
    QTableWidget* summary_;
    QLabel* problem_;
    QPushButton* export_;
};

}  // namespace pagerprog::gui
