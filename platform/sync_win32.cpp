// The slim lock and condition variable of Windows.
#include <windows.h>

#include "platform/sync.h"

namespace platform {

struct TMutex::TImpl {
  SRWLOCK lock = SRWLOCK_INIT;
};

TMutex::TMutex() : impl_(std::make_unique<TImpl>()) {}
TMutex::~TMutex() = default;
void TMutex::lock() { AcquireSRWLockExclusive(&impl_->lock); }
void TMutex::unlock() { ReleaseSRWLockExclusive(&impl_->lock); }

struct TCondition::TImpl {
  CONDITION_VARIABLE condition = CONDITION_VARIABLE_INIT;
};

TCondition::TCondition() : impl_(std::make_unique<TImpl>()) {}
TCondition::~TCondition() = default;

void TCondition::WaitOnce(TMutex& mutex, std::chrono::milliseconds timeout) {
  const DWORD milliseconds = timeout.count() < 0 ? INFINITE : static_cast<DWORD>(timeout.count());
  SleepConditionVariableSRW(&impl_->condition, &mutex.impl_->lock, milliseconds, 0);
}

void TCondition::NotifyOne() { WakeConditionVariable(&impl_->condition); }
void TCondition::NotifyAll() { WakeAllConditionVariable(&impl_->condition); }

}  // namespace platform
