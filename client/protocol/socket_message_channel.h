// cSocketMessageChannel: the protocol engine of one socket. It composes outgoing messages in
// one reused block and writes them as blocks; it reads blocks with exact, time-limited reads
// and puts multi-block messages back together before handing each block, in order, to a
// cBlockDispatcher. One channel per socket, created and destroyed with it.
//
// Everything runs on the one event-loop thread, but a stream that waits runs pending
// events, so a channel can be re-entered during a send or a receive: the beginning and
// sending flags of the shared cProtocolContext keep nested requests from touching the
// outgoing block while it is in use.
#ifndef HV_CLIENT_PROTOCOL_SOCKET_MESSAGE_CHANNEL_H_
#define HV_CLIENT_PROTOCOL_SOCKET_MESSAGE_CHANNEL_H_

#include <cstdint>
#include <memory>
#include <vector>

#include "client/protocol/socket_message.h"
#include "client/protocol/socket_message_block.h"
#include "core/status.h"

namespace hv {

class cByteStream;
class cProtocolContext;

// Blocks that arrived before their turn, owned by the list, in arrival order.
using cSocketMessageBlockList = std::vector<std::unique_ptr<cSocketMessageBlock>>;

// Messages whose first block has been handled and whose last block has not yet arrived,
// owned by the list.
using cSocketMessageList = std::vector<std::unique_ptr<cSocketMessage>>;

// Handles one block of a message. The connection implements it (dispatch by message type).
class cBlockDispatcher {
 public:
  virtual ~cBlockDispatcher() = default;
  // Called for every block of a message in block-number order, with the message's context
  // (never null; it lives until the last block has been handled). A failure ends the
  // receive (and, in the caller, the connection).
  [[nodiscard]] virtual Status Dispatch(cSocketMessage* message, cSocketMessageBlock& block) = 0;
};

class cSocketMessageChannel {
 public:
  // The longest an exact read waits for missing bytes.
  static constexpr uint32_t kReadTimeoutMs = 15000;
  // The step of every wait: for missing bytes, and for the sending flag.
  static constexpr uint32_t kWaitStepMs = 10;
  // How long SendBlock waits for another block's send before taking the flag anyway.
  static constexpr uint32_t kSendingWaitMs = 30000;
  // Bounds on reassembly state a server can make us hold. A well-behaved server never has
  // more than one message in progress; beyond these a receive fails with kOutOfMemory.
  static constexpr uint32_t kMaxEarlyBlocks = 64;
  static constexpr uint32_t kMaxMessagesInProgress = 64;
  // How long a beginning flag may sit untouched, with no block being sent, before a new
  // BeginMessage takes it over.
  static constexpr uint32_t kStaleBeginningMs = 30000;
  // The last handled block number when no multi-block message is in progress.
  static constexpr int32_t kNoMessageInProgress = -1;

  // stream: not owned, may be null (sends and receives then fail with kMissingArgument);
  // context: not owned. Both must outlive the channel. ProtocolVersion starts at 3.
  cSocketMessageChannel(cByteStream* stream, cProtocolContext& context,
                        uint32_t capacity = cSocketMessageBlock::BlockCapacity);
  cSocketMessageChannel(const cSocketMessageChannel&) = delete;
  cSocketMessageChannel& operator=(const cSocketMessageChannel&) = delete;
  // Releases the program-wide flags if this channel holds them (the early blocks and the
  // messages in progress go with their lists).
  ~cSocketMessageChannel();

  void SetStream(cByteStream* stream) { stream_ = stream; }

  // The version of the last block header received (3 before any); every message begun
  // with it answers in the form the server last used.
  uint32_t ProtocolVersion() const { return protocol_version_; }
  void SetProtocolVersion(uint32_t version) { protocol_version_ = version; }

  // --- composing ---
  // Starts a new outgoing message: sets type, version and capacity (0 or more than
  // MaxIncomingPayload means BlockCapacity), drops any incoming payload, zero-fills what
  // was written, block number 0, last-block flag 1, positions 0, and takes the beginning flag.
  // kAlreadyBeginning when a message is already being composed or sent (anywhere in the
  // program). The flag is held until the message ends: the final SendBlock (last = 1),
  // any failing call below, or AbandonMessage. A flag left behind by a composer that never
  // ended its message (no step and no send for kStaleBeginningMs) is taken over, so one
  // careless caller cannot silence every later request.
  [[nodiscard]] Status BeginMessage(uint32_t type, uint32_t version,
                                    uint32_t capacity = cSocketMessageBlock::BlockCapacity);
  // BeginMessage with this socket's ProtocolVersion and the channel's capacity.
  [[nodiscard]] Status BeginMessage(uint32_t type) {
    return BeginMessage(type, protocol_version_, capacity_);
  }

  // Writers on the outgoing block (see cSocketMessageBlock): ok or the block's failure,
  // which abandons the message.
  [[nodiscard]] Status AppendBytes(const void* data, uint32_t n);
  [[nodiscard]] Status AppendString(const char* text);
  [[nodiscard]] Status AppendU16(uint16_t value);
  [[nodiscard]] Status AppendU32(uint32_t value);
  [[nodiscard]] Status AppendF64(double value);

  // Appends a file as blob chunks, one chunk per block: block 0 carries the fixed fields
  // already appended and the first chunk; every full block is sent with last-block flag 0
  // and the next one started. The file is streamed, never held whole. The chunk size is
  // fixed by the room left in block 0 (capacity - write position - 5, or the file size if
  // smaller). Returns declined when the file is empty (nothing appended, block number 0), ok
  // when the caller should now send the final block with SendBlock(1); kMissingArgument for a
  // null path, kCannotOpenFile when it cannot be opened, or a send or append failure
  // (the message is then abandoned). In the short header form (version below 2) a block is
  // always a whole message, so a file that does not fit block 0 is refused with kBlockFull
  // before anything is sent: the server would take each block for a message of its own.
  [[nodiscard]] Status AppendFile(const char* path);

  // Sends the outgoing block with last-block flag `last` (1 or 0) as one header + payload
  // image. Waits (in kWaitStepMs pauses) up to kSendingWaitMs while another block is being
  // sent, then goes ahead. Positions are cleared whatever happens; after last = 1 the
  // block number is 0 and the message has ended. Ok; kMissingArgument without a stream;
  // kSendFailed when the stream fails (or sends fewer bytes). The transfer notice shows
  // kSending and then kIdle.
  [[nodiscard]] Status SendBlock(uint16_t last);

  // Ends the message being composed without sending it (a sender that gives up): positions
  // and block number 0, beginning flag released.
  void AbandonMessage();
  // True between a BeginMessage of this channel and the end of that message.
  bool MessageOpen() const { return holds_beginning_; }

  // The outgoing block, for inspection (its GUID never changes).
  const cSocketMessageBlock& OutgoingBlock() const { return outgoing_; }

  // --- receiving ---
  // Reads one whole block into *block: header (storing its version as ProtocolVersion at
  // once), then exactly the announced payload. Every piece is an exact read that fails
  // with kTimedOut when 15,000 ms pass with bytes still missing, or kReceiveFailed when
  // the stream fails. A payload above MaxIncomingPayload fails with kOutOfMemory before
  // anything is allocated. Success sets HeardFromServer. kMissingArgument without a stream
  // or block. The transfer notice shows kReceiving and then kIdle. A failure is the socket's.
  [[nodiscard]] Status ReceiveBlock(cSocketMessageBlock* block);

  // Receives one block and handles whatever it made dispatchable: block 0 starts a message
  // context; a later block must name a message in progress (kNotFound otherwise) and is
  // dispatched when it is next in order, or kept until the blocks before it have come.
  // Kept blocks are then dispatched in order. A message ends (its context freed) after its
  // last block. *type_out (may be null) receives the received block's type, also on a
  // dispatch failure; 0 when nothing was received. Returns ok or the first failure: the
  // stream's (from the socket), the channel's own (from the protocol) or the dispatcher's.
  [[nodiscard]] Status ReceiveAndHandleBlock(cBlockDispatcher& dispatcher, uint32_t* type_out);

  int32_t LastHandledBlock() const { return last_handled_block_; }
  uint32_t EarlyBlockCount() const { return static_cast<uint32_t>(early_blocks_.size()); }
  uint32_t MessagesInProgress() const { return static_cast<uint32_t>(messages_.size()); }

 private:
  // Passes a composing step's status through; a failure abandons the message, and a
  // success shows that the composer is still at work.
  [[nodiscard]] Status Composed(Status status);
  // Reads exactly n bytes (see ReceiveBlock for the time limit); a failure is the socket's.
  [[nodiscard]] Status ReadExact(uint8_t* data, uint32_t n);
  // Sends all n bytes; kSendFailed (Where::kProtocol) when the stream fails or sends fewer.
  [[nodiscard]] Status SendAll(const uint8_t* data, uint32_t n);
  void ReleaseBeginning();
  cSocketMessage* FindMessage(const swGuid& guid);
  // Dispatches the block and updates the last handled number.
  [[nodiscard]] Status DispatchInOrder(cBlockDispatcher& dispatcher, cSocketMessage* message,
                                       cSocketMessageBlock& block);
  // Dispatches kept blocks of the message that have become next in order.
  [[nodiscard]] Status DrainEarlyBlocks(cBlockDispatcher& dispatcher, cSocketMessage* message);
  // Keeps a handled block (and its payload buffer) for the next receive.
  void Recycle(std::unique_ptr<cSocketMessageBlock> block);
  // Frees a listed message once its last block has been handled.
  void FinishMessageIfComplete(cSocketMessage* message);

  cByteStream* stream_;
  cProtocolContext& context_;
  uint32_t capacity_;
  uint32_t protocol_version_ = cSocketMessageBlock::kDefaultVersion;
  cSocketMessageBlock outgoing_;
  cSocketMessageBlockList early_blocks_;
  std::unique_ptr<cSocketMessageBlock> spare_block_;
  cSocketMessageList messages_;
  int32_t last_handled_block_ = kNoMessageInProgress;
  bool holds_beginning_ = false;
  bool holds_sending_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_SOCKET_MESSAGE_CHANNEL_H_
