// The progress window `State_Form`: a small window over the main window, shown while a
// pager is read or written. It tells the pass under way in words (its caption), the
// bytes of that pass done with their share, and, on a second bar, how far the whole
// transfer (read-back, write, verify) is. Cancel stops the transfer at the next point
// between two passes. The transfer runs on the window thread, so the window repaints
// itself as the bars move; meanwhile the technician's input to the main window is held
// back, while this window and any message box still take theirs.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace pagerprog::gui {

class TState_Form : public QDialog {
public:
    explicit TState_Form(QWidget* mainWindow);

    // Shows the window over the middle of the main window, every time.
    void showCentred();
    // Hides the window and gives the activation back to the main window, should the
    // window system have passed it here; the native window goes with it.
    void closeProgress();
    void setCaption(const QString& caption);
    void setRange(int minimum, int maximum);
    void setPosition(int position);
    void step(int count);
    // Pass `number` of `count` begins; the overall bar counts each pass as an equal share.
    void setPass(int number, int count);
    // True once the technician asked to stop; asked between passes.
    bool cancelRequested() const { return cancelRequested_; }
    void requestCancel();

    const QProgressBar& bar() const { return *bar_; }
    const QProgressBar& overallBar() const { return *overall_; }
    QString phaseText() const;
    QString bytesText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape and the window's close button ask to cancel; the window stays up.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showCounts();
    // Lets the window system paint; often enough for a moving bar, rarely enough not to
    // slow the transfer down.
    void repaintNow();
    void repaintThrottled();

    QLabel* phase_;
    QLabel* passLabel_;
    QProgressBar* bar_;
    QLabel* bytes_;
    QProgressBar* overall_;
    QPushButton* cancel_;
    QElapsedTimer sinceRepaint_;
    int pass_ = 0;
    int passes_ = 0;
    bool cancelRequested_ = false;
};

}  // namespace pagerprog::gui
