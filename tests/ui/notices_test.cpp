#include "ui/notices.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QTimer>
#include <memory>
#include <string>

#include "harvest/harvest_state.h"
#include "text/codepage.h"
#include "ui/main_window.h"
#include "ui/start_program.h"
#include "ui/style.h"

namespace velmora::ui {
namespace {

std::string gbk(const char* utf8) {
  return text::utf8_to_ansi(utf8);
}

const QColor scheme3_frame(198, 197, 215);

QImage grab_image(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Runs the program as it starts, with a window of the test's; `look` sees the window right after
// it has been shown, then it is closed.
void start_and_look(const std::function<void(MainWindow&)>& look) {
  harvest::HarvestState state;
  ProgramParts parts;
  parts.services.state = state;
  parts.exit_step = [] {};
  MainWindow* shown = nullptr;
  parts.create_window = [&](WindowServices services) {
    auto window = std::make_unique<MainWindow>(std::move(services));
    shown = window.get();
    QTimer::singleShot(0, window.get(), [&] {
      look(*shown);
      shown->close();
    });
    return window;
  };
  EXPECT_EQ(start_program(std::move(parts)), 0);
  ASSERT_NE(shown, nullptr);
}

class StartupNotices : public ::testing::Test {
 protected:
  void TearDown() override { apply_visual_style(0); }
};

TEST_F(StartupNotices, RightAfterStartTheExportBoxHoldsExactlyTheFourNoticesCaretAtTheEnd) {
  const std::string expected =
      gbk("分析过程中如果操作软件或移动位置，可能会假死，等分析完成后自动恢复，\r\n\r\n"
          "请勿关闭！另求高手指教解决此问题！\r\n\r\n"
          "分析速度和网络质量有很大的关系，并且本人新手不会多线程！见谅！\r\n\r\n"
          "分析完成后建议使用迅雷等下载工具批量下载，亲测可用。\r\n\r\n");
  start_and_look([&](MainWindow& window) {
    EXPECT_EQ(window.编辑框2.get_text(), expected);
    ASSERT_NE(window.编辑框2.text_editor(), nullptr);
    EXPECT_TRUE(window.编辑框2.text_editor()->textCursor().atEnd());
    EXPECT_FALSE(window.编辑框2.text_editor()->textCursor().hasSelection());
    EXPECT_EQ(window.气球提示框1.tip_count(&window.编辑框1), 1);
    EXPECT_FALSE(window.气球提示框1.is_showing());
  });
}

TEST_F(StartupNotices, TheAddressTipShowsOverTheAddressBoxOnly) {
  start_and_look([&](MainWindow& window) {
    Q_tip& tip = window.气球提示框1;
    // Resting over the editor inside the address box reaches the box's tip.
    auto rest_over = [](QWidget& widget) {
      const QPoint at(widget.width() / 2, widget.height() / 2);
      QHelpEvent help(QEvent::ToolTip, at, widget.mapToGlobal(at));
      QApplication::sendEvent(&widget, &help);
    };
    rest_over(*window.编辑框2.editor());
    EXPECT_FALSE(tip.is_showing());
    rest_over(*window.编辑框1.editor());
    ASSERT_TRUE(tip.is_showing());
    EXPECT_EQ(tip.shown_text(), QString::fromUtf8("请输入TA分享页面的地址，仅支持百度网盘。"));
    EXPECT_EQ(tip.shown_icon(), -1);
    tip.hide_tip();
  });
}

TEST_F(StartupNotices, RightAfterStartTheLookIsOnInSchemeThreeForButtonsAndEditBoxesOnly) {
  start_and_look([&](MainWindow& window) {
    EXPECT_EQ(visual_style_scheme(), 3);
    for (QWidget* edit : {window.编辑框1.editor(), window.编辑框2.editor()}) {
      const QImage image = grab_image(*edit);
      EXPECT_EQ(image.pixel(0, 0), scheme3_frame.rgb()) << edit->metaObject()->className();
      EXPECT_EQ(image.pixel(image.width() / 2, image.height() - 1), scheme3_frame.rgb());
    }
    // The lists, the bar and the labels look the same with the look switched off; the buttons
    // and the edit boxes do not.
    QWidget* ordinary[] = {&window.选择列表框1, &window.进度条1, &window.透明标签1};
    QWidget* drawn[] = {&window.按钮1, &window.按钮全选, window.编辑框1.editor()};
    std::vector<QImage> ordinary_on, drawn_on;
    for (QWidget* widget : ordinary) ordinary_on.push_back(grab_image(*widget));
    for (QWidget* widget : drawn) drawn_on.push_back(grab_image(*widget));
    ASSERT_TRUE(apply_visual_style(0));
    for (std::size_t i = 0; i < std::size(ordinary); ++i)
      EXPECT_TRUE(grab_image(*ordinary[i]) == ordinary_on[i])
          << ordinary[i]->objectName().toStdString();
    for (std::size_t i = 0; i < std::size(drawn); ++i)
      EXPECT_TRUE(grab_image(*drawn[i]) != drawn_on[i]) << drawn[i]->objectName().toStdString();
  });
}

}  // namespace
}  // namespace velmora::ui
