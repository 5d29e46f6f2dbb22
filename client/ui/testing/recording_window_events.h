// A window's events recorded for tests of either toolkit: every command with the check its
// button had when the command arrived, and the commands and presses in order as text.
#ifndef HV_CLIENT_UI_TESTING_RECORDING_WINDOW_EVENTS_H_
#define HV_CLIENT_UI_TESTING_RECORDING_WINDOW_EVENTS_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "client/ui/button.h"
#include "client/ui/window.h"

namespace hv {

namespace test {

class cRecordingWindowEvents : public cWindowEvents {
 public:
  struct cCommand {
    int32_t id;
    eCommandEvent event;
    int32_t check;  // the button's check as the command arrived; -1 for other controls
  };

  cRecordingWindowEvents() = default;
  // `window` is asked for the button behind each command (not owned; outlives this).
  explicit cRecordingWindowEvents(cWindow& window) : window_(&window) {}

  void OnCommand(int32_t id, eCommandEvent event) override {
    cButton* button = window_ != nullptr ? window_->Button(id) : nullptr;
    commands.push_back(cCommand{id, event, button != nullptr ? button->GetCheck() : -1});
    log.push_back("command " + std::to_string(id) + " " + std::to_string(static_cast<int>(event)));
  }
  void OnPressed(int32_t id, bool pressed) override {
    log.push_back((pressed ? "pressed " : "released ") + std::to_string(id));
  }
  void OnResized(int32_t width, int32_t height) override { sizes.emplace_back(width, height); }
  void OnContextMenu(int32_t id, cPoint point) override { menus.emplace_back(id, point.x); }
  void OnHelp() override { ++helps; }

  std::vector<cCommand> commands;
  std::vector<std::string> log;  // "pressed 11", "released 11", "command 11 0"
  std::vector<std::pair<int32_t, int32_t>> sizes;
  std::vector<std::pair<int32_t, int32_t>> menus;  // control id, screen x
  int32_t helps = 0;

 private:
  cWindow* window_ = nullptr;
};

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_UI_TESTING_RECORDING_WINDOW_EVENTS_H_
