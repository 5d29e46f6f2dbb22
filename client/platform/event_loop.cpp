#include "client/platform/event_loop.h"

namespace hv {

void cEventLoop::Retire(std::function<void()> release) {
  if (!release) return;
  retired_.push_back(std::move(release));
  OnRetired();
}

void cEventLoop::ReleaseRetired() {
  // A release may retire more (a view that lets go of its dialog): those run in the same
  // sweep, since nothing of the program is on the stack here either.
  if (releasing_) return;
  releasing_ = true;
  while (!retired_.empty()) {
    std::vector<std::function<void()>> batch;
    batch.swap(retired_);
    for (auto& release : batch) release();
  }
  releasing_ = false;
}

}  // namespace hv
