#include "ui/tip.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "text/codepage.h"

namespace velmora::ui {
namespace {

// The pop-up: a pale panel with a thin dark rim, the icon on the left of the text.
class TipPopup : public QWidget {
 public:
  TipPopup() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 255, 225));
    painter.setPen(QColor(118, 118, 118));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
};

constexpr QPoint pointer_offset(2, 21);  // below the pointer's arrow, as system tips sit

}  // namespace

const QString Q_tip::default_style_sheet = QStringLiteral(
    "QLabel { font-size: 9pt; font-family: \"\u5b8b\u4f53\", Verdana; color: black; }");

Q_tip::Q_tip(QObject* parent) : QObject(parent), style_sheet_(default_style_sheet) {}

Q_tip::~Q_tip() {
  if (watching_application_ && qApp) qApp->removeEventFilter(this);
}

bool Q_tip::attach(QWidget* control, const QString& text, int icon_number,
                   std::optional<QRect> area) {
  if (!control) return false;
  const bool known = std::any_of(tips_.begin(), tips_.end(),
                                 [&](const Tip& tip) { return tip.control_key == control; });
  if (!known) {
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, [this](QObject* gone) { forget_control(gone); });
  }
  auto same = std::find_if(tips_.begin(), tips_.end(), [&](const Tip& tip) {
    return tip.control_key == control && tip.area == area;
  });
  Tip tip{control, control, area, text, icon_number < 0 ? -1 : icon_number};
  if (same != tips_.end()) {
    if (shown_control_ == control && shown_area_ == area) hide_tip();
    *same = std::move(tip);
  } else {
    tips_.push_back(std::move(tip));
  }
  return true;
}

void Q_tip::set_style_sheet(const QString& sheet) {
  style_sheet_ = sheet;
  if (text_label_) text_label_->setStyleSheet(style_sheet_);
}

int Q_tip::tip_count(const QWidget* control) const {
  return static_cast<int>(std::count_if(
      tips_.begin(), tips_.end(), [&](const Tip& tip) { return tip.control_key == control; }));
}

bool Q_tip::is_showing() const {
  return popup_ && popup_->isVisible();
}

QString Q_tip::shown_text() const {
  return is_showing() ? text_label_->text() : QString();
}

int Q_tip::shown_icon() const {
  return is_showing() ? shown_icon_ : -1;
}

QWidget* Q_tip::popup_window() {
  ensure_popup();
  return popup_.get();
}

QLabel* Q_tip::text_label() {
  ensure_popup();
  return text_label_;
}

void Q_tip::ensure_popup() {
  if (popup_) return;
  popup_ = std::make_unique<TipPopup>();
  auto* layout = new QHBoxLayout(popup_.get());  // owned by the pop-up, like the labels
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setSpacing(6);
  icon_label_ = new QLabel(popup_.get());
  text_label_ = new QLabel(popup_.get());
  text_label_->setTextFormat(Qt::PlainText);
  text_label_->setStyleSheet(style_sheet_);
  layout->addWidget(icon_label_);
  layout->addWidget(text_label_);
}

const Q_tip::Tip* Q_tip::tip_at(const QWidget* control, QPoint pos) const {
  const Tip* whole = nullptr;
  for (const Tip& tip : tips_) {
    if (tip.control_key != control) continue;
    if (!tip.area) {
      whole = &tip;
    } else if (tip.area->contains(pos)) {
      return &tip;  // a rectangle is more particular than the whole control
    }
  }
  return whole;
}

void Q_tip::show_tip(const Tip& tip, QPoint global_pos) {
  if (tip.text.isEmpty()) return hide_tip();
  ensure_popup();
  const bool same = is_showing() && shown_control_ == tip.control && shown_area_ == tip.area;
  shown_control_ = tip.control;
  shown_area_ = tip.area;
  if (same) return;  // stays where it popped up while the pointer moves within its area

  const bool has_icon = tip.icon_number >= 0 && tip.icon_number < image_list_.size();
  shown_icon_ = has_icon ? tip.icon_number : -1;
  icon_label_->setVisible(has_icon);
  if (has_icon) icon_label_->setPixmap(image_list_.at(tip.icon_number).pixmap(16, 16));
  text_label_->setText(tip.text);
  popup_->adjustSize();

  QPoint place = global_pos + pointer_offset;
  if (QScreen* screen = QGuiApplication::screenAt(global_pos)) {
    const QRect room = screen->availableGeometry();
    const QSize size = popup_->size();
    if (place.x() + size.width() > room.right()) place.setX(room.right() - size.width());
    if (place.y() + size.height() > room.bottom()) place.setY(global_pos.y() - size.height() - 4);
    place.setX(std::max(place.x(), room.left()));
    place.setY(std::max(place.y(), room.top()));
  }
  popup_->move(place);
  popup_->show();
  if (!watching_application_) {
    qApp->installEventFilter(this);
    watching_application_ = true;
  }
}

void Q_tip::hide_tip() {
  if (popup_) popup_->hide();
  shown_control_.clear();
  shown_area_.reset();
  shown_icon_ = -1;
  if (watching_application_) {
    qApp->removeEventFilter(this);
    watching_application_ = false;
  }
}

bool Q_tip::pointer_in_shown_area(QPoint global_pos) const {
  if (!shown_control_ || !shown_control_->isVisible()) return false;
  const QPoint local = shown_control_->mapFromGlobal(global_pos);
  return shown_control_->rect().contains(local) && (!shown_area_ || shown_area_->contains(local));
}

void Q_tip::forget_control(const QObject* control) {
  tips_.erase(std::remove_if(tips_.begin(), tips_.end(),
                             [&](const Tip& tip) { return tip.control_key == control; }),
              tips_.end());
  // A widget announces its end while its pointers are still set; a plain object after.
  if (!shown_control_ || shown_control_.data() == control) hide_tip();
}

bool Q_tip::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip:
      if (auto* control = qobject_cast<QWidget*>(watched); control && tip_count(control) > 0) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const Tip* tip = tip_at(control, help->pos())) {
          show_tip(*tip, help->globalPos());
          return true;
        }
        if (shown_control_ == control) hide_tip();
      }
      break;
    // Whatever the user presses ends the tip.
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
      if (is_showing()) hide_tip();
      break;
    case QEvent::MouseMove:
      if (is_showing() &&
          !pointer_in_shown_area(static_cast<QMouseEvent*>(event)->globalPosition().toPoint()))
        hide_tip();
      break;
    case QEvent::Leave:
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
      if (is_showing() && watched == shown_control_) hide_tip();
      break;
    case QEvent::ApplicationDeactivate:
      if (is_showing()) hide_tip();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

bool attach_tip(Q_tip& tip, QWidget* control, std::string_view text, std::int32_t icon_number,
                std::optional<std::int32_t> left, std::optional<std::int32_t> top,
                std::optional<std::int32_t> width, std::optional<std::int32_t> height) {
  std::optional<QRect> area;
  if (left && top && width && height) area = QRect(*left, *top, *width, *height);
  return tip.attach(control, QString::fromStdU16String(text::ansi_to_unicode(text)), icon_number,
                    area);
}

}  // namespace velmora::ui
