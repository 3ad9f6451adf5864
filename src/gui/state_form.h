// The progress window `State_Form`: a small window centred on the main window with one
// bar, shown while a pager is read or written. The transfer runs on the window thread,
// so the bar repaints itself as it moves, while the technician's input waits.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QProgressBar;

namespace pagerprog::gui {

class TState_Form : public QDialog {
public:
    explicit TState_Form(QWidget* mainWindow);

    void showCentred();
    // Hides the window and gives the activation back to the main window, should the
    // window system have passed it here.
    void closeProgress();
    void setCaption(const QString& caption);
    void setRange(int minimum, int maximum);
    void setPosition(int position);
    void step(int count);

    const QProgressBar& bar() const { return *bar_; }

private:
    // Lets the window system paint; often enough for a moving bar, rarely enough not to
    // slow the transfer down.
    void repaintNow();
    void repaintThrottled();

    QProgressBar* bar_;
    QElapsedTimer sinceRepaint_;
};

}  // namespace pagerprog::gui
