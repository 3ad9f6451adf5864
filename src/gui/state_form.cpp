#include "gui/state_form.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace pagerprog::gui {

namespace {
constexpr qint64 kRepaintIntervalMs = 40;
constexpr int kBarChars = 50;  // the window's width, in average characters: a caption fits in bold
constexpr int kOverallSteps = 1000;

bool isTechnicianInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd: return true;
        default: return false;
    }
}
}  // namespace

TState_Form::TState_Form(QWidget* mainWindow)
    : QDialog(mainWindow),
      phase_(new QLabel(this)),
      passLabel_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      bytes_(new QLabel(this)),
      overall_(new QProgressBar(this)),
      cancel_(new QPushButton("Cancel", this)) {
    setObjectName("State_Form");
    setWindowTitle("Writing to eeprom.Please waiting...");
    setModal(false);
    // The keyboard focus stays in the main window, where the technician left it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    phase_->setObjectName("PhaseText");
    QFont bold = phase_->font();
    bold.setBold(true);
    phase_->setFont(bold);
    phase_->setWordWrap(true);  // a longer caption takes a second line rather than being cut
    passLabel_->setObjectName("PassText");
    bar_->setObjectName("ProgressBar1");
    bar_->setTextVisible(false);
    bytes_->setObjectName("BytesText");
    overall_->setObjectName("OverallBar");
    overall_->setRange(0, kOverallSteps);
    overall_->setFormat("Overall %p%");
    cancel_->setObjectName("CancelButton");
    cancel_->setFocusPolicy(Qt::NoFocus);  // a stray Space or Return must not stop a transfer
    cancel_->setToolTip("Stop at the next point between reading back, writing and verifying");
    connect(cancel_, &QPushButton::clicked, this, [this] { requestCancel(); });

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(phase_);
    layout->addWidget(passLabel_);
    layout->addWidget(bar_);
    layout->addWidget(bytes_);
    layout->addWidget(overall_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    const int width = fontMetrics().averageCharWidth() * kBarChars;
    bar_->setMinimumWidth(width);
    overall_->setMinimumWidth(width);
    showCounts();
}

void TState_Form::showCentred() {
    pass_ = passes_ = 0;
    cancelRequested_ = false;
    cancel_->setText("Cancel");
    showCounts();
    qApp->installEventFilter(this);
    adjustSize();
    if (parentWidget() != nullptr) {
        // The window's own area, not its frame: a frame position is taken against margins
        // that the window manager tells only once it has framed the window.
        const QRect owner = parentWidget()->window()->frameGeometry();
        setGeometry(QRect(owner.center() - rect().center(), size()));
    }
    show();
    raise();
    repaintNow();
}

void TState_Form::closeProgress() {
    qApp->removeEventFilter(this);
    const bool wasActive = isActiveWindow();
    hide();
    if (wasActive && parentWidget() != nullptr) parentWidget()->window()->activateWindow();
    // A window shown again after being framed once ends up in the screen's corner under some
    // window managers, whatever place it asks for: the next transfer gets a new native window.
    destroy();
}

void TState_Form::setCaption(const QString& caption) {
    setWindowTitle(caption);
    phase_->setText(caption);
    repaintNow();
}

void TState_Form::setRange(int minimum, int maximum) {
    bar_->setRange(minimum, maximum);
    showCounts();
}

void TState_Form::setPosition(int position) {
    bar_->setValue(position);
    showCounts();
    repaintThrottled();
}

void TState_Form::step(int count) {
    const int from = std::max(bar_->value(), bar_->minimum());  // a bar never set stands below its minimum
    bar_->setValue(std::min(from + count, bar_->maximum()));
    showCounts();
    repaintThrottled();
}

void TState_Form::setPass(int number, int count) {
    pass_ = number;
    passes_ = count;
    bar_->setValue(bar_->minimum());
    showCounts();
    raise();
}

void TState_Form::requestCancel() {
    if (cancelRequested_ || !cancel_->isEnabled()) return;
    cancelRequested_ = true;
    cancel_->setText("Stopping after this step...");
    cancel_->setEnabled(false);
}

QString TState_Form::phaseText() const { return phase_->text(); }

QString TState_Form::bytesText() const { return bytes_->text(); }

void TState_Form::showCounts() {
    const int total = bar_->maximum() - bar_->minimum();
    const int done = std::clamp(bar_->value() - bar_->minimum(), 0, std::max(total, 0));
    const int percent = total > 0 ? done * 100 / total : 0;
    bytes_->setText(QString("%1 of %2 bytes (%3%)").arg(done).arg(total).arg(percent));
    passLabel_->setText(passes_ > 1 ? QString("Step %1 of %2").arg(pass_).arg(passes_) : QString());
    passLabel_->setVisible(passes_ > 1);
    long long overall = 0;
    if (passes_ > 0 && pass_ > 0 && total > 0) {
        overall = (static_cast<long long>(pass_ - 1) * total + done) * kOverallSteps /
                  (static_cast<long long>(passes_) * total);
    }
    overall_->setValue(static_cast<int>(overall));
    // Only a transfer with a pass still to come has a point to stop at.
    cancel_->setVisible(passes_ > 1);
    if (!cancelRequested_) cancel_->setEnabled(pass_ < passes_);
}

bool TState_Form::eventFilter(QObject* watched, QEvent* event) {
    if (!isTechnicianInput(event->type()) || parentWidget() == nullptr) return false;
    // Shortcuts reach their menu actions directly: none may start a command now.
    if (event->type() == QEvent::Shortcut && !watched->isWidgetType()) return true;
    const auto* widget = qobject_cast<const QWidget*>(watched);
    return widget != nullptr && widget->window() == parentWidget()->window();
}

void TState_Form::reject() { requestCancel(); }

void TState_Form::closeEvent(QCloseEvent* event) {
    event->ignore();
    requestCancel();
}

void TState_Form::repaintNow() {
    // Every event is let through, so that Cancel can be pressed; the event filter holds
    // back what is meant for the main window.
    QCoreApplication::processEvents();
    sinceRepaint_.start();
}

void TState_Form::repaintThrottled() {
    if (isVisible() && (!sinceRepaint_.isValid() || sinceRepaint_.elapsed() >= kRepaintIntervalMs)) repaintNow();
}

}  // namespace pagerprog::gui
