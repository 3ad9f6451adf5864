// The status bar under the window: the port or programmer in use, how the last pager
// command ended (green when it verified, red with the reason when it failed), the pagers
// verified since the program started, and the production record.
#pragma once

#include <QLabel>
#include <QStatusBar>

#include "app/production/bench_status.h"

namespace pagerprog::gui {

// A label that shows as much of its text as fits, ending in "…": a long result never makes
// the window wider than the screen. The whole text stays in fullText().
class ElidingLabel : public QLabel {
public:
    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QString full_;
};

class BenchStatusBar : public QStatusBar {
public:
    BenchStatusBar();

    void show(const BenchStatus& status);

    const QLabel& port() const { return *port_; }
    const ElidingLabel& result() const { return *result_; }
    const QLabel& verified() const { return *verified_; }
    const QLabel& record() const { return *record_; }

private:
    QLabel* port_;
    ElidingLabel* result_;
    QLabel* verified_;
    QLabel* record_;
};

}  // namespace pagerprog::gui
