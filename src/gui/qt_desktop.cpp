#include "gui/qt_desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QUrl>
#include <filesystem>

#include "gui/qt_text.h"
#include "gui/record_choice_dialog.h"

namespace pagerprog::gui {

namespace {

// The dialog shows each entry by its caption alone (".eep"), filtering by its pattern.
QStringList nameFilters(const FileDialogDef& request) {
    QStringList filters;
    for (const auto& [caption, pattern] : request.filters) {
        filters << QString::fromStdString(caption + " (" + pattern + ")");
    }
    return filters;
}

bool sameFile(const QString& chosen, const std::string& own) {
    std::error_code error;
    return !own.empty() && std::filesystem::equivalent(QFile::encodeName(chosen).toStdString(), own, error);
}

// Qt's file dialog, whose save question ("... already exists. Do you want to replace it?")
// is left out for one file: saving the settings where they came from replaces nothing else.
class FileDialog : public QFileDialog {
public:
    FileDialog(QWidget* parent, std::string own) : QFileDialog(parent), own_(std::move(own)) {}

    void accept() override {
        const QStringList chosen = selectedFiles();
        setOption(DontConfirmOverwrite, !chosen.isEmpty() && sameFile(chosen.constFirst(), own_));
        QFileDialog::accept();
    }

private:
    std::string own_;
};

// Without `start` no preset name or folder: the dialog opens in the current folder. The
// file need not exist.
std::optional<std::string> runFileDialog(QWidget* parent, const FileDialogDef& request, QFileDialog::AcceptMode mode,
                                         const std::string& start = {}, const std::string& own = {}) {
    FileDialog dialog(parent, own);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(nameFilters(request));
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!start.empty()) dialog.selectFile(QFile::decodeName(start.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

QString windowTitleOf(QWidget* parent) { return parent != nullptr ? parent->window()->windowTitle() : QString(); }

}  // namespace

QtDesktop::QtDesktop(std::function<bool(const QUrl&)> browser) : browser_(std::move(browser)) {}

QtDesktop::~QtDesktop() { delete guideWindow_; }

bool QtDesktop::defaultBrowser(const QUrl& page) { return QDesktopServices::openUrl(page); }

std::optional<std::string> QtDesktop::openFile(QWidget* parent, const FileDialogDef& request) {
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtDesktop::saveFile(QWidget* parent, const FileDialogDef& request, const std::string& own) {
    return runFileDialog(parent, request, QFileDialog::AcceptSave, {}, own);
}

std::optional<std::string> QtDesktop::saveFileAs(QWidget* parent, const FileDialogDef& request,
                                                 const std::string& start, const std::string& own) {
    return runFileDialog(parent, request, QFileDialog::AcceptSave, start, own);
}

std::optional<std::string> QtDesktop::chooseProductionRecord(QWidget* parent, const std::string& current) {
    RecordChoiceDialog dialog(parent, current);
    if (dialog.exec() != QDialog::Accepted || dialog.choice().empty()) return std::nullopt;
    return dialog.choice();
}

void QtDesktop::message(QWidget* parent, const std::string& text) {
    QMessageBox box(QMessageBox::Information, windowTitleOf(parent), messageText(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);  // the exact text, whatever characters a path or error holds
    box.exec();
}

std::optional<std::string> QtDesktop::askText(QWidget* parent, const std::string& title, const std::string& label,
                                              const std::string& current) {
    bool accepted = false;
    const QString text = QInputDialog::getText(parent, QString::fromStdString(title), QString::fromStdString(label),
                                               QLineEdit::Normal, QString::fromStdString(current), &accepted);
    if (!accepted) return std::nullopt;
    return text.toStdString();
}

SaveChoice QtDesktop::askSaveChanges(QWidget* parent, const std::string& document) {
    const QString name =
        document.empty() ? QString("the settings") : QFileInfo(QFile::decodeName(document.c_str())).fileName();
    QMessageBox box(QMessageBox::Warning, windowTitleOf(parent), QString("Save changes to %1?").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText("Your edits are lost if you don't save them.");
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save: return SaveChoice::Save;
        case QMessageBox::Discard: return SaveChoice::Discard;
        default: return SaveChoice::Cancel;
    }
}

void QtDesktop::about(QWidget* parent, const AboutFacts& facts) {
    const QString text = QString(
                             "<h3>%1 %2</h3><p>Programs POCSAG pagers through a USB programmer or a "
                             "parallel-port adapter.</p><p>In use: %3</p><p>Licence: %4</p>")
                             .arg(QString::fromStdString(facts.program).toHtmlEscaped(),
                                  QString::fromStdString(facts.version).toHtmlEscaped(),
                                  QString::fromStdString(facts.connection).toHtmlEscaped(),
                                  QString::fromStdString(facts.licence).toHtmlEscaped());
    QMessageBox box(QMessageBox::NoIcon, QString("About %1").arg(QString::fromStdString(facts.program)), text,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::RichText);
    box.setIconPixmap(QApplication::windowIcon().pixmap(64));
    box.exec();
}

bool QtDesktop::openGuide(const std::string& path) {
    const QString file = QFile::decodeName(path.c_str());
    if (browser_(QUrl::fromLocalFile(file))) return true;
    // No browser: the guide in a window of the program's own, which follows its links too.
    if (!QFileInfo(file).isReadable()) return false;
    if (guideWindow_ == nullptr) {
        guideWindow_ = new QTextBrowser;
        guideWindow_->setObjectName("GuideWindow");
        guideWindow_->setAttribute(Qt::WA_DeleteOnClose);
        guideWindow_->setOpenExternalLinks(true);
        guideWindow_->setWindowTitle(QString("%1 User Guide").arg(QApplication::applicationName()));
        guideWindow_->resize(guideWindow_->fontMetrics().averageCharWidth() * 90,
                             guideWindow_->fontMetrics().lineSpacing() * 40);
    }
    guideWindow_->setSource(QUrl::fromLocalFile(file));
    guideWindow_->show();
    guideWindow_->raise();
    guideWindow_->activateWindow();
    return true;
}

void QtDesktop::beep() { QApplication::beep(); }

}  // namespace pagerprog::gui
