#include "gui/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/qt_text.h"

namespace pagerprog::gui {

namespace {
constexpr int kLogLines = 7;
constexpr int kDeviceListWidth = 220;
}  // namespace

MainWindow::MainWindow(SettingsModel& model, WindowEvents& events)
    : model_(model),
      events_(events),
      tabs_(new QTabWidget),
      memo_(new QPlainTextEdit),
      devList_(new QListWidget),
      progress_(new TState_Form(this)),
      binding_(new FieldBinding(model, events, this)) {
    setObjectName(element::window);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    buildTabs();
    layout->addWidget(tabs_, 1);
    layout->addWidget(buildLogRow());
    setCentralWidget(central);
    menus_ = buildMenuBar(*menuBar(), [this](const std::string& item) { menuChosen(item); });

    for (const auto& [name, view] : views_) binding_->bind(view);
    for (const auto& field : model_.fields()) refresh(field.def->name);
    for (const auto& element : model_.elements()) refresh(element.def->name);
    model_.addObserver([window = QPointer<MainWindow>(this)](const std::string& name) {
        if (window) window->refresh(name);
    });
}

void MainWindow::buildTabs() {
    tabs_->setTabPosition(QTabWidget::West);
    for (const auto& element : elementTable()) {
        if (element.kind != ElementKind::Tab) continue;
        QWidget* page = buildTabPage(element.name, views_, groups_);
        pages_[element.name] = page;
        tabs_->addTab(page, fieldText(element.caption));
    }
}

QWidget* MainWindow::buildLogRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    memo_->setObjectName("Memo1");
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setFixedHeight(memo_->fontMetrics().lineSpacing() * kLogLines + 2 * memo_->frameWidth() + 8);
    devList_->setObjectName("DevListBox");
    devList_->setFixedSize(kDeviceListWidth, memo_->height());
    connect(devList_, &QListWidget::itemClicked, this, [this] { events_.deviceListClick(devList_->currentRow()); });
    layout->addWidget(memo_, 1);
    layout->addWidget(devList_);
    return row;
}

void MainWindow::showCentred() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(sizeHint().boundedTo(screen.size()));
    show();
    // The frame is known once shown; without a window manager it is the window itself.
    QRect frame = frameGeometry();
    frame.moveCenter(screen.center());
    move(frame.topLeft());
}

void MainWindow::appendLog(const QString& line) { memo_->appendPlainText(line); }

void MainWindow::showDeviceList(const std::vector<std::string>& lines) {
    QStringList items;
    for (const auto& line : lines) items << messageText(line);
    QStringList shown;
    for (int i = 0; i < devList_->count(); ++i) shown << devList_->item(i)->text();
    if (shown == items) return;
    devList_->clear();
    devList_->addItems(items);
}

QWidget* MainWindow::fieldEditor(const std::string& field) const {
    auto found = views_.find(field);
    return found == views_.end() ? nullptr : found->second.widget();
}

QAction* MainWindow::menuAction(const std::string& element) const {
    auto found = menus_.find(element);
    return found == menus_.end() ? nullptr : found->second;
}

QGroupBox* MainWindow::group(const std::string& element) const {
    auto found = groups_.find(element);
    return found == groups_.end() ? nullptr : found->second;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (events_.busy()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::menuChosen(const std::string& item) {
    events_.menuCommand(item);
    // A check mark Qt toggled by itself shows the model's state again.
    showElement(item);
    if (item == element::exit) close();
}

void MainWindow::refresh(const std::string& name) {
    auto view = views_.find(name);
    if (view != views_.end()) {
        showField(view->second, model_.field(name));
    } else if (model_.hasElement(name)) {
        showElement(name);
    }
}

void MainWindow::showElement(const std::string& name) {
    const Element& element = model_.element(name);
    switch (element.def->kind) {
        case ElementKind::Window: setWindowTitle(fieldText(element.caption)); break;
        case ElementKind::Tab: {
            const int index = tabs_->indexOf(pages_.at(name));
            tabs_->setTabText(index, fieldText(element.caption));
            tabs_->setTabVisible(index, element.visible);
            tabs_->setTabEnabled(index, element.enabled);
            break;
        }
        case ElementKind::Group: {
            QGroupBox* box = groups_.at(name);
            box->setTitle(fieldText(element.caption));
            box->setVisible(element.visible);
            box->setEnabled(element.enabled);
            break;
        }
        case ElementKind::Menu:
        case ElementKind::MenuItem: showMenuElement(*menus_.at(name), element); break;
    }
}

void MainWindow::focusFieldLater(const std::string& field) {
    QTimer::singleShot(0, this, [this, field] { focusField(field); });
}

void MainWindow::focusField(const std::string& field) {
    auto view = views_.find(field);
    if (view == views_.end()) return;
    QWidget* editor = view->second.widget();
    QWidget* page = pages_.at(view->second.def->tab);
    const int tab = tabs_->indexOf(page);
    // A field on a hidden tab, hidden or disabled cannot take the focus.
    if (!tabs_->isTabVisible(tab) || !editor->isEnabled() || !editor->isVisibleTo(page)) return;
    binding_->moveFocusQuietly([&] {
        tabs_->setCurrentIndex(tab);
        editor->setFocus(Qt::OtherFocusReason);
    });
    // The refused text is selected, ready to be typed over.
    if (QLineEdit* typing = view->second.editor->typing()) typing->selectAll();
}

}  // namespace pagerprog::gui
