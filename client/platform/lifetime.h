// hv::cLifetime: lets a caller that waits learn afterwards whether the object it works on is
// still in service. Every wait runs the event loop, and an event may retire or destroy that
// object; a caller takes a Watch before the wait and asks it afterwards, without touching
// the object itself.
#ifndef HV_CLIENT_PLATFORM_LIFETIME_H_
#define HV_CLIENT_PLATFORM_LIFETIME_H_

#include <memory>

namespace hv {

class cLifetime {
 public:
  // Outlives the object it was taken from; safe to ask at any time.
  class cWatch {
   public:
    cWatch() = default;
    bool Alive() const { return state_ != nullptr && *state_; }

   private:
    friend class cLifetime;
    explicit cWatch(std::shared_ptr<const bool> state) : state_(std::move(state)) {}
    std::shared_ptr<const bool> state_;
  };

  cLifetime() : state_(std::make_shared<bool>(true)) {}
  ~cLifetime() { *state_ = false; }
  cLifetime(const cLifetime&) = delete;
  cLifetime& operator=(const cLifetime&) = delete;

  // The object is out of service from now on (retired), though it may not be freed yet.
  void End() { *state_ = false; }
  bool Ended() const { return !*state_; }
  cWatch Watch() const { return cWatch(state_); }

 private:
  std::shared_ptr<bool> state_;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_LIFETIME_H_
