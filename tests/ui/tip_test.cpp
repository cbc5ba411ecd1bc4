#include "ui/tip.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <memory>
#include <string>

#include "text/codepage.h"

namespace velmora::ui {
namespace {

// A window with two boxes side by side; tips go on `address`.
class TipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    window.resize(400, 120);
    address.setGeometry(20, 20, 160, 30);
    other.setGeometry(220, 20, 160, 30);
  }

  void show_window() {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  // Moves the pointer as the platform would, so enter, leave and the tool-tip wake-up happen.
  void move_pointer_to(QWidget& target, QPoint local) {
    QTest::mouseMove(window.windowHandle(), target.mapTo(&window, local));
  }

  // What resting the pointer at a point leads to, without waiting for the wake-up delay.
  void rest_at(QWidget& target, QPoint local) {
    QHelpEvent help(QEvent::ToolTip, local, target.mapToGlobal(local));
    QApplication::sendEvent(&target, &help);
  }

  QWidget window;
  QLineEdit address{&window};
  QLineEdit other{&window};
  Q_tip tip;
};

TEST_F(TipTest, ANullControlGetsNoTip) {
  EXPECT_FALSE(attach_tip(tip, nullptr, "text", -1));
  EXPECT_FALSE(tip.attach(nullptr, QStringLiteral("text"), -1));
}

TEST_F(TipTest, ShowsOnlyWhileThePointerRestsOverItsControl) {
  ASSERT_TRUE(attach_tip(tip, &address, "Paste the address", -1));
  EXPECT_FALSE(tip.is_showing()) << "attaching shows nothing";
  show_window();

  move_pointer_to(other, {40, 10});
  QTest::qWait(1200);
  EXPECT_FALSE(tip.is_showing()) << "the pointer rests over another control";

  move_pointer_to(address, {40, 10});
  QTRY_VERIFY_WITH_TIMEOUT(tip.is_showing(), 3000);
  EXPECT_EQ(tip.shown_text(), QStringLiteral("Paste the address"));
  EXPECT_TRUE(tip.popup_window()->isWindow());
  EXPECT_FALSE(tip.popup_window()->isActiveWindow()) << "the pop-up must not take the focus";

  move_pointer_to(other, {40, 10});
  EXPECT_FALSE(tip.is_showing()) << "leaving the control hides the tip";
}

TEST_F(TipTest, HidesOnAMouseButtonTheWheelOrAKey) {
  ASSERT_TRUE(attach_tip(tip, &address, "tip", -1));
  show_window();
  address.setFocus();
  const std::pair<const char*, std::function<void()>> presses[] = {
      {"mouse button",
       [&] {
         QTest::mousePress(&address, Qt::LeftButton, {}, {40, 10});
       }},
      {"right button release",
       [&] {
         QTest::mouseRelease(&address, Qt::RightButton, {}, {40, 10});
       }},
      {"wheel",
       [&] {
         QWheelEvent wheel({40, 10}, address.mapToGlobal(QPoint(40, 10)), {}, {0, 120},
                           Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
         QApplication::sendEvent(&address, &wheel);
       }},
      {"letter key", [&] { QTest::keyClick(&address, Qt::Key_A); }},
      {"shift key", [&] { QTest::keyClick(&address, Qt::Key_Shift); }},
  };
  for (const auto& [name, press] : presses) {
    SCOPED_TRACE(name);
    rest_at(address, {40, 10});
    ASSERT_TRUE(tip.is_showing());
    press();
    EXPECT_FALSE(tip.is_showing());
  }
}

TEST_F(TipTest, ARectangleTipBelongsToItsAreaAndReplacesOnlyItsOwnKind) {
  show_window();
  ASSERT_TRUE(attach_tip(tip, &address, "whole", -1));
  ASSERT_TRUE(attach_tip(tip, &address, "left", -1, 0, 0, 40, 30));
  ASSERT_TRUE(attach_tip(tip, &address, "right", -1, 100, 0, 60, 30));
  // Three of the four values are not a rectangle: this replaces the whole-control tip.
  ASSERT_TRUE(attach_tip(tip, &address, "whole again", -1, 0, 0, 40));
  // The same rectangle again replaces the first tip for it.
  ASSERT_TRUE(attach_tip(tip, &address, "left again", -1, 0, 0, 40, 30));
  EXPECT_EQ(tip.tip_count(&address), 3);

  const std::pair<QPoint, const char*> rests[] = {
      {{10, 10}, "left again"}, {{120, 10}, "right"}, {{70, 10}, "whole again"}};
  for (const auto& [point, expected] : rests) {
    SCOPED_TRACE(expected);
    rest_at(address, point);
    EXPECT_EQ(tip.shown_text(), QString::fromLatin1(expected));
    tip.hide_tip();
  }

  // Moving out of the rectangle that showed the tip hides it.
  move_pointer_to(address, {10, 10});
  rest_at(address, {10, 10});
  ASSERT_TRUE(tip.is_showing());
  move_pointer_to(address, {70, 10});
  EXPECT_FALSE(tip.is_showing());
}

TEST_F(TipTest, ARectangleOnlyTipShowsNothingOutsideIt) {
  show_window();
  ASSERT_TRUE(attach_tip(tip, &address, "corner", -1, 0, 0, 20, 20));
  rest_at(address, {100, 10});
  EXPECT_FALSE(tip.is_showing());
  rest_at(address, {5, 5});
  EXPECT_EQ(tip.shown_text(), QStringLiteral("corner"));
}

TEST_F(TipTest, IconNumbersPickFromTheImageListOrShowNone) {
  show_window();
  QPixmap red(16, 16), blue(16, 16);
  red.fill(Qt::red);
  blue.fill(Qt::blue);
  tip.set_image_list({QIcon(red), QIcon(blue)});
  const std::pair<int, int> cases[] = {{-1, -1}, {0, 0}, {1, 1}, {2, -1}, {-7, -1}};
  for (const auto& [icon, shown] : cases) {
    SCOPED_TRACE("icon " + std::to_string(icon));
    ASSERT_TRUE(attach_tip(tip, &address, "with icon", icon));
    rest_at(address, {40, 10});
    ASSERT_TRUE(tip.is_showing());
    EXPECT_EQ(tip.shown_icon(), shown);
    tip.hide_tip();
  }
}

TEST_F(TipTest, TextArrivesAsCodePageBytesAndShowsInNinePointBlackSongTi) {
  show_window();
  const std::string gbk = text::utf8_to_ansi("请输入地址");
  ASSERT_EQ(gbk, "\xC7\xEB\xCA\xE4\xC8\xEB\xB5\xD8\xD6\xB7");
  ASSERT_TRUE(attach_tip(tip, &address, gbk, -1));
  rest_at(address, {40, 10});
  EXPECT_EQ(tip.shown_text(), QString::fromUtf8("请输入地址"));

  QLabel* body = tip.text_label();
  body->ensurePolished();
  const QFont font = body->font();
  EXPECT_EQ(font.pointSize(), 9);
  ASSERT_GE(font.families().size(), 2);
  EXPECT_EQ(font.families().at(0), QString::fromUtf8("宋体"));
  EXPECT_EQ(font.families().at(1), QStringLiteral("Verdana"));
  EXPECT_EQ(body->palette().color(QPalette::WindowText), QColor(Qt::black));
}

TEST_F(TipTest, AControlThatGoesAwayTakesItsTipsAndThePopUpWithIt) {
  show_window();
  auto doomed = std::make_unique<QLineEdit>(&window);
  doomed->setGeometry(20, 60, 100, 30);
  doomed->show();
  ASSERT_TRUE(attach_tip(tip, doomed.get(), "soon gone", -1));
  rest_at(*doomed, {10, 10});
  ASSERT_TRUE(tip.is_showing());
  const QWidget* gone = doomed.get();
  doomed.reset();
  EXPECT_FALSE(tip.is_showing());
  EXPECT_EQ(tip.tip_count(gone), 0);
}

}  // namespace
}  // namespace velmora::ui
