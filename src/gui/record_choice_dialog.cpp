#include "gui/record_choice_dialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/record/record_location.h"

namespace pagerprog::gui {

RecordChoiceDialog::RecordChoiceDialog(QWidget* parent, const std::string& current)
    : QDialog(parent),
      fileChoice_(new QRadioButton("A &file on this computer")),
      serverChoice_(new QRadioButton("A PostgreSQL &server the benches share")),
      file_(new QLineEdit),
      server_(new QLineEdit) {
    setWindowTitle("Production record");
    setObjectName("RecordChoice");
    fileChoice_->setObjectName("RecordFileChoice");
    serverChoice_->setObjectName("RecordServerChoice");
    file_->setObjectName("RecordFile");
    server_->setObjectName("RecordServer");
    server_->setPlaceholderText("postgresql://host/dbname or service=NAME");
    auto* browse = new QPushButton("&Browse...");
    auto* hint = new QLabel("The server's password comes from ~/.pgpass, a service file or PGPASSWORD.");
    hint->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

    auto* layout = new QGridLayout(this);
    layout->addWidget(fileChoice_, 0, 0, 1, 2);
    layout->addWidget(file_, 1, 0);
    layout->addWidget(browse, 1, 1);
    layout->addWidget(serverChoice_, 2, 0, 1, 2);
    layout->addWidget(server_, 3, 0, 1, 2);
    layout->addWidget(hint, 4, 0, 1, 2);
    layout->addWidget(buttons, 5, 0, 1, 2);
    setMinimumWidth(520);

    const RecordLocation location = RecordLocation::parse(current);
    (location.onServer() ? serverChoice_ : fileChoice_)->setChecked(true);
    (location.onServer() ? server_ : file_)->setText(QFile::decodeName(current.c_str()));
    // Typing into one of them chooses it.
    connect(file_, &QLineEdit::textEdited, fileChoice_, [this] { fileChoice_->setChecked(true); });
    connect(server_, &QLineEdit::textEdited, serverChoice_, [this] { serverChoice_->setChecked(true); });
    connect(browse, &QPushButton::clicked, this, [this] { this->browse(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::string RecordChoiceDialog::choice() const {
    if (serverChoice_->isChecked()) return server_->text().trimmed().toStdString();
    return QFile::encodeName(file_->text()).toStdString();
}

void RecordChoiceDialog::browse() {
    QFileDialog dialog(this, "Production record file");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // an existing record is used, not replaced
    dialog.setNameFilters({"Production record (*.sqlite)", "All files (*)"});
    dialog.setDefaultSuffix("sqlite");
    if (!file_->text().isEmpty()) dialog.selectFile(file_->text());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    file_->setText(dialog.selectedFiles().constFirst());
    fileChoice_->setChecked(true);
}

}  // namespace pagerprog::gui
