#include "ui/style.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora::ui {
namespace {

// Every test starts and ends with the look off.
class VisualStyle : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    apply_visual_style(0);
  }
  void TearDown() override { apply_visual_style(0); }
};

QImage grab_image(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::string rgb(QRgb pixel) {
  return "RGB(" + std::to_string(qRed(pixel)) + "," + std::to_string(qGreen(pixel)) + "," +
         std::to_string(qBlue(pixel)) + ")";
}
std::string rgb(const QColor& colour) {
  return rgb(colour.rgb());
}

// The pixels of the one-pixel ring `inset` pixels in from the image's edges that differ from the
// colour, as "x,y=RGB(...)" (empty when the whole ring has the colour).
std::string ring_mismatches(const QImage& image, int inset, const QColor& colour) {
  std::string found;
  const int left = inset, top = inset, right = image.width() - 1 - inset,
            bottom = image.height() - 1 - inset;
  auto check = [&](int x, int y) {
    if (image.pixel(x, y) != colour.rgb() && found.size() < 200)
      found += std::to_string(x) + "," + std::to_string(y) + "=" + rgb(image.pixel(x, y)) + " ";
  };
  for (int x = left; x <= right; ++x) check(x, top), check(x, bottom);
  for (int y = top; y <= bottom; ++y) check(left, y), check(right, y);
  return found;
}

QColor button_face() {
  return QApplication::palette().color(QPalette::Active, QPalette::Button);
}
QColor minus_32(const QColor& c) {
  return QColor(std::max(c.red() - 32, 0), std::max(c.green() - 32, 0), std::max(c.blue() - 32, 0));
}

TEST_F(VisualStyle, ReturnsTrueForEveryOnAndForOffOnlyWhenALookWasOn) {
  struct Step {
    int n;
    bool result;
    int scheme_after;
  };
  const Step steps[] = {
      {0, false, 0}, {1, true, 1},  {2, true, 2},   {2, true, 2}, {3, true, 3},
      {0, true, 0},  {0, false, 0}, {-1, false, 0}, {3, true, 3}, {4, true, 0},
      {7, false, 0}, {1, true, 1},  {-5, true, 0},
  };
  int index = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE("step " + std::to_string(index++) + ": apply_visual_style(" +
                 std::to_string(step.n) + ")");
    EXPECT_EQ(apply_visual_style(step.n), step.result);
    EXPECT_EQ(visual_style_scheme(), step.scheme_after);
    EXPECT_EQ(qobject_cast<FlatStyle*>(QApplication::style()) != nullptr, step.scheme_after != 0);
  }
}

TEST_F(VisualStyle, SwitchingOffGivesBackTheStyleItWasSwitchedOnOver) {
  const QString before = QApplication::style()->name();
  apply_visual_style(2);
  apply_visual_style(1);
  apply_visual_style(0);
  EXPECT_EQ(QApplication::style()->name(), before);
}

struct FrameCase {
  const char* name;
  int scheme;
  bool multi_line;
  bool disabled;
  bool read_only;
};

class EditFrame : public VisualStyle, public ::testing::WithParamInterface<FrameCase> {};

// One box made before the look is switched on and one after: both must carry it.
TEST_P(EditFrame, OuterAndInnerRingsAreDrawnInTheSchemeColours) {
  const FrameCase& c = GetParam();
  const QColor scheme_frame[] = {QColor(123, 158, 189), QColor(164, 185, 127),
                                 QColor(198, 197, 215)};
  auto make_box = [&]() -> std::unique_ptr<QWidget> {
    std::unique_ptr<QWidget> box;
    if (c.multi_line) {
      auto edit = std::make_unique<QPlainTextEdit>(QStringLiteral("line one\nline two"));
      edit->setReadOnly(c.read_only);
      box = std::move(edit);
    } else {
      auto edit = std::make_unique<QLineEdit>(QStringLiteral("http://example/"));
      edit->setReadOnly(c.read_only);
      box = std::move(edit);
    }
    box->setEnabled(!c.disabled);
    box->resize(120, c.multi_line ? 60 : 26);
    return box;
  };
  auto earlier = make_box();
  ASSERT_TRUE(apply_visual_style(c.scheme));
  auto later = make_box();

  const QColor outer = c.disabled ? minus_32(button_face()) : scheme_frame[c.scheme - 1];
  const QColor inner = (c.disabled || c.read_only)
                           ? button_face()
                           : QApplication::palette().color(QPalette::Active, QPalette::Base);
  for (QWidget* box : {earlier.get(), later.get()}) {
    SCOPED_TRACE(box == earlier.get() ? "box made before" : "box made after");
    const QImage image = grab_image(*box);
    EXPECT_EQ(ring_mismatches(image, 0, outer), "") << "outer ring should be " << rgb(outer);
    EXPECT_EQ(ring_mismatches(image, 1, inner), "") << "inner ring should be " << rgb(inner);
  }
}

INSTANTIATE_TEST_SUITE_P(SchemesAndStates, EditFrame,
                         ::testing::Values(FrameCase{"line_scheme1", 1, false, false, false},
                                           FrameCase{"line_scheme2", 2, false, false, false},
                                           FrameCase{"line_scheme3", 3, false, false, false},
                                           FrameCase{"line_disabled", 3, false, true, false},
                                           FrameCase{"line_read_only", 1, false, false, true},
                                           FrameCase{"text_scheme1", 1, true, false, false},
                                           FrameCase{"text_scheme3", 3, true, false, false},
                                           FrameCase{"text_disabled", 2, true, true, false},
                                           FrameCase{"text_read_only", 3, true, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(VisualStyle, AnEditBoxWithoutABorderGetsNoFrame) {
  QLineEdit edit(QStringLiteral("x"));
  edit.setFrame(false);
  edit.resize(120, 26);
  apply_visual_style(1);
  const QImage image = grab_image(edit);
  EXPECT_NE(image.pixel(image.width() / 2, 0), QColor(123, 158, 189).rgb());
}

// The kinds the look draws, and the kinds it must leave alone: each is rendered once under the
// plain style and once under the look.
struct KindCase {
  const char* name;
  std::function<std::unique_ptr<QWidget>()> make;
};

const KindCase drawn_kinds[] = {
    {"push_button", [] { return std::make_unique<QPushButton>(QStringLiteral("Export")); }},
    {"check_box",
     [] {
       auto box = std::make_unique<QCheckBox>(QStringLiteral("all"));
       box->setChecked(true);
       return box;
     }},
    {"radio_button",
     [] {
       auto radio = std::make_unique<QRadioButton>(QStringLiteral("one"));
       radio->setChecked(true);
       return radio;
     }},
    {"group_box", [] { return std::make_unique<QGroupBox>(QStringLiteral("group")); }},
    {"line_edit", [] { return std::make_unique<QLineEdit>(QStringLiteral("text")); }},
    {"plain_text_edit", [] { return std::make_unique<QPlainTextEdit>(QStringLiteral("text")); }},
    {"combo_box",
     [] {
       auto combo = std::make_unique<QComboBox>();
       combo->addItem(QStringLiteral("first"));
       return combo;
     }},
    {"spin_box", [] { return std::make_unique<QSpinBox>(); }},
};

const KindCase ordinary_kinds[] = {
    {"check_list",
     [] {
       auto list = std::make_unique<QListWidget>();
       for (const char* row : {"a.zip", "b.rar", "c.txt"}) {
         auto* item = new QListWidgetItem(QString::fromLatin1(row), list.get());  // list owns it
         item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
         item->setCheckState(row[0] == 'b' ? Qt::Unchecked : Qt::Checked);
       }
       list->setCurrentRow(1);
       return list;
     }},
    {"progress_bar",
     [] {
       auto bar = std::make_unique<QProgressBar>();
       bar->setValue(40);
       return bar;
     }},
    {"label", [] { return std::make_unique<QLabel>(QStringLiteral("3 / 7")); }},
    {"sunken_label",
     [] {
       auto label = std::make_unique<QLabel>(QStringLiteral("status"));
       label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
       return label;
     }},
};

QImage render_kind(const KindCase& kind) {
  auto widget = kind.make();
  widget->resize(140, 60);
  return grab_image(*widget);
}

TEST_F(VisualStyle, DrawsButtonsChecksGroupsEditsCombosAndUpDowns) {
  for (const KindCase& kind : drawn_kinds) {
    SCOPED_TRACE(kind.name);
    const QImage plain = render_kind(kind);
    apply_visual_style(3);
    const QImage looked = render_kind(kind);
    apply_visual_style(0);
    EXPECT_TRUE(plain != looked) << "the look left this kind as it was";
  }
}

TEST_F(VisualStyle, LeavesListBoxesProgressBarsAndLabelsAsTheyAre) {
  for (int scheme : {1, 3}) {
    for (const KindCase& kind : ordinary_kinds) {
      SCOPED_TRACE(std::string(kind.name) + " scheme " + std::to_string(scheme));
      const QImage plain = render_kind(kind);
      apply_visual_style(scheme);
      const QImage looked = render_kind(kind);
      apply_visual_style(0);
      EXPECT_TRUE(plain == looked) << "the look changed this kind";
    }
  }
}

// Push-button faces, drawn straight through the style so the hot and pressed states need no
// pointer.
QImage button_face_image(QStyle::State state) {
  QPushButton button(QStringLiteral("OK"));
  QStyleOptionButton option;
  option.initFrom(&button);
  option.state = state;
  option.rect = QRect(0, 0, 84, 24);
  option.text = button.text();
  QImage image(84, 24, QImage::Format_RGB32);
  image.fill(button_face());
  QPainter painter(&image);
  QApplication::style()->drawControl(QStyle::CE_PushButton, &option, &painter, &button);
  return image;
}

TEST_F(VisualStyle, PushButtonFacesDifferForNormalHotPressedAndDisabled) {
  apply_visual_style(3);
  const QStyle::State enabled = QStyle::State_Enabled | QStyle::State_Raised;
  const QImage normal = button_face_image(enabled);
  const QImage hot = button_face_image(enabled | QStyle::State_MouseOver);
  const QImage pressed = button_face_image(QStyle::State_Enabled | QStyle::State_Sunken);
  const QImage disabled = button_face_image(QStyle::State_Raised);
  const QImage* faces[] = {&normal, &hot, &pressed, &disabled};
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j)
      EXPECT_TRUE(*faces[i] != *faces[j]) << "faces " << i << ", " << j;

  // A disabled button's rim is the button face darkened by 32; an enabled one is not.
  const QColor disabled_rim = minus_32(button_face());
  EXPECT_EQ(rgb(disabled.pixel(40, 0)), rgb(disabled_rim));
  EXPECT_NE(rgb(normal.pixel(40, 0)), rgb(disabled_rim));
  // The face is lighter at the top than at the bottom, as XP buttons are.
  EXPECT_GT(qGray(normal.pixel(40, 3)), qGray(normal.pixel(40, 21)));
}

}  // namespace
}  // namespace velmora::ui
