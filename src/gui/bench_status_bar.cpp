#include "gui/bench_status_bar.h"

#include <algorithm>

#include "gui/qt_text.h"

namespace pagerprog::gui {

namespace {

// White on a strong colour reads the same on a light and on a dark theme.
QString toneStyle(Tone tone) {
    switch (tone) {
        case Tone::Good: return "QLabel { background: #2e7d32; color: white; padding: 0 6px; border-radius: 3px; }";
        case Tone::Warning: return "QLabel { background: #ef6c00; color: white; padding: 0 6px; border-radius: 3px; }";
        case Tone::Bad: return "QLabel { background: #c62828; color: white; padding: 0 6px; border-radius: 3px; }";
        case Tone::Plain: break;
    }
    return "";
}

void showPart(QLabel& label, const StatusPart& part) {
    if (auto* eliding = dynamic_cast<ElidingLabel*>(&label)) {
        eliding->setFullText(messageText(part.text));
    } else {
        label.setText(messageText(part.text));
    }
    label.setToolTip(messageText(part.detail));
    label.setStyleSheet(toneStyle(part.tone));
    label.setVisible(!part.text.empty());
}

template <typename Label = QLabel>
Label* part(const char* name) {
    auto* label = new Label;
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

void ElidingLabel::setFullText(const QString& text) {
    full_ = text;
    elide();
}

QSize ElidingLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

void ElidingLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidingLabel::elide() {
    const int room = contentsRect().width() - 2 * margin() - 12;  // the style sheet's padding
    setText(fontMetrics().elidedText(full_, Qt::ElideRight, std::max(room, 0)));
}

BenchStatusBar::BenchStatusBar()
    : port_(part("StatusPort")),
      result_(part<ElidingLabel>("StatusResult")),
      verified_(part("StatusVerified")),
      record_(part("StatusRecord")) {
    setObjectName("BenchStatus");
    setSizeGripEnabled(false);
    // The result comes first and takes what room there is; the others keep to a short text.
    result_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
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
