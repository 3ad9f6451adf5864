// The main window: the tabbed fields on the left edge, in a scroll area so that any screen
// reaches every field, the status log `Memo1` under them with the device list
// `DevListBox` to its right, and the menu bar. Everything it shows follows the settings
// model at once; everything the technician does goes to the model through the field
// binding or to the menu commands. Its title is the model's, followed by the name of the
// settings file and a mark while there are unsaved edits. A settings file dropped on it
// is opened. The status bar under it tells how the bench stands.
#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <string>
#include <unordered_map>
#include <vector>

#include "gui/bench_status_bar.h"
#include "gui/field_binding.h"
#include "gui/menu_builder.h"
#include "gui/page_builder.h"
#include "gui/state_form.h"
#include "gui/window_events.h"

namespace pagerprog::gui {

class MainWindow : public QMainWindow {
public:
    MainWindow(SettingsModel& model, WindowEvents& events);
    ~MainWindow() override;

    // Sizes the window to its content, within the screen, and centres it there.
    void showCentred();
    // Measures every page afresh, shown yet or not, for the window's size hint.
    void measurePages();
    // Shows the file name and modified mark in the title again (after a command).
    void showDocument();

    void appendLog(const QString& line);
    void showDeviceList(const std::vector<std::string>& lines);
    TState_Form& progressWindow() { return *progress_; }
    // Puts the focus into the field once the event being handled has ended.
    void focusFieldLater(const std::string& field);

    const FieldViews& fieldViews() const { return views_; }
    QWidget* fieldEditor(const std::string& field) const;
    QAction* menuAction(const std::string& element) const;
    QGroupBox* group(const std::string& element) const;
    QTabWidget& tabs() { return *tabs_; }
    QScrollArea& tabsArea() { return *tabsArea_; }
    QPlainTextEdit& statusLog() { return *memo_; }
    QListWidget& deviceList() { return *devList_; }
    BenchStatusBar& benchStatus() { return *benchStatus_; }
    QLineEdit& unitSerial() { return *unitSerial_; }

protected:
    // The window stays open while a transfer or another command runs, and when the
    // technician keeps unsaved edits.
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildTabs();
    QWidget* buildLogRow();
    void menuChosen(const std::string& item);
    void refresh(const std::string& name);
    void showElement(const std::string& name);
    void focusField(const std::string& field);
    // Model changes come in bursts (a file load changes hundreds of fields): the title
    // is brought up to date once the burst is over.
    void showDocumentLater();

    SettingsModel& model_;
    WindowEvents& events_;
    FieldViews views_;
    std::unordered_map<std::string, QGroupBox*> groups_;
    std::unordered_map<std::string, QWidget*> pages_;
    MenuActions menus_;
    QTabWidget* tabs_;
    QScrollArea* tabsArea_;
    QPlainTextEdit* memo_;
    QListWidget* devList_;
    TState_Form* progress_;
    BenchStatusBar* benchStatus_;
    QLineEdit* unitSerial_ = nullptr;
    FieldBinding* binding_;
    WindowDocument document_;
    bool documentPending_ = false;
    bool closeAgreed_ = false;  // "&Exit" has asked about unsaved edits already
};

}  // namespace pagerprog::gui
