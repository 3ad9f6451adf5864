#include "gui/qt_desktop.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "gui/qt_text.h"

namespace pagerprog::gui {

namespace {

// The dialog shows each entry by its caption alone (".eep"), filtering by its pattern.
QStringList nameFilters(const FileDialogSpec& request) {
    QStringList filters;
    for (const auto& [caption, pattern] : request.filters) {
        filters << QString::fromStdString(caption + " (" + pattern + ")");
    }
    return filters;
}

// No preset name or folder: the dialog opens in the current folder. Neither dialog
// requires the file to exist nor asks before replacing one.
std::optional<std::string> runFileDialog(QWidget* parent, const FileDialogSpec& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(nameFilters(request));
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

}  // namespace

std::optional<std::string> QtDesktop::openFile(QWidget* parent, const FileDialogSpec& request) {
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtDesktop::saveFile(QWidget* parent, const FileDialogSpec& request) {
    return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

void QtDesktop::message(QWidget* parent, const std::string& text) {
    QMessageBox box(QMessageBox::Information, parent != nullptr ? parent->window()->windowTitle() : QString(),
                    messageText(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);  // the exact text, whatever characters a path or error holds
    box.exec();
}

void QtDesktop::beep() { QApplication::beep(); }

}  // namespace pagerprog::gui
