#include "gui/state_form.h"

#include <algorithm>

#include <QCoreApplication>
#include <QProgressBar>
#include <QVBoxLayout>

namespace pagerprog::gui {

namespace {
constexpr qint64 kRepaintIntervalMs = 40;
constexpr int kBarWidth = 360;
}  // namespace

TState_Form::TState_Form(QWidget* mainWindow) : QDialog(mainWindow), bar_(new QProgressBar(this)) {
    setObjectName("State_Form");
    setWindowTitle("Writing to eeprom.Please waiting...");
    setModal(false);
    // The keyboard focus stays in the main window, where the technician left it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    bar_->setObjectName("ProgressBar1");
    bar_->setMinimumWidth(kBarWidth);
    bar_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    setFixedSize(sizeHint());
}

void TState_Form::showCentred() {
    if (parentWidget() != nullptr) {
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.center() - rect().center());
    }
    show();
    raise();
    repaintNow();
}

void TState_Form::closeProgress() {
    const bool wasActive = isActiveWindow();
    hide();
    if (wasActive && parentWidget() != nullptr) parentWidget()->window()->activateWindow();
}

void TState_Form::setCaption(const QString& caption) {
    setWindowTitle(caption);
    repaintNow();
}

void TState_Form::setRange(int minimum, int maximum) { bar_->setRange(minimum, maximum); }

void TState_Form::setPosition(int position) {
    bar_->setValue(position);
    repaintThrottled();
}

void TState_Form::step(int count) {
    const int from = std::max(bar_->value(), bar_->minimum());  // a bar never set stands below its minimum
    bar_->setValue(std::min(from + count, bar_->maximum()));
    repaintThrottled();
}

void TState_Form::repaintNow() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRepaint_.start();
}

void TState_Form::repaintThrottled() {
    if (isVisible() && (!sinceRepaint_.isValid() || sinceRepaint_.elapsed() >= kRepaintIntervalMs)) repaintNow();
}

}  // namespace pagerprog::gui
