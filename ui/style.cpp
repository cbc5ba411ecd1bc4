#include "ui/style.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTextEdit>
#include <algorithm>
#include <array>
#include <memory>

namespace velmora::ui {
namespace {

// The look that is on; QApplication owns it and deletes it when another style replaces it.
QPointer<FlatStyle> installed_style;
// The style the look was switched on over, restored when it is switched off.
QString base_style_key;

const std::array<FlatScheme, 3> schemes = {{
    {QColor(123, 158, 189), QColor(0, 60, 116), QColor(214, 208, 197), QColor(28, 81, 128),
     QColor(255, 240, 207), QColor(229, 151, 0), QColor(206, 231, 255), QColor(105, 130, 238),
     QColor(33, 161, 33), QColor(77, 97, 133), QColor(0, 70, 213)},
    {QColor(164, 185, 127), QColor(55, 98, 6), QColor(214, 208, 197), QColor(85, 116, 38),
     QColor(255, 240, 207), QColor(229, 151, 0), QColor(206, 220, 160), QColor(143, 169, 79),
     QColor(33, 161, 33), QColor(80, 100, 50), QColor(85, 116, 38)},
    {QColor(198, 197, 215), QColor(96, 94, 122), QColor(200, 199, 216), QColor(118, 116, 146),
     QColor(255, 240, 207), QColor(229, 151, 0), QColor(231, 232, 240), QColor(160, 160, 185),
     QColor(60, 60, 90), QColor(80, 80, 100), QColor(60, 60, 90)},
}};

QColor button_face(const QPalette& palette) {
  return palette.color(QPalette::Active, QPalette::Button);
}
QColor window_colour(const QPalette& palette) {
  return palette.color(QPalette::Active, QPalette::Base);
}

QColor mixed(const QColor& a, const QColor& b, double b_share) {
  auto mix = [&](int x, int y) { return static_cast<int>(x + (y - x) * b_share + 0.5); };
  return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

// One-pixel rectangle outline by filling its four edges: exact pixels whatever the pen settings.
void outline(QPainter* painter, const QRect& r, const QColor& colour) {
  if (r.width() <= 0 || r.height() <= 0) return;
  painter->fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
  painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
  painter->fillRect(QRect(r.left(), r.top(), 1, r.height()), colour);
  painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), colour);
}

// An outline with its corner pixels cut and softened, the rounded rim of XP buttons.
void rounded_outline(QPainter* painter, const QRect& r, const QColor& colour,
                     const QColor& behind) {
  if (r.width() < 3 || r.height() < 3) return outline(painter, r, colour);
  painter->fillRect(QRect(r.left() + 1, r.top(), r.width() - 2, 1), colour);
  painter->fillRect(QRect(r.left() + 1, r.bottom(), r.width() - 2, 1), colour);
  painter->fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), colour);
  painter->fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), colour);
  const QColor soft = mixed(colour, behind, 0.5);
  for (QPoint corner :
       {QPoint(r.left() + 1, r.top() + 1), QPoint(r.right() - 1, r.top() + 1),
        QPoint(r.left() + 1, r.bottom() - 1), QPoint(r.right() - 1, r.bottom() - 1)})
    painter->fillRect(QRect(corner, QSize(1, 1)), soft);
}

// A two-pixel inner rim that shades from `top` to `bottom`: the hot and focus marks.
void inner_rim(QPainter* painter, const QRect& r, const QColor& top, const QColor& bottom) {
  const QRect rim = r.adjusted(1, 1, -1, -1);
  if (rim.width() < 4 || rim.height() < 4) return;
  painter->fillRect(QRect(rim.left() + 1, rim.top(), rim.width() - 2, 2), top);
  painter->fillRect(QRect(rim.left() + 1, rim.bottom() - 1, rim.width() - 2, 2), bottom);
  QLinearGradient side(rim.topLeft(), rim.bottomLeft());
  side.setColorAt(0, top);
  side.setColorAt(1, bottom);
  painter->fillRect(QRect(rim.left(), rim.top() + 1, 2, rim.height() - 2), side);
  painter->fillRect(QRect(rim.right() - 1, rim.top() + 1, 2, rim.height() - 2), side);
}

bool is_line_edit(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget);
}

// Multi-line edit boxes; list boxes and other scroll areas share their frame element.
bool is_text_edit(const QWidget* widget) {
  return qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QTextEdit*>(widget);
}

bool text_edit_read_only(const QWidget* widget) {
  if (auto plain = qobject_cast<const QPlainTextEdit*>(widget)) return plain->isReadOnly();
  if (auto rich = qobject_cast<const QTextEdit*>(widget)) return rich->isReadOnly();
  return false;
}

bool is_push_button(const QWidget* widget) {
  auto button = qobject_cast<const QPushButton*>(widget);
  return button && !button->isFlat();
}

// Item views draw their row check marks with the check box element too; those stay ordinary.
bool is_check_owner(const QWidget* widget) {
  return qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QGroupBox*>(widget);
}

bool is_hover_tracked(const QWidget* widget) {
  return qobject_cast<const QPushButton*>(widget) || qobject_cast<const QCheckBox*>(widget) ||
         qobject_cast<const QRadioButton*>(widget) || qobject_cast<const QComboBox*>(widget) ||
         qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QGroupBox*>(widget);
}

}  // namespace

const FlatScheme& flat_scheme(std::int32_t n) {
  return schemes[(n >= 1 && n <= 3) ? n - 1 : 2];
}

QColor darkened(const QColor& colour, int amount) {
  return QColor(std::max(colour.red() - amount, 0), std::max(colour.green() - amount, 0),
                std::max(colour.blue() - amount, 0));
}

bool apply_visual_style(std::int32_t n) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
  const bool was_on = !installed_style.isNull();
  if (!was_on && n >= 1 && n <= 3) base_style_key = QApplication::style()->name();
  if (n >= 1 && n <= 3) {
    auto look = std::make_unique<FlatStyle>(n, base_style_key);
    installed_style = look.get();
    QApplication::setStyle(look.release());  // the application owns its style
    return true;
  }
  if (!was_on) return false;
  std::unique_ptr<QStyle> base(QStyleFactory::create(base_style_key));
  if (!base) base.reset(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setStyle(base.release());
  installed_style.clear();
  return true;
}

std::int32_t visual_style_scheme() {
  return installed_style.isNull() ? 0 : installed_style->scheme();
}

FlatStyle::FlatStyle(std::int32_t scheme, const QString& base_style_key)
    : QProxyStyle(base_style_key.isEmpty() ? nullptr : QStyleFactory::create(base_style_key)),
      scheme_(scheme),
      colours_(flat_scheme(scheme)) {}

void FlatStyle::draw_edit_frame(const QStyleOption* option, QPainter* painter,
                                bool read_only) const {
  const bool enabled = option->state & State_Enabled;
  const QColor face = button_face(option->palette);
  outline(painter, option->rect, enabled ? colours_.frame : darkened(face, 32));
  outline(painter, option->rect.adjusted(1, 1, -1, -1),
          enabled && !read_only ? window_colour(option->palette) : face);
}

void FlatStyle::draw_button_face(const QStyleOption* option, QPainter* painter) const {
  const QRect r = option->rect;
  const bool enabled = option->state & State_Enabled;
  const bool pressed = option->state & (State_Sunken | State_On);
  const bool hot = enabled && (option->state & State_MouseOver);
  const QColor face = button_face(option->palette);
  const QColor behind = option->palette.color(QPalette::Window);
  const QRect inside = r.adjusted(1, 1, -1, -1);
  if (!enabled) {
    painter->fillRect(inside, face);
    rounded_outline(painter, r, darkened(face, 32), behind);
    return;
  }
  QLinearGradient shade(inside.topLeft(), inside.bottomLeft());
  if (pressed) {
    shade.setColorAt(0, darkened(colours_.face_bottom, 5));
    shade.setColorAt(1, QColor(242, 241, 238));
  } else {
    shade.setColorAt(0, QColor(255, 255, 255));
    shade.setColorAt(0.75, mixed(QColor(255, 255, 255), colours_.face_bottom, 0.45));
    shade.setColorAt(1, colours_.face_bottom);
  }
  painter->fillRect(inside, shade);
  rounded_outline(painter, r, colours_.button_border, behind);
  if (pressed) return;
  if (hot)
    inner_rim(painter, r, colours_.hot_light, colours_.hot_dark);
  else if (option->state & State_HasFocus)
    inner_rim(painter, r, colours_.focus_light, colours_.focus_dark);
}

void FlatStyle::draw_check_indicator(const QStyleOption* option, QPainter* painter) const {
  const QRect r = option->rect;
  const bool enabled = option->state & State_Enabled;
  const bool hot = enabled && (option->state & State_MouseOver);
  const bool pressed = enabled && (option->state & State_Sunken);
  const QColor face = button_face(option->palette);
  const QRect inside = r.adjusted(1, 1, -1, -1);
  if (!enabled) {
    painter->fillRect(inside, window_colour(option->palette));
  } else {
    QLinearGradient fill(inside.topLeft(), inside.bottomRight());
    fill.setColorAt(0, pressed ? QColor(176, 176, 167) : QColor(220, 220, 215));
    fill.setColorAt(1, pressed ? QColor(227, 226, 219) : QColor(255, 255, 255));
    painter->fillRect(inside, fill);
    if (hot && !pressed) {
      outline(painter, inside, QColor(255, 240, 207));
      outline(painter, inside.adjusted(1, 1, -1, -1), QColor(248, 179, 48));
    }
  }
  outline(painter, r, enabled ? colours_.check_border : darkened(face, 32));
  const QColor mark = enabled ? colours_.glyph : darkened(face, 64);
  if (option->state & State_NoChange) {
    painter->fillRect(r.adjusted(3, 3, -3, -3), mark);
  } else if (option->state & State_On) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    QPen pen(mark, std::max(1.5, r.width() / 6.5));
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter->setPen(pen);
    const QRectF box = QRectF(r).adjusted(3.5, 3.5, -3.5, -3.5);
    const QPointF tick[] = {{box.left(), box.top() + box.height() * 0.45},
                            {box.left() + box.width() * 0.38, box.bottom() - box.height() * 0.1},
                            {box.right(), box.top() + box.height() * 0.05}};
    painter->drawPolyline(tick, 3);
    painter->restore();
  }
}

void FlatStyle::draw_radio_indicator(const QStyleOption* option, QPainter* painter) const {
  const QRectF r = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
  const bool enabled = option->state & State_Enabled;
  const bool hot = enabled && (option->state & State_MouseOver);
  const bool pressed = enabled && (option->state & State_Sunken);
  const QColor face = button_face(option->palette);
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, true);
  QLinearGradient fill(r.topLeft(), r.bottomRight());
  if (enabled) {
    fill.setColorAt(0, pressed ? QColor(176, 176, 167) : QColor(220, 220, 215));
    fill.setColorAt(1, pressed ? QColor(227, 226, 219) : QColor(255, 255, 255));
  } else {
    fill.setColorAt(0, window_colour(option->palette));
    fill.setColorAt(1, window_colour(option->palette));
  }
  painter->setPen(QPen(enabled ? colours_.check_border : darkened(face, 32), 1));
  painter->setBrush(fill);
  painter->drawEllipse(r);
  if (hot && !pressed) {
    painter->setPen(QPen(QColor(248, 179, 48), 1.5));
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(r.adjusted(1.5, 1.5, -1.5, -1.5));
  }
  if (option->state & State_On) {
    const QColor dot = enabled ? colours_.glyph : darkened(face, 64);
    QRadialGradient shine(r.center() - QPointF(1, 1), r.width() / 3.5);
    shine.setColorAt(0, dot.lighter(160));
    shine.setColorAt(1, dot);
    painter->setPen(Qt::NoPen);
    painter->setBrush(shine);
    const double d = r.width() * 0.2 + 1.5;
    painter->drawEllipse(r.adjusted(d, d, -d, -d));
  }
  painter->restore();
}

void FlatStyle::draw_arrow_button(const QRect& rect, const QStyleOption* option, bool up,
                                  bool enabled, bool pressed, bool hot, QPainter* painter) const {
  if (rect.width() < 3 || rect.height() < 3) return;
  const QColor face = button_face(option->palette);
  const QColor white(255, 255, 255);
  const QRect inside = rect.adjusted(1, 1, -1, -1);
  if (enabled) {
    QLinearGradient shade(inside.topLeft(), inside.bottomLeft());
    const double tint = pressed ? 0.85 : hot ? 0.25 : 0.45;
    shade.setColorAt(0, mixed(white, colours_.frame, tint * 0.6));
    shade.setColorAt(1, mixed(white, colours_.frame, tint));
    painter->fillRect(inside, shade);
    rounded_outline(painter, rect, mixed(white, colours_.frame, 0.75).darker(115),
                    window_colour(option->palette));
  } else {
    painter->fillRect(inside, face);
    rounded_outline(painter, rect, darkened(face, 32), face);
  }
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, true);
  painter->setPen(Qt::NoPen);
  painter->setBrush(enabled ? colours_.arrow : darkened(face, 64));
  const QPointF c = QRectF(inside).center();
  const double half = std::clamp(std::min(inside.width(), inside.height()) / 4.0, 1.5, 4.0);
  const double dir = up ? -1 : 1;
  const QPointF arrow[] = {{c.x() - half, c.y() - dir * half / 2},
                           {c.x() + half, c.y() - dir * half / 2},
                           {c.x(), c.y() + dir * half / 2 + dir * 0.5}};
  painter->drawPolygon(arrow, 3);
  painter->restore();
}

void FlatStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const {
  switch (element) {
    case PE_PanelLineEdit:
      if (auto frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
          frame && frame->lineWidth > 0 && is_line_edit(widget)) {
        painter->fillRect(option->rect.adjusted(2, 2, -2, -2), option->palette.base());
        draw_edit_frame(option, painter, option->state & State_ReadOnly);
        return;
      }
      break;
    case PE_FrameLineEdit:
      if (is_line_edit(widget))
        return draw_edit_frame(option, painter, option->state & State_ReadOnly);
      break;
    case PE_PanelButtonCommand:
      if (is_push_button(widget)) return draw_button_face(option, painter);
      break;
    case PE_IndicatorCheckBox:
      if (is_check_owner(widget)) return draw_check_indicator(option, painter);
      break;
    case PE_IndicatorRadioButton:
      if (qobject_cast<const QRadioButton*>(widget)) return draw_radio_indicator(option, painter);
      break;
    case PE_FrameGroupBox:
      if (qobject_cast<const QGroupBox*>(widget)) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(QPen(colours_.frame, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        painter->restore();
        return;
      }
      break;
    default:
      break;
  }
  QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void FlatStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
  if (element == CE_ShapedFrame && is_text_edit(widget)) {
    if (auto frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
        frame && frame->frameShape != QFrame::NoFrame) {
      return draw_edit_frame(option, painter, text_edit_read_only(widget));
    }
  }
  QProxyStyle::drawControl(element, option, painter, widget);
}

void FlatStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   QPainter* painter, const QWidget* widget) const {
  const bool enabled = option->state & State_Enabled;
  const bool sunken = option->state & State_Sunken;
  auto hot_on = [&](SubControl part) {
    return enabled && (option->state & State_MouseOver) && (option->activeSubControls & part);
  };
  auto pressed_on = [&](SubControl part) { return sunken && (option->activeSubControls & part); };

  if (control == CC_ComboBox && qobject_cast<const QComboBox*>(widget)) {
    if (auto combo = qstyleoption_cast<const QStyleOptionComboBox*>(option)) {
      const QRect field = combo->frame ? option->rect.adjusted(2, 2, -2, -2) : option->rect;
      painter->fillRect(field, enabled ? option->palette.base() : option->palette.button());
      if (combo->frame) draw_edit_frame(option, painter, false);
      if (combo->subControls & SC_ComboBoxArrow) {
        const QRect arrow =
            subControlRect(CC_ComboBox, combo, SC_ComboBoxArrow, widget).intersected(field);
        draw_arrow_button(arrow, option, false, enabled, pressed_on(SC_ComboBoxArrow),
                          enabled && (option->state & State_MouseOver), painter);
      }
      return;
    }
  }
  if (control == CC_SpinBox && qobject_cast<const QAbstractSpinBox*>(widget)) {
    if (auto spin = qstyleoption_cast<const QStyleOptionSpinBox*>(option)) {
      const QRect field = spin->frame ? option->rect.adjusted(2, 2, -2, -2) : option->rect;
      painter->fillRect(field, enabled ? option->palette.base() : option->palette.button());
      if (spin->frame) draw_edit_frame(option, painter, false);
      if (spin->buttonSymbols != QAbstractSpinBox::NoButtons) {
        const bool up_enabled = enabled && (spin->stepEnabled & QAbstractSpinBox::StepUpEnabled);
        const bool down_enabled =
            enabled && (spin->stepEnabled & QAbstractSpinBox::StepDownEnabled);
        draw_arrow_button(subControlRect(CC_SpinBox, spin, SC_SpinBoxUp, widget).intersected(field),
                          option, true, up_enabled, pressed_on(SC_SpinBoxUp), hot_on(SC_SpinBoxUp),
                          painter);
        draw_arrow_button(
            subControlRect(CC_SpinBox, spin, SC_SpinBoxDown, widget).intersected(field), option,
            false, down_enabled, pressed_on(SC_SpinBoxDown), hot_on(SC_SpinBoxDown), painter);
      }
      return;
    }
  }
  if (control == CC_GroupBox && qobject_cast<const QGroupBox*>(widget)) {
    if (auto group = qstyleoption_cast<const QStyleOptionGroupBox*>(option)) {
      QStyleOptionGroupBox titled = *group;
      if (enabled) {
        // Some base styles take the title colour from the option, others from the palette.
        titled.textColor = colours_.title;
        titled.palette.setColor(QPalette::WindowText, colours_.title);
      }
      return QProxyStyle::drawComplexControl(control, &titled, painter, widget);
    }
  }
  QProxyStyle::drawComplexControl(control, option, painter, widget);
}

int FlatStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const {
  switch (metric) {
    case PM_DefaultFrameWidth:
      if (is_line_edit(widget) || is_text_edit(widget)) return 2;
      break;
    case PM_ButtonShiftHorizontal:
    case PM_ButtonShiftVertical:
      if (is_push_button(widget)) return 0;
      break;
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
      if (is_check_owner(widget)) return 13;
      break;
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
      if (qobject_cast<const QRadioButton*>(widget)) return 13;
      break;
    default:
      break;
  }
  return QProxyStyle::pixelMetric(metric, option, widget);
}

void FlatStyle::polish(QWidget* widget) {
  QProxyStyle::polish(widget);
  // Hot faces need hover events.
  if (is_hover_tracked(widget)) widget->setAttribute(Qt::WA_Hover, true);
}

}  // namespace velmora::ui
