// The window's controls: Qt widgets behind the operations the commands use. Texts cross these
// operations as code page 936 bytes; rows of a check list box are numbered from 0.
#pragma once

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionProgressBar>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace velmora::ui {

// Code page 936 bytes to and from Qt's strings. A text ends at its first zero byte, on both ways.
QString to_qstring(std::string_view ansi);
text::Text from_qstring(const QString& unicode);

// An ordinary push button: never a default button (Enter clicks nothing), caption centred.
class Button : public QPushButton {
  Q_OBJECT
 public:
  Button(QWidget* parent, std::string_view caption);
};

// An edit box, single-line (the address box) or multi-line (the export box). Multi-line boxes
// keep line breaks as paragraphs and give them back as CR LF, as the box they model stores them.
class EditBox : public QWidget {
  Q_OBJECT
 public:
  enum class Lines { single, multiple };
  EditBox(QWidget* parent, Lines lines);

  text::Text get_text() const;
  // Replaces the content; the caret goes to the start and the undo history is dropped.
  void set_text(std::string_view text);
  // Caret to the end, scrolled into view, then the text inserted there; not undoable.
  void append_to_box(std::string_view text);

  Lines lines() const noexcept { return lines_; }
  // The Qt editor inside: a QLineEdit or a QPlainTextEdit.
  QWidget* editor() const;
  QLineEdit* line_editor() const noexcept { return line_; }
  QPlainTextEdit* text_editor() const noexcept { return multi_; }

 private:
  Lines lines_;
  QLineEdit* line_ = nullptr;        // owned by this widget (Qt parent), single-line boxes only
  QPlainTextEdit* multi_ = nullptr;  // owned by this widget (Qt parent), multi-line boxes only
};

// A list of rows, each a check box and a text; rows are only ever appended, never sorted.
class ChkListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit ChkListBox(QWidget* parent);

  std::int32_t row_count() const;
  // Empty where the row does not exist.
  text::Text row_text(std::int32_t row) const;
  // Appends an unmarked row; its number, or -1 where the list refused it.
  std::int32_t add_row(std::string_view text);
  // False where the row does not exist.
  bool row_checked(std::int32_t row) const;
  // Sets (flag true or not given) or clears the mark; false, changing nothing, where the row does
  // not exist.
  bool set_row_check(std::int32_t row, bool flag = true);

  // Where the row's check box is drawn, in the viewport's coordinates; empty for no such row.
  QRect check_box_rect(std::int32_t row) const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // The row whose check box lies under the point (viewport coordinates), else -1.
  int check_box_row_at(QPoint point) const;
  void toggle_row(int row);

  int pressed_check_row_ = -1;  // a press on a check box, until its release
};

// A progress bar that keeps the minimum, maximum and position last stored, each limited to
// 0..32767, and draws the position limited to the range between minimum and maximum.
class ProcessBar : public QProgressBar {
  Q_OBJECT
 public:
  static constexpr std::int32_t lowest = 0;
  static constexpr std::int32_t highest = 32767;

  explicit ProcessBar(QWidget* parent);

  std::int32_t progress_minimum() const noexcept { return minimum_; }
  std::int32_t progress_maximum() const noexcept { return maximum_; }
  std::int32_t progress_position() const noexcept { return position_; }
  void set_progress_maximum(std::int32_t n);
  void set_progress_position(std::int32_t n);

 protected:
  // Drawn from a picture of the bar over the window's background: the counter line above the
  // bar redraws it on every change, and the style takes far longer to draw the whole bar than
  // to redraw the few columns around the chunk's end that a new position changes.
  void paintEvent(QPaintEvent* event) override;
  void initStyleOption(QStyleOptionProgressBar* option) const override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Everything the bar's look depends on apart from its position.
  struct LookKey {
    QSize size;
    qreal pixel_ratio = 0;
    const QStyle* style = nullptr;
    qint64 palette = 0;
    int state = 0;
    int minimum = 0;
    int maximum = 0;
    QRgb background = 0;
    bool operator==(const LookKey&) const = default;
  };

  void draw_range_and_position();
  // The key of the picture the bar can be drawn from, or nothing where it must be drawn by the
  // style directly (a vertical, inverted, right-to-left or labelled bar, an empty range, a
  // background that is not one plain colour, or a control beneath it).
  std::optional<LookKey> look_key(const QStyleOptionProgressBar& option) const;
  // Brings the picture up to the bar's state: whole where anything but the position changed
  // or the position is at an end, else only the columns around the old and the new chunk end.
  void update_look(const QStyleOptionProgressBar& option, const LookKey& key);
  // The bar as the style draws it over its background, columns [left, right) of it.
  QImage draw_columns(const QStyleOptionProgressBar& option, int left, int right) const;
  void put_columns(const QImage& columns, int left);

  std::int32_t minimum_ = 0;
  std::int32_t maximum_ = 100;
  std::int32_t position_ = 0;

  QImage look_;  // the bar as last drawn, background included
  std::optional<LookKey> look_key_;
  int look_value_ = 0;             // the position drawn into look_
  std::vector<QImage> end_tiles_;  // by chunk end: the columns around it, as drawn there
  bool recording_paint_ = false;   // QProgressBar's own paint event runs only to take note
  int recorded_value_ = -1;        // the value that event took note of last
};

// A label without a background of its own: left-aligned from the top, wrapping at its width,
// cut at its height. A new text is drawn within the call, with what lies beneath it.
class TransLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TransLabel(QWidget* parent);

  text::Text get_text() const;
  void set_text(std::string_view text);
};

}  // namespace velmora::ui
