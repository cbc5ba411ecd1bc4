// The program's flat, XP-like look: a proxy over the platform style that draws push buttons,
// check boxes, radio buttons, group boxes, edit boxes, combo boxes and up-down controls in one of
// three colour schemes and leaves everything else (list boxes, progress bars, labels, scroll
// bars, item views) to the style beneath.
#pragma once

#include <QColor>
#include <QProxyStyle>
#include <QString>
#include <cstdint>

namespace velmora::ui {

// Switches the program-wide look. For n = 1, 2 or 3 any look already on is switched off and the
// flat look with colour scheme n is switched on for every widget that exists and every widget
// created later; true. For any other n the look is switched off: true when a look was on, false
// when none was. Needs a QApplication.
bool apply_visual_style(std::int32_t n);

// The scheme of the look that is on, 0 when it is off.
std::int32_t visual_style_scheme();

// The colours a scheme draws with. `frame` is the outer frame of edit boxes and combo boxes.
struct FlatScheme {
  QColor frame;
  QColor button_border;
  QColor face_bottom;  // push-button faces shade from white down to this
  QColor check_border;
  QColor hot_light;  // inner rim of a hot control, top
  QColor hot_dark;   // inner rim of a hot control, bottom
  QColor focus_light;
  QColor focus_dark;
  QColor glyph;  // check marks and radio dots
  QColor arrow;  // arrows of combo and up-down buttons
  QColor title;  // group box titles
};

// Schemes 1, 2 and 3; any other number gives scheme 3.
const FlatScheme& flat_scheme(std::int32_t n);

// A colour darker by `amount` in each of red, green and blue, stopping at 0.
QColor darkened(const QColor& colour, int amount);

class FlatStyle : public QProxyStyle {
  Q_OBJECT
 public:
  // Draws over the style named base_style_key (the platform's when empty).
  explicit FlatStyle(std::int32_t scheme, const QString& base_style_key = {});

  std::int32_t scheme() const noexcept { return scheme_; }

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget = nullptr) const override;
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;
  void polish(QWidget* widget) override;
  using QProxyStyle::polish;

 private:
  void draw_edit_frame(const QStyleOption* option, QPainter* painter, bool read_only) const;
  void draw_button_face(const QStyleOption* option, QPainter* painter) const;
  void draw_check_indicator(const QStyleOption* option, QPainter* painter) const;
  void draw_radio_indicator(const QStyleOption* option, QPainter* painter) const;
  void draw_arrow_button(const QRect& rect, const QStyleOption* option, bool up, bool enabled,
                         bool pressed, bool hot, QPainter* painter) const;

  std::int32_t scheme_;
  const FlatScheme& colours_;
};

}  // namespace velmora::ui
