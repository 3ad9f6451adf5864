// The status bar under the window: the port or programmer in use, how the last pager
// command ended (green when it verified, red with the reason when it failed), the pagers
// verified since the program started, and the production record.
#pragma once

#include <QLabel>
#include <QStatusBar>

#include "app/bench_status.h"

namespace pagerprog::gui {

class BenchStatusBar : public QStatusBar {
public:
    BenchStatusBar();

    void show(const BenchStatus& status);

    const QLabel& port() const { return *port_; }
    const QLabel& result() const { return *result_; }
    const QLabel& verified() const { return *verified_; }
    const QLabel& record() const { return *record_; }

private:
    QLabel* port_;
    QLabel* result_;
    QLabel* verified_;
    QLabel* record_;
};

}  // namespace pagerprog::gui
