// cQtTabControl: a QTabBar along the top of a framed area; the views placed on it are child
// windows of that area (cToolkit::CreateChildWindow with the tab control as host).
#ifndef HV_CLIENT_UI_QT_QT_TAB_CONTROL_H_
#define HV_CLIENT_UI_QT_QT_TAB_CONTROL_H_

#include <QTabBar>
#include <vector>

#include "client/ui/qt/qt_control.h"
#include "client/ui/tab_control.h"

namespace hv {

class cQtTabControl : public tQtControl<cTabControl> {
 public:
  cQtTabControl(QWidget* parent, const cControlLayout& layout);

  int32_t InsertTab(int32_t index, const char* caption, cItemValue value) override;
  bool DeleteTab(int32_t index) override;
  int32_t TabCount() const override { return static_cast<int32_t>(tabs_.size()); }
  swString TabCaption(int32_t index) const override;
  cItemValue TabValue(int32_t index) const override;
  int32_t Selection() const override { return bar_->currentIndex(); }
  void Select(int32_t index) override;
  int32_t TabAt(cPoint point) const override;
  cRect DisplayArea() const override;
  void Move(const cRect& rect, bool repaint) override;

  QTabBar* Bar() const { return bar_; }

 private:
  struct cTab {
    swString caption;
    cItemValue value;
  };
  bool Valid(int32_t index) const { return index >= 0 && index < TabCount(); }
  void PlaceBar();

  QTabBar* bar_;
  std::vector<cTab> tabs_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_TAB_CONTROL_H_
