// "Production record...": where the window keeps its units, a file on this computer or a
// PostgreSQL server the shop's benches share, named by its connection string.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QRadioButton;

namespace pagerprog::gui {

class RecordChoiceDialog : public QDialog {
public:
    // Starts at `current`: a file's path or a server's connection string.
    RecordChoiceDialog(QWidget* parent, const std::string& current);
    // The path or connection string chosen.
    std::string choice() const;

private:
    void browse();

    QRadioButton* fileChoice_;
    QRadioButton* serverChoice_;
    QLineEdit* file_;
    QLineEdit* server_;
};

}  // namespace pagerprog::gui
