#include "ui/main_window.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMessageBox>
#include <QScreen>
#include <exception>

#include "text/codepage.h"
#include "ui/selection.h"

namespace velmora::ui {

namespace {

// The program's own Chinese texts are code page 936 bytes at run time.
text::Text ansi(std::string_view utf8) {
  return text::utf8_to_ansi(utf8);
}

void place(QWidget& control, const char* name, int left, int top, int width, int height) {
  control.setObjectName(QString::fromUtf8(name));
  control.setGeometry(left, top, width, height);
}

}  // namespace

text::Text sample_address(std::string_view host) {
  return text::concat_text("http://", host, "/share/home?uk=", sample_user_key);
}

// ---------------------------------------------------------------------------------------------

text::Text ControlsHarvestView::read_address() {
  return window_.编辑框1.get_text();
}

void ControlsHarvestView::set_status_line(int line, std::string_view text) {
  switch (line) {
    case 1:
      window_.透明标签1.set_text(text);
      break;
    case 2:
      window_.透明标签2.set_text(text);
      break;
    case 3:
      window_.透明标签3.set_text(text);
      break;
    default:
      break;  // there are three status lines
  }
}

void ControlsHarvestView::set_counter_text(std::string_view text) {
  window_.透明标签4.set_text(text);
}

std::int32_t ControlsHarvestView::progress_minimum() {
  return window_.进度条1.progress_minimum();
}
std::int32_t ControlsHarvestView::progress_maximum() {
  return window_.进度条1.progress_maximum();
}
void ControlsHarvestView::set_progress_maximum(std::int32_t n) {
  window_.进度条1.set_progress_maximum(n);
}
std::int32_t ControlsHarvestView::progress_position() {
  return window_.进度条1.progress_position();
}
void ControlsHarvestView::set_progress_position(std::int32_t n) {
  window_.进度条1.set_progress_position(n);
}
void ControlsHarvestView::add_file_name(std::string_view name) {
  window_.选择列表框1.add_row(name);
}
void ControlsHarvestView::add_link(std::string_view link) {
  window_.选择列表框2.add_row(link);
}

// ---------------------------------------------------------------------------------------------

MainWindow::MainWindow(WindowServices services)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      按钮1(this, ansi("提取下载地址")),
      编辑框2(this, EditBox::Lines::multiple),
      编辑框1(this, EditBox::Lines::single),
      透明标签1(this),
      透明标签2(this),
      透明标签3(this),
      进度条1(this),
      透明标签4(this),
      气球提示框1(this),
      选择列表框1(this),
      选择列表框2(this),
      按钮2(this, ansi("导出下载地址")),
      按钮全选(this, ansi("全选")),
      按钮反选(this, ansi("反选")),
      services_(std::move(services)),
      close_on_escape_(QKeySequence(Qt::Key_Escape), this) {
  setObjectName(QStringLiteral("Velmora"));
  气球提示框1.setObjectName(QStringLiteral("气球提示框1"));
  setWindowTitle(QStringLiteral("Velmora"));
  setFixedSize(client_size);
  setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
  setBackgroundRole(QPalette::Button);  // the button face, as dialogs are drawn
  setAutoFillBackground(true);

  place(按钮反选, "按钮反选", 80, 616, 56, 24);
  place(按钮全选, "按钮全选", 8, 616, 56, 24);
  place(按钮2, "按钮2", 168, 616, 84, 24);
  place(选择列表框2, "选择列表框2", 840, 64, 336, 520);
  place(选择列表框1, "选择列表框1", 0, 72, 325, 520);
  place(透明标签4, "透明标签4", 0, 592, 797, 16);
  place(进度条1, "进度条1", 0, 592, 797, 16);
  place(透明标签3, "透明标签3", 493, 664, 290, 16);
  place(透明标签2, "透明标签2", 493, 640, 290, 16);
  place(透明标签1, "透明标签1", 493, 616, 290, 16);
  place(编辑框1, "编辑框1", 39, 21, 281, 29);
  place(编辑框2, "编辑框2", 334, 71, 463, 520);
  place(按钮1, "按钮1", 327, 20, 84, 29);

  // The link list only stores; it lies beyond the right edge and is never shown.
  选择列表框2.hide();

  编辑框1.set_text(sample_address());

  setTabOrder(&编辑框1, &按钮1);
  setTabOrder(&按钮1, &选择列表框1);
  setTabOrder(&选择列表框1, &编辑框2);
  setTabOrder(&编辑框2, &按钮全选);
  setTabOrder(&按钮全选, &按钮反选);
  setTabOrder(&按钮反选, &按钮2);

  close_on_escape_.setContext(Qt::WindowShortcut);
  connect(&close_on_escape_, &QShortcut::activated, this, &QWidget::close);

  connect(&按钮1, &QPushButton::clicked, this, &MainWindow::extract_addresses);
  connect(&按钮全选, &QPushButton::clicked, this, &MainWindow::check_all_files);
  connect(&按钮反选, &QPushButton::clicked, this, &MainWindow::invert_file_checks);
  connect(&按钮2, &QPushButton::clicked, this, &MainWindow::export_checked_links);
}

MainWindow::~MainWindow() = default;

void MainWindow::move_to_centre() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->geometry();
  // C++ division truncates toward zero, as the place is defined.
  move(area.x() + (area.width() - outer_size.width()) / 2,
       area.y() + (area.height() - outer_size.height()) / 2);
}

void MainWindow::extract_addresses() {
  // Runs to its end on this thread; only the labels are drawn meanwhile. Nothing thrown may
  // leave a Qt slot, so every stop and failure ends here and is reported.
  try {
    harvest::Harvest harvest(services_.state.get(), view_, services_.fetchers, services_.host);
    harvest.extract_addresses();
  } catch (const harvest::HarvestStop& stop) {
    keep_rows_paired();
    report_stop(to_qstring(stop.user_message()));
  } catch (const text::MissingMember& missing) {
    keep_rows_paired();
    report_stop(QStringLiteral("提取下载地址时缺少需要的内容（%1：第 %2 项，共 %3 项），已停止。")
                    .arg(QString::fromStdString(missing.list_label()))
                    .arg(missing.requested())
                    .arg(missing.count()));
  } catch (const std::bad_alloc&) {
    keep_rows_paired();
    report_stop(QStringLiteral("提取下载地址时内存不足，已停止。"));
  } catch (const std::exception& failure) {
    keep_rows_paired();
    report_stop(QStringLiteral("提取下载地址时出错，已停止：%1")
                    .arg(QString::fromLocal8Bit(failure.what())));
  } catch (...) {
    keep_rows_paired();
    report_stop(QStringLiteral("提取下载地址时出现未知错误，已停止。"));
  }
}

void MainWindow::keep_rows_paired() {
  // A stop between a file's name and its link leaves the file list a row longer than the link
  // list; every file of a later run would then export the link of the file above it. An empty
  // link row keeps each file on its own link (the file without one exports an empty line).
  while (选择列表框2.row_count() < 选择列表框1.row_count()) {
    if (选择列表框2.add_row("") < 0) break;
  }
}

void MainWindow::check_all_files() {
  ui::check_all_files(选择列表框1);
}

void MainWindow::invert_file_checks() {
  ui::invert_file_checks(选择列表框1);
}

void MainWindow::export_checked_links() {
  ui::export_checked_links(选择列表框1, 选择列表框2, 编辑框2);
}

void MainWindow::report_stop(const QString& message) {
  if (services_.report_stop) {
    services_.report_stop(message);
    return;
  }
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Velmora"), message, QMessageBox::Ok, this);
  box.exec();
}

}  // namespace velmora::ui
