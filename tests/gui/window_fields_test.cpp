#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QSlider>

#include "window_fixture.h"

namespace pagerprog::gui::test {
namespace {

TEST_F(WindowTest, EveryFieldHasExactlyOneWidgetAndEveryWidgetAField) {
    for (const auto& field : model().fields()) {
        const QString name = QString::fromStdString(field.spec->name);
        EXPECT_EQ(window().findChildren<QWidget*>(name).size(), 1) << field.spec->name;
        EXPECT_NE(window().fieldEditor(field.spec->name), nullptr) << field.spec->name;
    }
    for (const auto& [name, view] : window().fieldViews()) {
        EXPECT_TRUE(model().hasField(name)) << name;
        EXPECT_EQ(view.editor->objectName().toStdString(), name);
    }
    EXPECT_EQ(window().fieldViews().size(), model().fields().size());
}
}  // namespace
}  // namespace pagerprog::gui::test
