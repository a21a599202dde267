#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

#include "screens/common/ButtonKeys.h"

namespace {

struct KeyCase {
    Qt::Key key;
    bool enabled;
    int expectedClicks;
};

std::ostream& operator<<(std::ostream& out, const KeyCase& c) {
    return out << "key " << c.key << (c.enabled ? " enabled" : " disabled");
}

class ButtonKeysTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ButtonKeysTest, EnterClicksTheFocusedEnabledButtonOnly) {
    ui::InstallButtonKeys();
    QWidget form;
    auto* begin = new QPushButton("Begin", &form);
    int clicks = 0;
    QObject::connect(begin, &QPushButton::clicked, [&] { ++clicks; });
    form.show();
    QApplication::setActiveWindow(&form);
    begin->setFocus();
    begin->setEnabled(GetParam().enabled);
    QKeyEvent press(QEvent::KeyPress, GetParam().key, Qt::NoModifier);
    QApplication::sendEvent(begin, &press);
    EXPECT_EQ(clicks, GetParam().expectedClicks);
}

INSTANTIATE_TEST_SUITE_P(Keys, ButtonKeysTest,
                         ::testing::Values(KeyCase{Qt::Key_Return, true, 1},
                                           KeyCase{Qt::Key_Enter, true, 1},
                                           KeyCase{Qt::Key_Return, false, 0},
                                           KeyCase{Qt::Key_A, true, 0}));

}  // namespace
