#include "client/views/video/thumbnail_decoder.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <exception>
#include <new>
#include <utility>

#include "client/picture/bitmap.h"
#include "client/picture/picture_loader.h"
#include "core/status.h"

namespace hv {

struct cThumbnailDecoder::sJob {
  ThumbnailRecord record;
  std::vector<uint8_t> bytes;  // the encoded picture, until a worker has decoded it
  cBitmap picture;
  bool decoded = false;  // picture (or its failure) is final; guarded by lock_
  bool loaded = false;   // the picture decoded
};

uint32_t cThumbnailDecoder::WorkersForThisMachine() {
  const uint32_t cores = std::max(1u, std::thread::hardware_concurrency());  // 0: unknown
  return std::clamp(cores - 1, 1u, 4u);
}

cThumbnailDecoder::cThumbnailDecoder(cEventLoop& loop, uint32_t workers, Deliver deliver)
    : loop_(loop), workers_wanted_(workers), deliver_(std::move(deliver)) {}

cThumbnailDecoder::~cThumbnailDecoder() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  if (wake_fd_ >= 0) {
    loop_.RemoveWatch(wake_watch_);
    ::close(wake_fd_);
  }
}

bool cThumbnailDecoder::StartWorkers() {
  if (!threads_.empty()) return true;
  if (workers_wanted_ == 0 || start_failed_) return false;
  wake_fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_fd_ < 0) {
    start_failed_ = true;
    return false;
  }
  wake_watch_ = loop_.WatchReadable(wake_fd_, [this] { DeliverReady(); });
  try {
    for (uint32_t i = 0; i < workers_wanted_; ++i) threads_.emplace_back([this] { WorkerLoop(); });
  } catch (const std::exception&) {
    // Fewer threads than asked for still decode; none at all means decoding in place.
    if (threads_.empty()) start_failed_ = true;
  }
  return !threads_.empty();
}

void cThumbnailDecoder::WorkerLoop() {
  std::unique_lock<std::mutex> lock(lock_);
  for (;;) {
    ++idle_workers_;
    work_ready_.wait(lock, [this] { return stopping_ || !to_decode_.empty(); });
    --idle_workers_;
    if (stopping_) return;
    DecodeNext(lock);
  }
}

void cThumbnailDecoder::DecodeNext(std::unique_lock<std::mutex>& lock) {
  sJob* job = to_decode_.front();
  to_decode_.pop_front();
  lock.unlock();
  // The job stays queued (and alive) until it is marked decoded: only then may the event
  // loop's thread hand it back or the destructor drop it.
  job->loaded = LoadPictureFromMemory(job->bytes.data(), job->bytes.size(), &job->picture).ok();
  std::vector<uint8_t>().swap(job->bytes);
  lock.lock();
  job->decoded = true;
  // Only the head of the queue can be handed back; a job behind it goes with it later.
  if (job != queue_.front().get()) return;
  if (head_waiters_ > 0) job_done_.notify_all();
  if (!wake_signalled_ && wake_fd_ >= 0) {
    wake_signalled_ = true;
    const uint64_t one = 1;
    // A full counter (never, in practice) already wakes the loop, so a failed write loses
    // nothing.
    (void)!::write(wake_fd_, &one, sizeof one);
  }
}

Status cThumbnailDecoder::Submit(const ThumbnailRecord& record, const ThumbnailPicture& encoded) {
  auto job = std::make_unique<sJob>();
  job->record = record;
  const bool in_memory = encoded.file == nullptr;
  if (!in_memory || !StartWorkers()) {
    job->loaded = (in_memory ? LoadPictureFromMemory(encoded.bytes, encoded.size, &job->picture)
                             : LoadPictureFile(encoded.file, &job->picture))
                      .ok();
    job->decoded = true;
  } else {
    try {
      job->bytes.assign(encoded.bytes, encoded.bytes + encoded.size);
    } catch (const std::bad_alloc&) {
      // No message: making one would need the memory that just ran out.
      return Status(Where::kUi, hv::kOutOfMemory);
    }
  }

  const bool decoded_here = job->decoded;
  {
    std::unique_lock<std::mutex> lock(lock_);
    while (queue_.size() >= kMaxQueued && !delivering_) {
      WaitForHead(lock);
      lock.unlock();
      DeliverReady();
      lock.lock();
    }
    if (!job->decoded) {
      to_decode_.push_back(job.get());
      if (idle_workers_ > 0) work_ready_.notify_one();
    }
    queue_.push_back(std::move(job));
  }
  // A picture decoded here is handed back now when nothing is ahead of it, as the caller
  // expects of decoding in place; otherwise the worker decoding the one ahead wakes the loop.
  if (decoded_here) DeliverReady();
  return Status::Ok();
}

void cThumbnailDecoder::WaitForHead(std::unique_lock<std::mutex>& lock) {
  while (!queue_.empty() && !queue_.front()->decoded) {
    // Rather than sleep, this thread decodes what no worker has taken yet.
    if (!to_decode_.empty()) {
      DecodeNext(lock);
      continue;
    }
    ++head_waiters_;
    job_done_.wait(lock);
    --head_waiters_;
  }
}

void cThumbnailDecoder::DeliverReady() {
  if (wake_fd_ >= 0) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      wake_signalled_ = false;
    }
    // Cleared after the flag, so a picture finished in between is found below.
    uint64_t count = 0;
    (void)!::read(wake_fd_, &count, sizeof count);
  }
  if (delivering_) return;
  delivering_ = true;
  for (;;) {
    std::unique_ptr<sJob> job;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (queue_.empty() || !queue_.front()->decoded) break;
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    if (job->loaded && deliver_) deliver_(job->record, job->picture);
  }
  delivering_ = false;
}

void cThumbnailDecoder::DeliverAll() {
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(lock_);
      if (queue_.empty()) return;
      WaitForHead(lock);
    }
    DeliverReady();
    if (delivering_) return;  // called from inside a delivery: the outer one goes on
  }
}

size_t cThumbnailDecoder::Pending() const {
  std::lock_guard<std::mutex> guard(lock_);
  return queue_.size();
}

}  // namespace hv
