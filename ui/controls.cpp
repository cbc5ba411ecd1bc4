#include "ui/controls.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "text/codepage.h"

namespace velmora::ui {

namespace {

std::string_view up_to_zero(std::string_view bytes) {
  return bytes.substr(0, bytes.find('\0'));
}

// Rows one check box and a text, two pixels taller than the style would make them, and a way
// for the list to find the check box of a row as the delegate itself would place it.
class CheckRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(size.height() + 2);
    return size;
  }

  QRect check_box_rect(const QStyleOptionViewItem& view_option, const QModelIndex& index,
                       const QWidget* widget) const {
    QStyleOptionViewItem option(view_option);
    initStyleOption(&option, index);
    if (!(option.features & QStyleOptionViewItem::HasCheckIndicator)) return {};
    const QStyle* style = widget ? widget->style() : nullptr;
    if (!style) return {};
    return style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, widget);
  }
};

}  // namespace

QString to_qstring(std::string_view ansi) {
  const std::u16string unicode = text::ansi_to_unicode(up_to_zero(ansi));
  return QString::fromUtf16(unicode.data(), static_cast<qsizetype>(unicode.size()));
}

text::Text from_qstring(const QString& unicode) {
  text::Text ansi =
      text::unicode_to_ansi(std::u16string_view(reinterpret_cast<const char16_t*>(unicode.utf16()),
                                                static_cast<std::size_t>(unicode.size())));
  ansi.resize(up_to_zero(ansi).size());
  return ansi;
}

// ---------------------------------------------------------------------------------------------

Button::Button(QWidget* parent, std::string_view caption) : QPushButton(parent) {
  setText(to_qstring(caption));
  setAutoDefault(false);
  setDefault(false);
  setFocusPolicy(Qt::StrongFocus);
}

// ---------------------------------------------------------------------------------------------

EditBox::EditBox(QWidget* parent, Lines lines) : QWidget(parent), lines_(lines) {
  auto* layout = new QVBoxLayout(this);  // owned by this widget
  layout->setContentsMargins(0, 0, 0, 0);
  QWidget* editor = nullptr;
  if (lines_ == Lines::single) {
    line_ = new QLineEdit(this);
    line_->setMaxLength(std::numeric_limits<int>::max());  // Qt's default would cut at 32767
    line_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    line_->setFrame(true);
    editor = line_;
  } else {
    multi_ = new QPlainTextEdit(this);
    multi_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Long links have no blank to wrap at; with no sideways scroll bar they must break anywhere.
    multi_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    multi_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    multi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    multi_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    multi_->setTabChangesFocus(true);  // Tab moves among the tab stops, as everywhere else
    editor = multi_;
  }
  QPalette colours = editor->palette();
  colours.setColor(QPalette::Base, Qt::white);
  colours.setColor(QPalette::Text, Qt::black);
  editor->setPalette(colours);
  editor->setFocusPolicy(Qt::StrongFocus);
  layout->addWidget(editor);
  setFocusProxy(editor);
  setFocusPolicy(Qt::StrongFocus);
}

QWidget* EditBox::editor() const {
  if (line_) return line_;
  return multi_;
}

text::Text EditBox::get_text() const {
  if (line_) return from_qstring(line_->text());
  // The raw text keeps every character as typed; paragraphs are the box's line breaks.
  QString content = multi_->document()->toRawText();
  content.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
  return from_qstring(content);
}

void EditBox::set_text(std::string_view text) {
  const QString content = to_qstring(text);
  if (line_) {
    line_->setText(content);
    line_->setCursorPosition(0);
  } else {
    multi_->setPlainText(content);
  }
}

void EditBox::append_to_box(std::string_view text) {
  const QString addition = to_qstring(text);
  if (line_) {
    // Setting the whole text drops the undo history, so the addition cannot be undone.
    line_->setText(line_->text() + addition);
    line_->end(false);
    return;
  }
  multi_->moveCursor(QTextCursor::End);
  multi_->ensureCursorVisible();
  QTextDocument* document = multi_->document();
  document->setUndoRedoEnabled(false);
  multi_->insertPlainText(addition);
  document->setUndoRedoEnabled(true);
  multi_->ensureCursorVisible();
}

// ---------------------------------------------------------------------------------------------

ChkListBox::ChkListBox(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new CheckRowDelegate(this));  // owned by the list
  setSortingEnabled(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(false);
  setFocusPolicy(Qt::StrongFocus);
}

std::int32_t ChkListBox::row_count() const {
  return static_cast<std::int32_t>(count());
}

text::Text ChkListBox::row_text(std::int32_t row) const {
  const QListWidgetItem* row_item = (row >= 0 && row < count()) ? item(row) : nullptr;
  return row_item ? from_qstring(row_item->text()) : text::Text();
}

std::int32_t ChkListBox::add_row(std::string_view text) {
  if (count() >= std::numeric_limits<std::int32_t>::max()) return -1;
  auto row_item = std::make_unique<QListWidgetItem>(to_qstring(text));
  row_item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  row_item->setCheckState(Qt::Unchecked);
  addItem(row_item.release());  // the list owns its rows
  return row_count() - 1;
}

bool ChkListBox::row_checked(std::int32_t row) const {
  const QListWidgetItem* row_item = (row >= 0 && row < count()) ? item(row) : nullptr;
  return row_item && row_item->checkState() == Qt::Checked;
}

bool ChkListBox::set_row_check(std::int32_t row, bool flag) {
  QListWidgetItem* row_item = (row >= 0 && row < count()) ? item(row) : nullptr;
  if (!row_item) return false;
  row_item->setCheckState(flag ? Qt::Checked : Qt::Unchecked);
  return true;
}

QRect ChkListBox::check_box_rect(std::int32_t row) const {
  if (row < 0 || row >= count()) return {};
  const QModelIndex index = model()->index(row, 0);
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualRect(index);
  const auto* delegate = static_cast<const CheckRowDelegate*>(itemDelegate());
  return delegate->check_box_rect(option, index, this);
}

int ChkListBox::check_box_row_at(QPoint point) const {
  const QModelIndex index = indexAt(point);
  if (!index.isValid()) return -1;
  return check_box_rect(index.row()).contains(point) ? index.row() : -1;
}

void ChkListBox::toggle_row(int row) {
  set_row_check(row, !row_checked(row));
}

// Qt toggles a check box on release and leaves the current row alone; the list this models
// toggles on the press and makes the row current, and toggles again on a double click.
void ChkListBox::mousePressEvent(QMouseEvent* event) {
  const int row =
      event->button() == Qt::LeftButton ? check_box_row_at(event->position().toPoint()) : -1;
  if (row < 0) {
    pressed_check_row_ = -1;
    QListWidget::mousePressEvent(event);
    return;
  }
  setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
  toggle_row(row);
  pressed_check_row_ = row;
  event->accept();
}

void ChkListBox::mouseReleaseEvent(QMouseEvent* event) {
  if (pressed_check_row_ >= 0 && event->button() == Qt::LeftButton) {
    pressed_check_row_ = -1;  // the press already toggled; the delegate must not toggle again
    event->accept();
    return;
  }
  QListWidget::mouseReleaseEvent(event);
}

void ChkListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  const int row =
      event->button() == Qt::LeftButton ? check_box_row_at(event->position().toPoint()) : -1;
  if (row < 0) {
    QListWidget::mouseDoubleClickEvent(event);
    return;
  }
  // Qt delivers the second press of a double click before the double click itself; where it did,
  // that press has toggled already.
  if (pressed_check_row_ != row) {
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    toggle_row(row);
    pressed_check_row_ = row;
  }
  event->accept();
}

// ---------------------------------------------------------------------------------------------

ProcessBar::ProcessBar(QWidget* parent) : QProgressBar(parent) {
  setOrientation(Qt::Horizontal);
  setTextVisible(false);
  setFocusPolicy(Qt::NoFocus);
  draw_range_and_position();
}

void ProcessBar::set_progress_maximum(std::int32_t n) {
  maximum_ = std::clamp(n, lowest, highest);
  draw_range_and_position();
}

void ProcessBar::set_progress_position(std::int32_t n) {
  position_ = std::clamp(n, lowest, highest);
  draw_range_and_position();
}

void ProcessBar::draw_range_and_position() {
  const std::int32_t low = std::min(minimum_, maximum_);
  const std::int32_t high = std::max(minimum_, maximum_);
  if (low == high) {
    // Qt draws an empty range as a busy animation; the bar this models is simply empty.
    setRange(0, 1);
    setValue(0);
    return;
  }
  setRange(low, high);
  setValue(std::clamp(position_, low, high));
}

namespace {

// Where the chunk of a horizontal bar ends at a value, as the styles place it.
int chunk_end(const QStyleOptionProgressBar& option, int value) {
  const qint64 span = qint64(option.maximum) - option.minimum;
  return static_cast<int>((qint64(value) - option.minimum) * option.rect.width() / span);
}

}  // namespace

std::optional<ProcessBar::LookKey> ProcessBar::look_key(
    const QStyleOptionProgressBar& option) const {
  const QWidget* window = parentWidget();
  if (!window || !window->autoFillBackground()) return std::nullopt;
  if (!(option.state & QStyle::State_Horizontal) || option.invertedAppearance ||
      option.direction != Qt::LeftToRight || option.textVisible ||
      option.minimum >= option.maximum || option.rect.isEmpty()) {
    return std::nullopt;
  }
  const qreal pixel_ratio = devicePixelRatioF();
  if (pixel_ratio != std::floor(pixel_ratio)) return std::nullopt;
  const QBrush& background = window->palette().brush(window->backgroundRole());
  if (background.style() != Qt::SolidPattern || background.color().alpha() != 255) {
    return std::nullopt;
  }
  // The picture holds the window's background only; a control beneath would not show.
  for (const QObject* child : window->children()) {
    if (child == this) break;  // children are in stacking order, bottom first
    const auto* sibling = qobject_cast<const QWidget*>(child);
    if (sibling && !sibling->isWindow() && sibling->isVisible() &&
        sibling->geometry().intersects(geometry())) {
      return std::nullopt;
    }
  }
  return LookKey{option.rect.size(), pixel_ratio,    style(),        palette().cacheKey(),
                 int(option.state),  option.minimum, option.maximum, background.color().rgba()};
}

QImage ProcessBar::draw_columns(const QStyleOptionProgressBar& option, int left, int right) const {
  const int width = option.rect.width();
  const int height = option.rect.height();
  left = std::clamp(left, 0, width);
  right = std::clamp(right, left, width);
  // The style sets clip rectangles of its own, so columns are drawn onto a strip of their own
  // rather than through a clip. The strip reaches a few pixels further either side, where the
  // ends of lines cut at its edges may be drawn differently.
  constexpr int strip_pad = 8;
  const int strip_left = std::max(left - strip_pad, 0);
  const int strip_right = std::min(right + strip_pad, width);
  const auto ratio = static_cast<int>(look_.devicePixelRatio());
  QImage strip((strip_right - strip_left) * ratio, height * ratio, look_.format());
  strip.setDevicePixelRatio(ratio);
  strip.fill(look_key_->background);
  {
    QPainter painter(&strip);
    painter.translate(-strip_left, 0);
    style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
  }
  return strip.copy((left - strip_left) * ratio, 0, (right - left) * ratio, height * ratio);
}

void ProcessBar::put_columns(const QImage& columns, int left) {
  QPainter painter(&look_);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(QPoint(std::max(left, 0), 0), columns);
}

void ProcessBar::update_look(const QStyleOptionProgressBar& option, const LookKey& key) {
  const int value = option.progress;
  if (look_key_ == key && value == look_value_) return;
  const int width = option.rect.width();
  if (look_key_ != key || value == option.minimum || value == option.maximum ||
      look_value_ == option.minimum || look_value_ == option.maximum) {
    if (look_key_ != key) {
      look_ = QImage(option.rect.size() * key.pixel_ratio, QImage::Format_ARGB32_Premultiplied);
      look_.setDevicePixelRatio(key.pixel_ratio);
      look_key_ = key;
      end_tiles_.assign(static_cast<std::size_t>(width) + 1, QImage());
    }
    put_columns(draw_columns(option, 0, width), 0);
    look_value_ = value;
    return;
  }
  // A position between the ends changes the bar only around the chunk's end, which the styles
  // round off within the bar's height, and not at all while the end stays on its pixel.
  const int margin = option.rect.height();
  const int old_end = chunk_end(option, look_value_);
  const int new_end = chunk_end(option, value);
  look_value_ = value;
  if (old_end == new_end) return;
  if (std::abs(new_end - old_end) > margin) {
    const int left = std::min(old_end, new_end) - margin;
    put_columns(draw_columns(option, left, std::max(old_end, new_end) + margin + 1), left);
    return;
  }
  // A short move, as a harvest makes on every page: the columns around the new end, twice the
  // margin either side, cover those around the old one. They are kept for each end, since the
  // analysis moves the chunk over the same ends as the listing before it.
  QImage& tile = end_tiles_[static_cast<std::size_t>(new_end)];
  const int left = new_end - 2 * margin;
  if (tile.isNull()) tile = draw_columns(option, left, new_end + 2 * margin + 1);
  put_columns(tile, left);
}

void ProcessBar::paintEvent(QPaintEvent* event) {
  QStyleOptionProgressBar option;
  initStyleOption(&option);
  const std::optional<LookKey> key = look_key(option);
  if (!key) {
    look_key_.reset();
    QProgressBar::paintEvent(event);
    return;
  }
  update_look(option, *key);
  {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), look_);
  }
  // QProgressBar redraws itself on a new value at the ends and once the chunk has moved a step
  // (the style's chunk width) from where its own paint event last drew it. That event takes
  // note of the value, here drawing nothing, often enough that the bar never lags more.
  if (option.progress == recorded_value_) return;
  const qint64 steps = qint64(option.maximum) - option.minimum;
  const qint64 chunk = style()->pixelMetric(QStyle::PM_ProgressBarChunkWidth, &option, this);
  const qint64 moved = std::abs(qint64(option.progress) - recorded_value_) * option.rect.width();
  const bool at_end = option.progress == option.minimum || option.progress == option.maximum;
  if (at_end || 2 * moved >= chunk * steps) {
    recording_paint_ = true;
    QProgressBar::paintEvent(event);
    recording_paint_ = false;
    recorded_value_ = option.progress;
  }
}

void ProcessBar::initStyleOption(QStyleOptionProgressBar* option) const {
  QProgressBar::initStyleOption(option);
  if (recording_paint_) option->rect = QRect(-64, -64, 1, 1);  // a speck off the bar
}

void ProcessBar::changeEvent(QEvent* event) {
  look_key_.reset();  // a new style, palette, state or direction: drawn whole next time
  QProgressBar::changeEvent(event);
}

void ProcessBar::resizeEvent(QResizeEvent* event) {
  look_key_.reset();
  QProgressBar::resizeEvent(event);
}

// ---------------------------------------------------------------------------------------------

TransLabel::TransLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);  // a status text is never markup
  setWordWrap(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setAutoFillBackground(false);  // the window and the controls beneath show through
  setMargin(0);
  setIndent(0);
  setFocusPolicy(Qt::NoFocus);
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, Qt::black);
  setPalette(colours);
}

text::Text TransLabel::get_text() const {
  return from_qstring(text());
}

void TransLabel::set_text(std::string_view text) {
  setText(to_qstring(text));
  QWidget* window = parentWidget();
  if (!window || !isVisible()) return;
  // Drawn now, not when the event loop next runs: a harvest holds the loop for its whole run.
  // Repainting the window's part under the label paints, in one pass and bottom first, the
  // window's background there, every control beneath the label (the progress bar under the
  // counter line) and the label with its new text.
  window->repaint(geometry());
}

}  // namespace velmora::ui
