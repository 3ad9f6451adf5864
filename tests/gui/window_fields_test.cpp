// The window is built from the field and element tables and shows the model's state.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QTest>

#include "window_fixture.h"

namespace pagerprog::gui::test {
namespace {

TEST_F(WindowTest, EveryFieldHasExactlyOneWidgetAndEveryWidgetAField) {
    for (const auto& field : model().fields()) {
        const QString name = QString::fromStdString(field.def->name);
        EXPECT_EQ(window().findChildren<QWidget*>(name).size(), 1) << field.def->name;
        EXPECT_NE(window().fieldEditor(field.def->name), nullptr) << field.def->name;
    }
    for (const auto& [name, view] : window().fieldViews()) {
        EXPECT_TRUE(model().hasField(name)) << name;
        EXPECT_EQ(view.widget()->objectName().toStdString(), name);
    }
    EXPECT_EQ(window().fieldViews().size(), model().fields().size());
}

TEST_F(WindowTest, EachKindOfFieldHasItsOwnWidget) {
    for (const auto& field : model().fields()) {
        QWidget* editor = window().fieldEditor(field.def->name);
        switch (field.def->kind) {
            case FieldKind::Text:
            case FieldKind::Digits:
                EXPECT_FALSE(editor->property("readOnly").toBool()) << field.def->name;
                EXPECT_NE(qobject_cast<QLineEdit*>(editor), nullptr) << field.def->name;
                break;
            case FieldKind::ReadOnlyText:
                ASSERT_NE(qobject_cast<QLineEdit*>(editor), nullptr) << field.def->name;
                EXPECT_TRUE(qobject_cast<QLineEdit*>(editor)->isReadOnly()) << field.def->name;
                break;
            case FieldKind::Choice: {
                auto* combo = qobject_cast<QComboBox*>(editor);
                ASSERT_NE(combo, nullptr) << field.def->name;
                // Only the choices whose typing is not filtered away take typed text.
                EXPECT_EQ(combo->isEditable(), field.def->filter != KeyFilter::NoKey) << field.def->name;
                break;
            }
            case FieldKind::Flag: EXPECT_NE(qobject_cast<QCheckBox*>(editor), nullptr) << field.def->name; break;
            case FieldKind::Level: EXPECT_NE(qobject_cast<QSlider*>(editor), nullptr) << field.def->name; break;
        }
        EXPECT_EQ(editor->toolTip().toStdString(), field.def->hint) << field.def->name;
    }
}

// The heading over a column of the address grid, or "" when it has none.
QString headingAbove(QGridLayout& grid, QWidget* cell) {
    int row = 0, column = 0, rows = 0, columns = 0;
    grid.getItemPosition(grid.indexOf(cell), &row, &column, &rows, &columns);
    for (int i = 0; i < grid.count(); ++i) {
        auto* label = qobject_cast<QLabel*>(grid.itemAt(i)->widget());
        int r = 0, c = 0, span = 0;
        grid.getItemPosition(i, &r, &c, &rows, &span);
        if (label != nullptr && r == 0 && column >= c && column < c + span) return label->text();
    }
    return {};
}

TEST_F(WindowTest, AddressGridHasItsHeadingsAboveTheirColumnsAndOneRowPerSlot) {
    auto* grid = qobject_cast<QGridLayout*>(window().group(element::groupAddress)->layout());
    ASSERT_NE(grid, nullptr);
    const std::vector<std::pair<std::string, QString>> expected{
        {"addr3en", ""},
        {"address3", "PN"},
        {"autoinc3", "Auto inc"},
        {"frame3", "Fm"},
        {"msgtype3", "Msg type"},
        {"addr3formatA", "A Tone"},
        {"addr3formatB", "B Tone"},
        {"addr3formatC", "C Tone"},
        {"addr3formatD", "D Tone"},
        {"urgent3A", "Uch"},
        {"urgent3D", "Uch"},
    };
    for (const auto& [field, heading] : expected) {
        EXPECT_EQ(headingAbove(*grid, window().fieldEditor(field)), heading) << field;
    }
    for (int slot = 1; slot <= 8; ++slot) {
        const std::string n = std::to_string(slot);
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(grid->indexOf(window().fieldEditor("address" + n)), &row, &column, &rows, &columns);
        EXPECT_EQ(row, slot) << slot;
        grid->getItemPosition(grid->indexOf(window().fieldEditor("urgent" + n + "D")), &row, &column, &rows, &columns);
        EXPECT_EQ(row, slot) << slot;
        EXPECT_EQ(qobject_cast<QCheckBox*>(window().fieldEditor("addr" + n + "en"))->text(), QString("[%1]").arg(slot));
    }
}

TEST_F(WindowTest, StartsWithTheStartUpStateOfTheModel) {
    EXPECT_EQ(window().windowTitle(), "73TV8 Capcode Programmer Customer Version");
    QTabWidget& tabs = window().tabs();
    ASSERT_EQ(tabs.count(), 4);
    EXPECT_EQ(tabs.tabPosition(), QTabWidget::West);
    const QStringList captions{"Address / Folder", "Feature On/Off", "Hardware", "PromptMsg"};
    const std::vector<bool> shown{true, true, false, false};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs.tabText(i), captions[i]);
        EXPECT_EQ(tabs.isTabVisible(i), shown[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(editor<QLineEdit>("contrast")->text(), "45");
    EXPECT_FALSE(editor<QLineEdit>("contrast")->isEnabled());
    auto* language = editor<QComboBox>("language");
    EXPECT_EQ(language->count(), 3);
    EXPECT_EQ(language->maxVisibleItems(), 13);
    EXPECT_EQ(logLines().first(), "73TV8 USB CapCode Programmer Windows version V7.6");
    EXPECT_EQ(logCount("Simulated USB programmer attached, with a factory-fresh pager"), 1);
    ASSERT_EQ(window().deviceList().count(), 1);
    EXPECT_EQ(window().deviceList().item(0)->text(), "Z16 programmer at sim1: in use");
}

TEST_F(WindowTest, MenuBarHoldsTheMenusInOrderWithTheirAccelerators) {
    QStringList bar, shownOnBar;
    for (QAction* action : window().menuBar()->actions()) {
        bar << action->text();
        if (action->isVisible()) shownOnBar << action->text();
    }
    EXPECT_EQ(bar, QStringList({"&File", "&Parallel Port", "&WR_To_Pager", "&RD_From_Pager", "&TV8", "&Help",
                                "Pro&duction", "&Tools"}));
    EXPECT_EQ(shownOnBar, QStringList({"&File", "&WR_To_Pager", "&RD_From_Pager", "&Help", "Pro&duction", "&Tools"}));
    auto items = [this](const char* menu) {
        QStringList texts;
        for (QAction* action : window().menuAction(menu)->menu()->actions()) texts << action->text();
        return texts;
    };
    // The window's additions ("Open &Recent", "Save &As...", "User &Guide") sit beside the
    // items of the original menus, which keep their order.
    EXPECT_EQ(items(element::menuFile), QStringList({"&Open", "Open &Recent", "&Save", "Save &As...", "&Exit"}));
    EXPECT_EQ(items(element::menuParallelPort), QStringList({"LPT1", "LPT2", "Acknowledge polling"}));
    EXPECT_EQ(items(element::menuTools), QStringList({"Bus trace...", "Compare pager with file..."}));
    EXPECT_EQ(items(element::menuProduction),
              QStringList({"Production log…", "Production record...", "Operator...", "Gang programming..."}));
    EXPECT_EQ(items(element::menuHelp), QStringList({"&Recover", "&Debug", "User &Guide", "&About"}));
    EXPECT_EQ(items(element::recover), QStringList({"KS8809", "SM5170"}));
    EXPECT_FALSE(window().menuAction(element::debug)->isVisible());
    EXPECT_TRUE(window().menuAction(element::lpt1)->isChecked());
    EXPECT_FALSE(window().menuAction(element::lpt2)->isChecked());
    // The programmer is in use: the port menu and the revision switch are disabled.
    EXPECT_FALSE(window().menuAction(element::menuParallelPort)->isEnabled());
    EXPECT_FALSE(window().menuAction(element::switchModel)->isEnabled());
}

TEST_F(WindowTest, RecoverItemsMoveTheirCheckMarksAsTheModelSays) {
    chooseMenu(element::recoverKS8809);
    EXPECT_TRUE(window().menuAction(element::recoverKS8809)->isChecked());
    EXPECT_TRUE(window().menuAction(element::recover)->isChecked());
    EXPECT_EQ(editor<QComboBox>("pll")->currentText(), "KS8809");
    // Choosing the checked item again unchecks it and "&Recover"; Qt's own toggling of
    // the check mark must not leave the menu out of step with the model.
    chooseMenu(element::recoverKS8809);
    EXPECT_FALSE(window().menuAction(element::recoverKS8809)->isChecked());
    EXPECT_FALSE(window().menuAction(element::recover)->isChecked());
    EXPECT_EQ(model().element(element::recoverKS8809).checked, false);
}

TEST_F(WindowTest, AboutAppendsItsLineEachTime) {
    chooseMenu(element::about);
    chooseMenu(element::about);
    EXPECT_EQ(logCount("73TV8 USB CapCode Programmer Windows version V7.6"), 3);
}

TEST_F(WindowTest, ChangesMadeByTheProgramShowAtOnce) {
    // Longer than may be typed, still shown whole.
    model().setText("pubbox5", "FOLDER 05  ");
    EXPECT_EQ(editor<QLineEdit>("pubbox5")->text(), "FOLDER 05  ");
    model().setEnabled("cannedmsgA", true);
    EXPECT_TRUE(editor<QLineEdit>("cannedmsgA")->isEnabled());
    model().setElementCaption(element::window, "Another title");
    EXPECT_EQ(window().windowTitle(), "Another title");
    model().setShown("customer", true);
    EXPECT_TRUE(window().fieldEditor("customer")->isVisibleTo(window().fieldEditor("customer")->parentWidget()));
    model().deleteItem("language", 2);
    EXPECT_EQ(editor<QComboBox>("language")->count(), 2);
    model().setElementVisible(element::groupFolder, false);
    EXPECT_FALSE(window().group(element::groupFolder)->isVisible());
}

TEST_F(WindowTest, FieldTextsKeepEveryByteAPagerHolds) {
    const std::string bytes{
        "\xE9\xF1\x80"
        "AB",
        5};
    model().setText("pubbox6", bytes);
    auto* edit = editor<QLineEdit>("pubbox6");
    EXPECT_EQ(edit->text().size(), 5);
    // Typing at the end sends the whole text back; the bytes before it are untouched.
    clickInto(edit);
    edit->end(false);
    QTest::keyClick(edit, 'C');
    EXPECT_EQ(model().text("pubbox6"), std::string("\xE9\xF1\x80"
                                                   "ABC",
                                                   6));
}

TEST_F(WindowTest, WindowFitsASmallLaptopScreenAndStartsCentred) {
    const QSize size = window().sizeHint();
    EXPECT_LE(size.width(), 1366 - 16);  // room for a window frame
    EXPECT_LE(size.height(), 768 - 64);  // and for a title bar and a task bar
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    if (screen.width() >= size.width() && screen.height() >= size.height()) {
        EXPECT_LE((window().frameGeometry().center() - screen.center()).manhattanLength(), 2);
    }
}

}  // namespace
}  // namespace pagerprog::gui::test
