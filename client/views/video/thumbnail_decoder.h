// cThumbnailDecoder: decodes the thumbnails the server sends on worker threads and hands
// each picture back on the event loop's thread, in the order the thumbnails came. Decoding
// an 80 x 60 JPEG takes about as long as everything else a thumbnail costs together, so a
// burst from several cameras is decoded on every core while the window goes on reading
// the connection and drawing.
//
// With no workers (tests, windowless runs) or when no thread can be started, every
// thumbnail is decoded and handed back at once, inside Submit, as before there were
// workers. A picture that does not decode is dropped without a word.
#ifndef HV_CLIENT_VIEWS_VIDEO_THUMBNAIL_DECODER_H_
#define HV_CLIENT_VIEWS_VIDEO_THUMBNAIL_DECODER_H_

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "client/platform/event_loop.h"
#include "client/protocol/answer_records.h"
#include "core/status.h"

namespace hv {

class cBitmap;

class cThumbnailDecoder {
 public:
  // Receives each decoded picture, on the event loop's thread; it may keep the bitmap's
  // pixels by moving them out.
  using Deliver = std::function<void(const ThumbnailRecord& record, cBitmap& picture)>;

  // At most this many thumbnails wait or are decoded at once; Submit waits for the oldest
  // beyond that, so a server that floods thumbnails is read no faster than they decode.
  static constexpr size_t kMaxQueued = 64;

  // One worker for each core but the one the loop's thread runs on (at least one, at most
  // four): that thread decodes too while it waits, and a worker more than the cores only
  // takes turns with it (on two cores, a second worker cut the rate by a fifth).
  static uint32_t WorkersForThisMachine();

  // `workers` threads are started with the first thumbnail (0: decode inside Submit).
  cThumbnailDecoder(cEventLoop& loop, uint32_t workers, Deliver deliver);
  // Stops and joins the workers; pictures not yet handed back are dropped.
  ~cThumbnailDecoder();
  cThumbnailDecoder(const cThumbnailDecoder&) = delete;
  cThumbnailDecoder& operator=(const cThumbnailDecoder&) = delete;

  // Takes one thumbnail. Bytes in memory are copied (they are only readable during the
  // call); a gathered file is decoded at once, since the next answer writes over it.
  // Fails with kOutOfMemory when the copy cannot be made (the thumbnail is then dropped).
  [[nodiscard]] Status Submit(const ThumbnailRecord& record, const ThumbnailPicture& encoded);

  // Hands back every picture at the head of the queue that is ready, in order.
  void DeliverReady();
  // Waits for every thumbnail taken so far and hands them all back: before the lists are
  // emptied for a new connection, so that no picture of the old one arrives after it.
  void DeliverAll();

  // Thumbnails taken and not yet handed back (or dropped).
  size_t Pending() const;
  // Worker threads running (0 until the first thumbnail, or when none could be started).
  size_t Workers() const { return threads_.size(); }

 private:
  struct sJob;

  bool StartWorkers();
  void WorkerLoop();
  // Decodes the oldest job no worker has taken; lock_ is held, and released meanwhile.
  void DecodeNext(std::unique_lock<std::mutex>& lock);
  // Until the oldest thumbnail is decoded, helps decode or waits; lock_ is held.
  void WaitForHead(std::unique_lock<std::mutex>& lock);

  cEventLoop& loop_;
  const uint32_t workers_wanted_;
  const Deliver deliver_;
  bool start_failed_ = false;

  int wake_fd_ = -1;  // an eventfd the workers count up when a picture is ready; watched
  cEventLoop::WatchId wake_watch_ = 0;
  std::vector<std::thread> threads_;

  mutable std::mutex lock_;
  std::condition_variable work_ready_;       // workers wait here for a job or the stop
  std::condition_variable job_done_;         // Submit and DeliverAll wait here for the head
  std::deque<std::unique_ptr<sJob>> queue_;  // every job not yet handed back, oldest first
  std::deque<sJob*> to_decode_;              // jobs no worker has taken yet
  size_t idle_workers_ = 0;                  // workers waiting for a job
  size_t head_waiters_ = 0;                  // threads waiting for the head to be decoded
  bool wake_signalled_ = false;              // the descriptor has been counted up and not yet read
  bool stopping_ = false;
  bool delivering_ = false;  // a delivery is running: a nested one would break the order
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIDEO_THUMBNAIL_DECODER_H_
