// The main window: every control under its own name, the harvest view on those controls, and the
// commands behind the four buttons.
#pragma once

#include <QShortcut>
#include <QSize>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "harvest/harvest.h"
#include "harvest/harvest_state.h"
#include "harvest/harvest_view.h"
#include "text/text.h"
#include "ui/controls.h"
#include "ui/tip.h"

namespace velmora::ui {

class MainWindow;

// The harvest's view of the window, on the window's controls.
class ControlsHarvestView : public harvest::HarvestView {
 public:
  explicit ControlsHarvestView(MainWindow& window) : window_(window) {}

  text::Text read_address() override;
  void set_status_line(int line, std::string_view text) override;
  void set_counter_text(std::string_view text) override;
  std::int32_t progress_minimum() override;
  std::int32_t progress_maximum() override;
  void set_progress_maximum(std::int32_t n) override;
  std::int32_t progress_position() override;
  void set_progress_position(std::int32_t n) override;
  void add_file_name(std::string_view name) override;
  void add_link(std::string_view link) override;

 private:
  MainWindow& window_;
};

// Tells the user why a command stopped; the default shows a message box over the window.
using StopReporter = std::function<void(const QString& message)>;

// What the window's commands work with. The program's own unless a test or a tool gives others.
struct WindowServices {
  std::reference_wrapper<harvest::HarvestState> state = harvest::harvest_state();
  harvest::PageFetchers fetchers = harvest::PageFetchers::network();
  std::string host = std::string(harvest::service_host());
  StopReporter report_stop;
};

// The user key of the sample address the address box starts with: the sample service's user.
inline constexpr std::string_view sample_user_key = "100000001";
// "http://" + the service host + "/share/home?uk=" + the sample key.
text::Text sample_address(std::string_view host = harvest::service_host());

class MainWindow : public QWidget {
  Q_OBJECT
 public:
  // The outer size the window is placed by. The frame around the client area is the window
  // manager's; the client area is what the controls need: as wide as the progress bar and the
  // counter line (797), and as high as a fixed frame with a 25-pixel caption bar and 3-pixel
  // edges leaves of 717 (686), six pixels below the lowest status line.
  static constexpr QSize outer_size{802, 717};
  static constexpr QSize client_size{797, 686};

  explicit MainWindow(WindowServices services = {});
  ~MainWindow() override;

  // Places the window's outer frame centred on the primary screen, by the outer size above.
  void move_to_centre();

  harvest::HarvestView& harvest_view() noexcept { return view_; }
  const WindowServices& services() const noexcept { return services_; }

  // The commands of the four buttons.
  void extract_addresses();
  void check_all_files();
  void invert_file_checks();
  void export_checked_links();

  // The controls, bottom of the stacking order first: a control declared later lies above
  // those declared before it where they overlap. 气球提示框1, the hover tip, is no widget: it
  // shows its tips in a pop-up window of its own.
  Button 按钮1;
  EditBox 编辑框2;
  EditBox 编辑框1;
  TransLabel 透明标签1;
  TransLabel 透明标签2;
  TransLabel 透明标签3;
  ProcessBar 进度条1;
  TransLabel 透明标签4;
  Q_tip 气球提示框1;
  ChkListBox 选择列表框1;
  ChkListBox 选择列表框2;
  Button 按钮2;
  Button 按钮全选;
  Button 按钮反选;

 private:
  void report_stop(const QString& message);
  void keep_rows_paired();

  WindowServices services_;
  ControlsHarvestView view_{*this};
  QShortcut close_on_escape_;
};

}  // namespace velmora::ui
