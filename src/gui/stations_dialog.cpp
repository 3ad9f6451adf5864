#include "gui/stations_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "gui/qt_text.h"

namespace pagerprog::gui {

namespace {
constexpr int kColumns = 4;
constexpr int kTileWidth = 220;  // four in a row, with the margins, on a 1024-pixel screen
constexpr int kStateLines = 4;   // "verified: address1=1234560 address2=..." wraps
constexpr int kRefreshMs = 200;
}  // namespace

StationsDialog::StationsDialog(QWidget* parent, WindowGang& gang, std::function<void(const std::string&)> log)
    : QDialog(parent),
      gang_(gang),
      log_(std::move(log)),
      pagers_(new QSpinBox),
      onFailure_(new QComboBox),
      start_(new QPushButton("&Start")),
      stop_(new QPushButton("S&top")),
      close_(new QPushButton("&Close")),
      next_(new QLabel),
      summary_(new QLabel),
      grid_(new QGridLayout) {
    setObjectName("GangProgramming");
    setWindowTitle("Gang programming");
    pagers_->setObjectName("GangPagers");
    pagers_->setRange(1, 99999);
    pagers_->setValue(8);
    onFailure_->setObjectName("GangOnFailure");
    onFailure_->addItem("its capcodes go to the next pager");
    onFailure_->addItem("its capcodes are retired");
    next_->setObjectName("GangNext");
    next_->setWordWrap(true);
    summary_->setObjectName("GangSummary");
    summary_->setWordWrap(true);
    stop_->setEnabled(false);

    auto* settings = new QHBoxLayout;
    auto* pagersLabel = new QLabel("&Pagers:");
    pagersLabel->setBuddy(pagers_);
    auto* failLabel = new QLabel("When a pager &fails:");
    failLabel->setBuddy(onFailure_);
    for (QWidget* widget : std::initializer_list<QWidget*>{pagersLabel, pagers_, failLabel, onFailure_})
        settings->addWidget(widget);
    settings->addStretch(1);
    settings->addWidget(start_);
    settings->addWidget(stop_);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(close_, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &StationsDialog::reject);
    connect(start_, &QPushButton::clicked, this, [this] { startBatch(); });
    connect(stop_, &QPushButton::clicked, this, [this] {
        gang_.stop();
        stop_->setEnabled(false);
    });
    connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(settings);
    layout->addWidget(next_);
    layout->addLayout(grid_);
    layout->addStretch(1);
    layout->addWidget(summary_);
    layout->addWidget(buttons);

    std::vector<Tile> ready;
    for (const PortName& port : gang_.programmers()) ready.push_back({port.name(), "ready", -1, 0, 0});
    showTiles(ready);
    next_->setText(ready.empty() ? "No programmer is attached." : "The window's capcodes and steps make the batch.");
}

void StationsDialog::reject() {
    if (!running_) QDialog::reject();
}

void StationsDialog::startBatch() {
    const OnFailure onFailure = onFailure_->currentIndex() == 1 ? OnFailure::Skip : OnFailure::Reuse;
    const std::string problem = gang_.start(pagers_->value(), onFailure);
    summary_->clear();
    if (!problem.empty()) {
        summary_->setText(messageText(problem));
        log_(problem);
        showTiles(gang_.tiles());
        return;
    }
    running_ = true;
    for (QWidget* widget : std::initializer_list<QWidget*>{start_, pagers_, onFailure_, close_})
        widget->setEnabled(false);
    stop_->setEnabled(true);
    refresh();
    timer_.start(kRefreshMs);
}

void StationsDialog::refresh() {
    for (const std::string& line : gang_.takeLog()) log_(line);
    showTiles(gang_.tiles());
    const std::string next = gang_.nextCapcodes();
    next_->setText(messageText(next.empty() ? "Every pager of the batch has its capcodes." : "Next capcodes: " + next));
    if (gang_.running()) return;
    timer_.stop();
    running_ = false;
    const std::string summary = gang_.finish();
    for (const std::string& line : gang_.takeLog()) log_(line);
    summary_->setText(messageText(summary));
    log_(summary);
    next_->setText(messageText("The next batch begins at " + gang_.nextCapcodes()));
    for (QWidget* widget : std::initializer_list<QWidget*>{start_, pagers_, onFailure_, close_})
        widget->setEnabled(true);
    stop_->setEnabled(false);
}

void StationsDialog::showTiles(const std::vector<Tile>& tiles) {
    while (tiles_.size() > tiles.size()) {
        delete tiles_.back().box;
        tiles_.pop_back();
    }
    while (tiles_.size() < tiles.size()) {
        auto* box = new QGroupBox;
        box->setFixedWidth(kTileWidth);
        auto* state = new QLabel;
        state->setWordWrap(true);
        state->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        state->setMinimumHeight(state->fontMetrics().lineSpacing() * kStateLines);
        auto* bar = new QProgressBar;
        bar->setRange(0, 100);
        auto* count = new QLabel;
        auto* layout = new QVBoxLayout(box);
        layout->addWidget(state);
        layout->addWidget(bar);
        layout->addWidget(count);
        const int at = static_cast<int>(tiles_.size());
        grid_->addWidget(box, at / kColumns, at % kColumns);
        tiles_.push_back({box, state, bar, count});
    }
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const Tile& tile = tiles[i];
        const TileView& view = tiles_[i];
        view.box->setTitle(messageText(tile.name));
        view.state->setText(messageText(tile.state));
        view.bar->setValue(std::max(tile.percent, 0));
        view.bar->setTextVisible(tile.percent >= 0);
        view.count->setText(QString("%1 verified, %2 failed").arg(tile.verified).arg(tile.failed));
    }
}

}  // namespace pagerprog::gui
