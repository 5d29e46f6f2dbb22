#include "client/protocol/protocol_context.h"

#include "client/platform/clock.h"

namespace hv {

void cProtocolContext::SetBeginning(bool on) {
  beginning_ = on ? 1 : 0;
  if (on) TouchBeginning();
}

void cProtocolContext::TouchBeginning() { beginning_touched_ = clock_.TickCount(); }

uint32_t cProtocolContext::BeginningIdleMs() const {
  return clock_.TickCount() - beginning_touched_;
}

}  // namespace hv
