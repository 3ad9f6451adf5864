// The window on small screens: its natural size fits a 1024x768 screen and a 1920x1080
// screen at 150% with every tab shown, and at that size no field, label or choice is
// squeezed below what it needs to show itself. Also run with QT_SCALE_FACTOR=1.5.
#include <QLineEdit>
#include <QScrollBar>

#include "window_fixture.h"

namespace pagerprog::gui::test {
namespace {

// Room a window manager's frame, title bar and a task bar take, in device-independent pixels.
constexpr QSize kDecorations(16, 64);
// The screens, as the window sees them in device-independent pixels.
const QSize kSmallScreen(1024, 768);
const QSize kScaledLaptop(1920 * 2 / 3, 1080 * 2 / 3);

class WindowLayoutTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        for (const char* tab : {element::tabAddress, element::tabFeature, element::tabHardware, element::tabPromptMsg})
            model().setElementVisible(tab, true);
        window().measurePages();
        settle();
    }
};

TEST_F(WindowLayoutTest, NaturalSizeFitsSmallAndScaledScreensWithEveryTabShown) {
    QTabWidget& tabs = window().tabs();
    for (int i = 0; i < tabs.count(); ++i) {
        tabs.setCurrentIndex(i);
        settle();
        const QSize hint = window().sizeHint();
        for (const QSize& screen : {kSmallScreen, kScaledLaptop}) {
            EXPECT_LE(hint.width(), screen.width() - kDecorations.width()) << tabs.tabText(i).toStdString();
            EXPECT_LE(hint.height(), screen.height() - kDecorations.height()) << tabs.tabText(i).toStdString();
        }
    }
}

// A widget the layout gave less room than it asks for shows part of itself. Choices,
// labels and check boxes need their whole text; a line edit the text it holds, within its
// frame and margins; other widgets their minimum.
bool squeezed(const QWidget& widget) {
    QSize needs = widget.minimumSizeHint();
    if (widget.inherits("QComboBox") || widget.inherits("QLabel") || widget.inherits("QAbstractButton")) {
        needs = widget.sizeHint();
    } else if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
        constexpr int kFrameAndMargins = 8;
        const QString text = edit->text().trimmed();
        needs.setWidth(edit->fontMetrics().horizontalAdvance(text) + kFrameAndMargins);
    }
    return widget.width() < needs.width() || widget.height() < needs.height();
}

TEST_F(WindowLayoutTest, OnASmallScreenNothingIsClippedOrScrolled) {
    window().resize(window().sizeHint().boundedTo(kSmallScreen - kDecorations));
    QTabWidget& tabs = window().tabs();
    for (int i = 0; i < tabs.count(); ++i) {
        tabs.setCurrentIndex(i);
        settle();
        const std::string tab = tabs.tabText(i).toStdString();
        EXPECT_EQ(window().tabsArea().horizontalScrollBar()->maximum(), 0) << tab;
        EXPECT_EQ(window().tabsArea().verticalScrollBar()->maximum(), 0) << tab;
        for (const QWidget* widget : tabs.widget(i)->findChildren<QWidget*>()) {
            // A choice's own line edit is the choice's to size.
            if (!widget->isVisible() || widget->parent()->inherits("QComboBox")) continue;
            EXPECT_FALSE(squeezed(*widget))
                << tab << ": " << widget->metaObject()->className() << " " << widget->objectName().toStdString();
        }
    }
}

}  // namespace
}  // namespace pagerprog::gui::test
