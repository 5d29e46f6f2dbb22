#include "client/protocol/socket_message_channel.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <utility>

#include "client/platform/clock.h"
#include "client/protocol/byte_stream.h"
#include "client/protocol/protocol_context.h"
#include "core/status.h"
#include "core/wire/block_header.h"

namespace hv {

namespace {

// Reads up to n bytes from a file, retrying short reads and interruptions. Returns the
// count read (less than n only at the end of the file) or -1.
int64_t ReadUpTo(int fd, uint8_t* data, uint32_t n) {
  uint32_t total = 0;
  while (total < n) {
    ssize_t got = ::read(fd, data + total, n - total);
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    total += static_cast<uint32_t>(got);
  }
  return total;
}

Status Failed(int32_t code) { return Status(Where::kProtocol, code); }
// A receiving step's failure, which is the socket's.
Status ReceiveFailed(int32_t code) { return Status(Where::kSocket, code); }

// Closes a descriptor when it goes out of scope.
struct FileCloser {
  int fd;
  ~FileCloser() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

cSocketMessageChannel::cSocketMessageChannel(cByteStream* stream, cProtocolContext& context,
                                             uint32_t capacity)
    : stream_(stream), context_(context), capacity_(capacity) {
  outgoing_.capacity = capacity;
  // Room for the most the limits allow, so that keeping a block or a message never
  // reallocates (or fails) half-way through handling one.
  early_blocks_.reserve(kMaxEarlyBlocks);
  messages_.reserve(kMaxMessagesInProgress);
}

cSocketMessageChannel::~cSocketMessageChannel() {
  if (holds_sending_) context_.SetSending(false);
  ReleaseBeginning();
}

// --- composing ---

void cSocketMessageChannel::ReleaseBeginning() {
  if (!holds_beginning_) return;
  holds_beginning_ = false;
  context_.SetBeginning(false);
}

Status cSocketMessageChannel::Composed(Status status) {
  if (status.failed()) {
    AbandonMessage();
  } else if (holds_beginning_) {
    context_.TouchBeginning();
  }
  return status;
}

Status cSocketMessageChannel::BeginMessage(uint32_t type, uint32_t version, uint32_t capacity) {
  if (context_.Beginning()) {
    const bool stale = !context_.Sending() && context_.BeginningIdleMs() >= kStaleBeginningMs;
    if (!stale) return Status(Where::kProtocol, hv::kAlreadyBeginning);
  }
  context_.SetBeginning(true);
  holds_beginning_ = true;
  if (capacity == 0 || capacity > cSocketMessageBlock::MaxIncomingPayload) {
    capacity = cSocketMessageBlock::BlockCapacity;
  }
  outgoing_.type = type;
  outgoing_.version = version;
  outgoing_.capacity = capacity;
  capacity_ = capacity;
  outgoing_.DropIncoming();
  outgoing_.ClearOutgoing();
  outgoing_.block_number = 0;
  outgoing_.last_block = 1;
  return Status();
}

void cSocketMessageChannel::AbandonMessage() {
  outgoing_.ClearOutgoing();
  outgoing_.block_number = 0;
  outgoing_.last_block = 1;
  ReleaseBeginning();
}

Status cSocketMessageChannel::AppendBytes(const void* data, uint32_t n) {
  return Composed(outgoing_.AppendBytes(data, n));
}

Status cSocketMessageChannel::AppendString(const char* text) {
  return Composed(outgoing_.AppendString(text));
}

Status cSocketMessageChannel::AppendU16(uint16_t value) {
  return Composed(outgoing_.AppendU16(value));
}

Status cSocketMessageChannel::AppendU32(uint32_t value) {
  return Composed(outgoing_.AppendU32(value));
}

Status cSocketMessageChannel::AppendF64(double value) {
  return Composed(outgoing_.AppendF64(value));
}

Status cSocketMessageChannel::AppendFile(const char* path) {
  if (path == nullptr) return Composed(Failed(hv::kMissingArgument));
  FileCloser file{::open(path, O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) return Composed(Failed(hv::kCannotOpenFile));
  struct stat info {};
  if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    return Composed(Failed(hv::kCannotOpenFile));
  }
  uint64_t remaining = static_cast<uint64_t>(info.st_size);
  if (remaining == 0) {
    outgoing_.block_number = 0;
    return Status::Declined(Where::kProtocol);
  }

  Status status = Composed(outgoing_.AppendU32(0));
  if (!status.ok()) return status;
  // Room for the count and at least one byte, with the payload kept below the capacity.
  const uint32_t position = outgoing_.WritePosition();
  if (static_cast<uint64_t>(position) + 5 >= capacity_) return Composed(Failed(hv::kBlockFull));
  uint32_t chunk = capacity_ - position - 5;
  if (remaining < chunk) chunk = static_cast<uint32_t>(remaining);
  if (outgoing_.version < kFirstLongHeaderVersion && remaining > chunk) {
    return Composed(Failed(hv::kBlockFull));
  }

  // One chunk at a time: the file is never held whole.
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[chunk]);
  if (buffer == nullptr) return Composed(Failed(hv::kOutOfMemory));

  // Only the size taken at the start is sent, so a file that grows meanwhile cannot push
  // a second chunk into a block.
  while (remaining > 0) {
    const uint32_t want = remaining < chunk ? static_cast<uint32_t>(remaining) : chunk;
    const int64_t got = ReadUpTo(file.fd, buffer.get(), want);
    if (got < 0) return Composed(Failed(hv::kCannotOpenFile));
    if (got == 0) break;  // the file shrank
    const uint32_t count = static_cast<uint32_t>(got);
    status = Composed(outgoing_.AppendU32(count));
    if (status.ok()) status = Composed(outgoing_.AppendBytes(buffer.get(), count));
    if (!status.ok()) return status;
    if (remaining > chunk) {
      // A failed send has already abandoned the message.
      if (Status sent = SendBlock(0); !sent.ok()) return sent;
      outgoing_.ClearOutgoing();
      ++outgoing_.block_number;
      outgoing_.last_block = 1;
      status = Composed(outgoing_.AppendU32(0));
      if (!status.ok()) return status;
    }
    remaining = remaining > count ? remaining - count : 0;
  }
  return Status();
}

Status cSocketMessageChannel::SendAll(const uint8_t* data, uint32_t n) {
  return stream_->Send(data, n).ok() ? Status() : Failed(hv::kSendFailed);
}

Status cSocketMessageChannel::SendBlock(uint16_t last) {
  // Another block is being sent (we were re-entered during its send): wait for it, but
  // never longer than kSendingWaitMs, then go ahead anyway.
  cClock& clock = context_.Clock();
  const uint32_t wait_start = clock.TickCount();
  for (uint32_t pauses = 0; context_.Sending() && pauses < kSendingWaitMs / kWaitStepMs; ++pauses) {
    if (clock.TickCount() - wait_start >= kSendingWaitMs) break;
    context_.Pause(kWaitStepMs);
  }
  context_.SetSending(true);
  holds_sending_ = true;

  Status status;
  if (stream_ == nullptr) {
    status = Failed(hv::kMissingArgument);
  } else {
    context_.NotifyTransfer(cTransferState::kSending);
    outgoing_.last_block = last;
    uint32_t size = 0;
    const uint8_t* image = outgoing_.OutgoingImage(&size);
    status = SendAll(image, size);
    context_.NotifyTransfer(cTransferState::kIdle);
  }
  outgoing_.ClearOutgoing();
  holds_sending_ = false;
  context_.SetSending(false);

  if (!status.ok()) {
    AbandonMessage();
  } else if (last == 1) {
    outgoing_.block_number = 0;
    ReleaseBeginning();
  } else if (holds_beginning_) {
    context_.TouchBeginning();
  }
  return status;
}

// --- receiving ---

Status cSocketMessageChannel::ReadExact(uint8_t* data, uint32_t n) {
  cClock& clock = context_.Clock();
  const uint32_t start = clock.TickCount();
  uint32_t total = 0;
  while (total < n) {
    uint32_t got = 0;
    const Status received = stream_->Receive(data + total, n - total, &got);
    if (received.failed() || got > n - total) return ReceiveFailed(hv::kReceiveFailed);
    total += got;
    if (total >= n) break;
    if (clock.TickCount() - start >= kReadTimeoutMs) return ReceiveFailed(hv::kTimedOut);
    // A piece that came means more may be there already (a block that straddles the
    // socket's read-ahead): ask again before waiting, which would run the event loop in
    // the middle of a block.
    if (got > 0) continue;
    stream_->WaitReadable(kWaitStepMs);
  }
  return Status();
}

Status cSocketMessageChannel::ReceiveBlock(cSocketMessageBlock* block) {
  if (block == nullptr || stream_ == nullptr) return ReceiveFailed(hv::kMissingArgument);
  block->type = 0;
  block->version = 0;
  block->block_number = 0;
  block->last_block = 1;
  block->ClearIncoming();
  context_.NotifyTransfer(cTransferState::kReceiving);

  // The header is gathered piece by piece: its form depends on the version in front.
  uint8_t header_bytes[kLongHeaderSize] = {};
  Status status = ReadExact(header_bytes, 4);
  if (status.ok()) {
    // Answer in the version the server last used, even if the rest of the block fails.
    protocol_version_ = GetU32(header_bytes);
    status = ReadExact(header_bytes + 4, 4);
  }
  const uint32_t header_size = BlockHeaderSize(protocol_version_);
  if (status.ok()) status = ReadExact(header_bytes + 8, header_size - 8);

  cBlockHeader header;
  if (status.ok()) {
    uint32_t consumed = 0;
    if (!DecodeBlockHeader(header_bytes, header_size, &header, &consumed).ok()) {
      status = ReceiveFailed(hv::kReceiveFailed);  // cannot happen: the whole header was read
    }
  }
  if (status.ok()) {
    // AllocateIncoming refuses a length above MaxIncomingPayload before allocating.
    uint8_t* payload = block->AllocateIncoming(header.payload_length);
    status = payload == nullptr ? ReceiveFailed(hv::kOutOfMemory)
                                : ReadExact(payload, header.payload_length);
  }

  context_.NotifyTransfer(cTransferState::kIdle);
  if (!status.ok()) {
    block->ClearIncoming();
    return status;
  }
  block->SetHeaderFields(header);
  context_.BlockReceived();
  return Status();
}

cSocketMessage* cSocketMessageChannel::FindMessage(const swGuid& guid) {
  for (const std::unique_ptr<cSocketMessage>& message : messages_) {
    if (message->message_guid == guid) return message.get();
  }
  return nullptr;
}

Status cSocketMessageChannel::DispatchInOrder(cBlockDispatcher& dispatcher, cSocketMessage* message,
                                              cSocketMessageBlock& block) {
  Status status = dispatcher.Dispatch(message, block);
  if (status.failed()) return status;
  last_handled_block_ =
      block.last_block != 0 ? kNoMessageInProgress : static_cast<int32_t>(block.block_number);
  return Status::Ok();
}

Status cSocketMessageChannel::DrainEarlyBlocks(cBlockDispatcher& dispatcher,
                                               cSocketMessage* message) {
  while (last_handled_block_ != kNoMessageInProgress) {
    const int64_t wanted = static_cast<int64_t>(last_handled_block_) + 1;
    auto next =
        std::find_if(early_blocks_.begin(), early_blocks_.end(),
                     [&](const std::unique_ptr<cSocketMessageBlock>& block) {
                       return block->block_number == wanted && block->guid == message->message_guid;
                     });
    if (next == early_blocks_.end()) break;
    // Taken off the list before it is dispatched: a handler may run events that receive.
    std::unique_ptr<cSocketMessageBlock> block = std::move(*next);
    early_blocks_.erase(next);
    Status status = DispatchInOrder(dispatcher, message, *block);
    Recycle(std::move(block));
    if (status.failed()) return status;
  }
  return Status::Ok();
}

void cSocketMessageChannel::Recycle(std::unique_ptr<cSocketMessageBlock> block) {
  // A nested receive (a handler ran events) may have left a spare already; one is enough.
  if (spare_block_ == nullptr) spare_block_ = std::move(block);
}

void cSocketMessageChannel::FinishMessageIfComplete(cSocketMessage* message) {
  if (last_handled_block_ != kNoMessageInProgress) return;
  auto listed = std::find_if(
      messages_.begin(), messages_.end(),
      [message](const std::unique_ptr<cSocketMessage>& held) { return held.get() == message; });
  if (listed != messages_.end()) messages_.erase(listed);
}

Status cSocketMessageChannel::ReceiveAndHandleBlock(cBlockDispatcher& dispatcher,
                                                    uint32_t* type_out) {
  if (type_out != nullptr) *type_out = 0;
  const auto out_of_memory = [](const char* what) {
    return Status(Where::kProtocol, hv::kOutOfMemory, what);
  };
  // The block of the previous receive, with its payload buffer, unless it was kept early.
  std::unique_ptr<cSocketMessageBlock> block = std::move(spare_block_);
  if (block == nullptr) block.reset(new (std::nothrow) cSocketMessageBlock(swGuid()));
  if (block == nullptr) return out_of_memory("no block to receive into");
  Status received = ReceiveBlock(block.get());
  if (!received.ok()) return received;
  if (type_out != nullptr) *type_out = block->type;

  // A whole message in one block lives only for this call; a multi-block one on the list.
  std::unique_ptr<cSocketMessage> single;
  cSocketMessage* message = nullptr;
  if (block->block_number == 0) {
    const bool multi_block = block->last_block == 0;
    if (multi_block && messages_.size() >= kMaxMessagesInProgress) {
      return out_of_memory("too many messages in progress");
    }
    std::unique_ptr<cSocketMessage> fresh(new (std::nothrow) cSocketMessage(block->guid));
    if (fresh == nullptr) return out_of_memory("no message context");
    message = fresh.get();
    if (multi_block) {
      messages_.push_back(std::move(fresh));
    } else {
      single = std::move(fresh);
    }
    Status status = DispatchInOrder(dispatcher, message, *block);
    Recycle(std::move(block));
    // A listed context that failed stays listed and goes with the channel.
    if (status.failed()) return status;
  } else {
    message = FindMessage(block->guid);
    if (message == nullptr) return Status(Where::kProtocol, hv::kNotFound, "block of no message");
    const int64_t expected = static_cast<int64_t>(last_handled_block_) + 1;
    if (block->block_number != expected) {
      if (early_blocks_.size() >= kMaxEarlyBlocks) return out_of_memory("too many early blocks");
      early_blocks_.push_back(std::move(block));
    } else {
      Status status = DispatchInOrder(dispatcher, message, *block);
      Recycle(std::move(block));
      if (status.failed()) return status;
    }
  }

  Status status = DrainEarlyBlocks(dispatcher, message);
  if (status.failed()) return status;
  FinishMessageIfComplete(message);
  return Status::Ok();
}

}  // namespace hv
