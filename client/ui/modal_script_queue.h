// tModalScriptQueue: the scripts a test queues for the modal dialogs a toolkit is about to
// run. Each script plays the user on one dialog, in the order queued, so a test never waits
// on a modal loop; both toolkits keep theirs in one of these.
#ifndef HV_CLIENT_UI_MODAL_SCRIPT_QUEUE_H_
#define HV_CLIENT_UI_MODAL_SCRIPT_QUEUE_H_

#include <deque>
#include <functional>
#include <utility>

namespace hv {

template <class Window>
class tModalScriptQueue {
 public:
  using Script = std::function<void(Window&)>;

  void Queue(Script script) { scripts_.push_back(std::move(script)); }
  // The oldest script, taken off the queue; null when none waits.
  Script Take() {
    if (scripts_.empty()) return nullptr;
    Script script = std::move(scripts_.front());
    scripts_.pop_front();
    return script;
  }

 private:
  std::deque<Script> scripts_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_MODAL_SCRIPT_QUEUE_H_
