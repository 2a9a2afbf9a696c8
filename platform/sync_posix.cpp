// The standard mutex and condition variable.
#include <condition_variable>

#include "platform/sync.h"

namespace platform {

struct TMutex::TImpl {
  std::mutex mutex;
};

TMutex::TMutex() : impl_(std::make_unique<TImpl>()) {}
TMutex::~TMutex() = default;
void TMutex::lock() { impl_->mutex.lock(); }
void TMutex::unlock() { impl_->mutex.unlock(); }

struct TCondition::TImpl {
  std::condition_variable condition;
};

TCondition::TCondition() : impl_(std::make_unique<TImpl>()) {}
TCondition::~TCondition() = default;

void TCondition::WaitOnce(TMutex& mutex, std::chrono::milliseconds timeout) {
  // The caller holds the mutex, and holds it again afterwards.
  std::unique_lock<std::mutex> lock(mutex.impl_->mutex, std::adopt_lock);
  if (timeout.count() < 0) {
    impl_->condition.wait(lock);
  } else {
    impl_->condition.wait_for(lock, timeout);
  }
  lock.release();
}

void TCondition::NotifyOne() { impl_->condition.notify_one(); }
void TCondition::NotifyAll() { impl_->condition.notify_all(); }

}  // namespace platform
