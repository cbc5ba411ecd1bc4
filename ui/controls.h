// The window's controls: Qt widgets behind the operations the commands use. Texts cross these
// operations as code page 936 bytes; rows of a check list box are numbered from 0.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <cstdint>
#include <string_view>

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

 private:
  void draw_range_and_position();

  std::int32_t minimum_ = 0;
  std::int32_t maximum_ = 100;
  std::int32_t position_ = 0;
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
