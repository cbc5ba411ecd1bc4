// The tip component: hover tips for controls, shown in a pop-up window of the component's own.
//
// A tip pops up when the pointer rests over its control (Qt's tool-tip wake-up: the window must
// be active and the event loop running) or over the control's rectangle it was attached to, and
// disappears when the pointer leaves that area or when a mouse button, the wheel or a key is
// pressed. The pop-up never takes the focus.
#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QLabel;

namespace velmora::ui {

class Q_tip : public QObject {
  Q_OBJECT
 public:
  // The body text style the component is created with: 9-point black 宋体, Verdana where 宋体 is
  // missing.
  static const QString default_style_sheet;

  explicit Q_tip(QObject* parent = nullptr);
  ~Q_tip() override;

  // Gives the control a tip: for the whole control without an area, else for that rectangle in
  // the control's own coordinates. A tip for the same control and area is replaced; tips for other
  // areas stay. Icon numbers below 0 show no icon, others that icon of the image list (none where
  // the list has no such icon). False, and nothing attached, for a null control.
  bool attach(QWidget* control, const QString& text, int icon_number,
              std::optional<QRect> area = std::nullopt);

  void set_image_list(QList<QIcon> icons) { image_list_ = std::move(icons); }
  const QList<QIcon>& image_list() const noexcept { return image_list_; }

  void set_style_sheet(const QString& sheet);
  const QString& style_sheet() const noexcept { return style_sheet_; }

  // How many tips the control has.
  int tip_count(const QWidget* control) const;

  // The pop-up as it stands: whether it is up, and its text and icon number.
  bool is_showing() const;
  QString shown_text() const;
  int shown_icon() const;
  // The pop-up window (created on first use) and the label that holds the text.
  QWidget* popup_window();
  QLabel* text_label();

  void hide_tip();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Tip {
    const QObject* control_key;  // identity only, for erasing when the control dies
    QPointer<QWidget> control;
    std::optional<QRect> area;
    QString text;
    int icon_number;
  };

  void ensure_popup();
  const Tip* tip_at(const QWidget* control, QPoint pos) const;
  void show_tip(const Tip& tip, QPoint global_pos);
  bool pointer_in_shown_area(QPoint global_pos) const;
  void forget_control(const QObject* control);

  std::vector<Tip> tips_;
  QList<QIcon> image_list_;
  QString style_sheet_;
  std::unique_ptr<QWidget> popup_;
  QLabel* icon_label_ = nullptr;  // owned by popup_
  QLabel* text_label_ = nullptr;  // owned by popup_
  // What is shown: the control and the area it was shown for.
  QPointer<QWidget> shown_control_;
  std::optional<QRect> shown_area_;
  int shown_icon_ = -1;
  bool watching_application_ = false;
};

// The program's form: the text arrives as code-page bytes, and the area is used only when all four
// of left, top, width and height are given. False for a null control.
bool attach_tip(Q_tip& tip, QWidget* control, std::string_view text, std::int32_t icon_number,
                std::optional<std::int32_t> left = std::nullopt,
                std::optional<std::int32_t> top = std::nullopt,
                std::optional<std::int32_t> width = std::nullopt,
                std::optional<std::int32_t> height = std::nullopt);

}  // namespace velmora::ui
