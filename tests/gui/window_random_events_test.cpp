// Thousands of random key presses, clicks, tab switches and menu commands on the real
// window with the simulated programmer, from a fixed seed. The window must never loop
// moving the focus, must show what the model holds, and a saved file, opened in a second
// program, must show every field as the window showed it, or the status log must have
// named the field.
#include <QCheckBox>
#include <QComboBox>
#include <QSlider>
#include <QTest>
#include <filesystem>
#include <random>

#include "app/document/profiles.h"
#include "gui/qt_text.h"
#include "support/recording_host.h"
#include "support/shown_values.h"
#include "window_fixture.h"

namespace pagerprog::gui::test {
namespace {

constexpr int kEvents = 3000;
constexpr int kMostFocusMovesPerEvent = 4;

const char* const kMenuItems[] = {element::about, element::recoverKS8809, element::recoverSM5170, element::open,
                                  element::save,  element::writeToPager,  element::readFromPager};

class RandomEvents : public WindowTest {
protected:
    // Lets the queued work of an event run and counts the focus moves it makes.
    int settleCountingFocusMoves() {
        int moves = 0;
        const auto connection =
            QObject::connect(qApp, &QApplication::focusChanged, [&moves](QWidget*, QWidget*) { ++moves; });
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
        QObject::disconnect(connection);
        return moves;
    }

    // Every widget shows what its field holds in the model.
    void expectWidgetsFollowTheModel() {
        for (const auto& [name, view] : window().fieldViews()) {
            const Field& field = model().field(name);
            if (auto* edit = qobject_cast<QLineEdit*>(view.widget())) {
                ASSERT_EQ(edit->text(), fieldText(field.text)) << name;
            } else if (auto* combo = qobject_cast<QComboBox*>(view.widget())) {
                ASSERT_EQ(combo->currentIndex(), field.index) << name;
            } else if (auto* box = qobject_cast<QCheckBox*>(view.widget())) {
                ASSERT_EQ(box->isChecked(), field.checked) << name;
            }
        }
    }

    // A file the window saved shows in a second program as the window showed it, but for
    // the fields the status log named since `firstLine`.
    void expectSavedAsShown(const std::filesystem::path& file, int firstLine) {
        testing::RecordingHost host;
        Application second(host);
        second.start(StartupOptions{'.', "/nonexistent"});
        const Revision revision = session().app().program().hardwareRevision;
        while (second.program().hardwareRevision != revision) switch_modelClick(second.context());
        host.openAnswers.push_back(file.string());
        ASSERT_TRUE(second.menuCommand(element::open)) << (host.logLines.empty() ? "" : host.logLines.back());
        std::vector<std::string> lines;
        const QStringList shown = logLines();
        for (int i = firstLine; i < shown.size(); ++i) lines.push_back(shown[i].toStdString());
        const auto named = testing::fieldsNamedIn(lines);
        for (const auto& field : testing::fieldsShownOtherwise(model(), second.model(), layoutOf(revision)))
            EXPECT_TRUE(named.count(field)) << field << " was saved otherwise than shown";
    }
};

TEST_F(RandomEvents, TheWindowStaysSoundThroughThousandsOfEvents) {
    std::mt19937 random(20261208);
    std::vector<QWidget*> widgets;
    for (const auto& [name, view] : window().fieldViews()) widgets.push_back(view.widget());
    std::sort(widgets.begin(), widgets.end(), [](QWidget* a, QWidget* b) { return a->objectName() < b->objectName(); });
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "pagerprog_random_events.eep";
    const std::string keys = "0123456789ABCDEFabcxyz .,-#\b";
    int saves = 0;
    for (int event = 0; event < kEvents; ++event) {
        const unsigned kind = random() % 100;
        QWidget* widget = widgets[random() % widgets.size()];
        if (kind < 10) {
            window().tabs().setCurrentIndex(static_cast<int>(random() % 3));
        } else if (kind < 40) {
            if (widget->isVisible() && widget->isEnabled()) widget->setFocus(Qt::TabFocusReason);
        } else if (kind < 80) {
            if (QWidget* focused = QApplication::focusWidget()) QTest::keyClick(focused, keys[random() % keys.size()]);
        } else if (kind < 88) {
            if (QWidget* focused = QApplication::focusWidget())
                QTest::keyClick(focused, random() % 2 ? Qt::Key_Tab : Qt::Key_Down);
        } else if (kind < 95) {
            if (auto* box = qobject_cast<QCheckBox*>(widget); box && box->isVisible() && box->isEnabled())
                QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(2, box->height() / 2));
        } else {
            const char* item = kMenuItems[random() % std::size(kMenuItems)];
            desktop_.openAnswer = file.string();
            desktop_.saveAnswer = file.string();
            const int firstLine = static_cast<int>(logLines().size());
            QAction* action = window().menuAction(item);
            if (action->isVisible() && action->isEnabled()) action->trigger();
            ASSERT_LE(settleCountingFocusMoves(), kMostFocusMovesPerEvent) << "after " << item;
            if (item == std::string(element::save) && logLines().mid(firstLine).contains("ok!")) {
                ++saves;
                expectSavedAsShown(file, firstLine);
            }
            continue;
        }
        ASSERT_LE(settleCountingFocusMoves(), kMostFocusMovesPerEvent) << "event " << event;
        if (event % 250 == 0) expectWidgetsFollowTheModel();
    }
    expectWidgetsFollowTheModel();
    EXPECT_GT(saves, 0);
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace pagerprog::gui::test
