#include "gui/main_window.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/qt_text.h"
#include "gui/unit_serial_entry.h"

namespace pagerprog::gui {

namespace {
constexpr int kLogLines = 6;
constexpr int kDeviceListChars = 36;  // "Z16 programmer at 1-2.3: in use" with room to spare

// A scroll area that asks for all of its content's room, so that the window opens as
// large as the fields need wherever the screen allows, and scrolls only on smaller ones.
class FittingScrollArea : public QScrollArea {
public:
    QSize sizeHint() const override {
        const int frame = 2 * frameWidth();
        return widget() != nullptr ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
    }

protected:
    // The content's layout changed (a tab shown, a field grown): so did this hint.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget() && event->type() == QEvent::LayoutRequest) updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }
};

// The settings file a drag carries: exactly one local .eep or .bin file.
std::optional<QString> droppedSettingsFile(const QMimeData* data) {
    if (data == nullptr || data->urls().size() != 1) return std::nullopt;
    const QUrl& url = data->urls().constFirst();
    if (!url.isLocalFile()) return std::nullopt;
    const QString suffix = QFileInfo(url.toLocalFile()).suffix().toLower();
    if (suffix != "eep" && suffix != "bin") return std::nullopt;
    return url.toLocalFile();
}

QString shownTitle(const std::string& caption, const WindowDocument& document) {
    QString title = fieldText(caption);
    if (!document.path.empty()) title += " - " + QFileInfo(QFile::decodeName(document.path.c_str())).fileName();
    if (document.modified) title += " *";
    return title;
}
}  // namespace

MainWindow::MainWindow(SettingsModel& model, WindowEvents& events)
    : model_(model),
      events_(events),
      tabs_(new QTabWidget),
      tabsArea_(new FittingScrollArea),
      memo_(new QPlainTextEdit),
      devList_(new QListWidget),
      progress_(new TState_Form(this)),
      benchStatus_(new BenchStatusBar),
      binding_(new FieldBinding(model, events, this)) {
    setObjectName(element::window);
    setAcceptDrops(true);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    // Narrow edges: on a small screen every pixel goes to the fields.
    const int edge = layout->spacing();
    layout->setContentsMargins(edge, edge, edge, edge);
    buildTabs();
    tabsArea_->setObjectName("TabsArea");
    tabsArea_->setWidgetResizable(true);
    tabsArea_->setFrameShape(QFrame::NoFrame);
    tabsArea_->setWidget(tabs_);
    layout->addWidget(tabsArea_, 1);
    layout->addWidget(buildLogRow());
    setCentralWidget(central);
    setStatusBar(benchStatus_);
    menus_ = buildMenuBar(*menuBar(), [this](const std::string& item) { menuChosen(item); });
    unitSerial_ = addUnitSerialEntry(*menuBar(), [this] { menuChosen(element::writeToPager); });

    for (const auto& [name, view] : views_) binding_->bind(view);
    for (const auto& field : model_.fields()) refresh(field.def->name);
    for (const auto& element : model_.elements()) refresh(element.def->name);
    model_.addObserver([window = QPointer<MainWindow>(this)](const std::string& name) {
        if (window) {
            window->refresh(name);
            window->showDocumentLater();
        }
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
    memo_->setAcceptDrops(false);  // a dropped file is opened by the window, not typed into the log
    devList_->setObjectName("DevListBox");
    devList_->setFixedSize(devList_->fontMetrics().averageCharWidth() * kDeviceListChars, memo_->height());
    connect(devList_, &QListWidget::itemClicked, this, [this] { events_.deviceListClick(devList_->currentRow()); });
    layout->addWidget(memo_, 1);
    layout->addWidget(devList_);
    return row;
}

// A window still shown when destroyed hides itself on the way, moving the focus: the
// binding, which reads the field views, must be gone by then.
MainWindow::~MainWindow() { delete binding_; }

void MainWindow::measurePages() {
    // Layouts of pages never shown keep sizes cached before their fields were filled in.
    for (const auto& [name, page] : pages_) {
        for (QLayout* layout : page->findChildren<QLayout*>()) layout->invalidate();
        page->layout()->activate();
    }
    tabsArea_->updateGeometry();
}

void MainWindow::showCentred() {
    measurePages();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Room for the frame the window manager adds, which is known only once shown.
    const QSize frameRoom(16, 48);
    resize(sizeHint().boundedTo(screen.size() - frameRoom));
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
    if (events_.busy() || (!closeAgreed_ && !events_.mayClose())) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!events_.busy() && droppedSettingsFile(event->mimeData())) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const auto file = droppedSettingsFile(event->mimeData());
    if (events_.busy() || !file) return;
    event->acceptProposedAction();
    events_.openFile(QFile::encodeName(*file).toStdString());
}

void MainWindow::menuChosen(const std::string& item) {
    // A shortcut that slipped through while a command runs starts nothing.
    if (events_.busy()) return;
    const bool ran = events_.menuCommand(item);
    // A check mark Qt toggled by itself shows the model's state again.
    showElement(item);
    if (item == element::exit && ran) {
        closeAgreed_ = true;
        close();
        closeAgreed_ = false;
    }
}

void MainWindow::showDocumentLater() {
    if (documentPending_) return;
    documentPending_ = true;
    QTimer::singleShot(0, this, [this] { showDocument(); });
}

void MainWindow::showDocument() {
    documentPending_ = false;
    document_ = events_.document();
    setWindowTitle(shownTitle(model_.title(), document_));
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
        case ElementKind::Window: setWindowTitle(shownTitle(element.caption, document_)); break;
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
