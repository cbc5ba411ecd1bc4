// Helpers shared by the window's tests.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <map>
#include <string>
#include <string_view>

#include "text/codepage.h"

namespace velmora::ui::testing {

// The program's texts are GBK bytes; tests write them in UTF-8.
inline std::string gbk(std::string_view utf8) {
  return text::utf8_to_ansi(utf8);
}

// Counts the paint events each watched widget receives.
class PaintCounter : public QObject {
 public:
  void watch(QWidget& widget) {
    widget.installEventFilter(this);
    counts_[&widget] = 0;
  }
  int count(const QWidget& widget) const {
    const auto found = counts_.find(&widget);
    return found == counts_.end() ? 0 : found->second;
  }
  void reset() {
    for (auto& entry : counts_) entry.second = 0;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      const auto found = counts_.find(watched);
      if (found != counts_.end()) ++found->second;
    }
    return false;
  }

 private:
  std::map<const QObject*, int> counts_;
};

}  // namespace velmora::ui::testing
