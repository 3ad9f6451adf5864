#include "gui/bench_status_bar.h"

#include "gui/qt_text.h"

namespace pagerprog::gui {

namespace {

// White on a strong colour reads the same on a light and on a dark theme.
QString toneStyle(Tone tone) {
    switch (tone) {
        case Tone::Good: return "QLabel { background: #2e7d32; color: white; padding: 0 6px; border-radius: 3px; }";
        case Tone::Bad: return "QLabel { background: #c62828; color: white; padding: 0 6px; border-radius: 3px; }";
        case Tone::Plain: break;
    }
    return "";
}

void showPart(QLabel& label, const StatusPart& part) {
    label.setText(messageText(part.text));
    label.setToolTip(messageText(part.detail));
    label.setStyleSheet(toneStyle(part.tone));
    label.setVisible(!part.text.empty());
}

QLabel* part(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

BenchStatusBar::BenchStatusBar()
    : port_(part("StatusPort")),
      result_(part("StatusResult")),
      verified_(part("StatusVerified")),
      record_(part("StatusRecord")) {
    setObjectName("BenchStatus");
    setSizeGripEnabled(false);
    // The result comes first and takes what room there is; the others keep to a short text.
    addWidget(result_, 1);
    addPermanentWidget(port_);
    addPermanentWidget(verified_);
    addPermanentWidget(record_);
}

void BenchStatusBar::show(const BenchStatus& status) {
    showPart(*port_, status.port);
    showPart(*result_, status.result);
    showPart(*verified_, status.verified);
    showPart(*record_, status.record);
}

}  // namespace pagerprog::gui
