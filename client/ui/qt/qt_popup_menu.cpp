#include "client/ui/qt/qt_popup_menu.h"

#include "client/ui/qt/qt_control.h"
#include "client/ui/qt/qt_toolkit.h"

namespace hv {

void cQtPopupMenu::AppendItem(int32_t command, const char* text) {
  QAction* action = menu_.addAction(CaptionText(text));
  commands_[action] = command;
}

void cQtPopupMenu::AppendSeparator() { menu_.addSeparator(); }

void cQtPopupMenu::EnableItem(int32_t command, bool enable) {
  for (auto& [action, item_command] : commands_) {
    if (item_command == command) action->setEnabled(enable);
  }
}

void cQtPopupMenu::CheckItem(int32_t command, bool checked) {
  for (auto& [action, item_command] : commands_) {
    if (item_command != command) continue;
    action->setCheckable(true);
    action->setChecked(checked);
  }
}

void cQtPopupMenu::SetDefaultItem(int32_t command) {
  for (auto& [action, item_command] : commands_) {
    if (item_command == command) menu_.setDefaultAction(action);
  }
}

int32_t cQtPopupMenu::Track(cPoint screen_point) {
  int32_t queued = 0;
  if (toolkit_.TakeMenuAnswer(&queued)) {
    for (auto& [action, command] : commands_) {
      if (command == queued && action->isEnabled()) return queued;
    }
    return 0;
  }
  QAction* chosen = menu_.exec(QPoint(screen_point.x, screen_point.y));
  auto found = commands_.find(chosen);
  return found != commands_.end() ? found->second : 0;
}

}  // namespace hv
