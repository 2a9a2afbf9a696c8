// Keeps the system from going to sleep while a run goes on, through the calling thread's execution
// state; the display may still turn off. Back to normal when told so and when the owner goes.
#pragma once

#include <windows.h>

class TKeepAwake {
 public:
  TKeepAwake() = default;
  TKeepAwake(const TKeepAwake&) = delete;
  TKeepAwake& operator=(const TKeepAwake&) = delete;
  ~TKeepAwake() { Set(false); }

  // Only from the thread that owns it: the state belongs to the thread.
  void Set(bool awake) {
    if (awake == awake_) return;
    awake_ = awake;
    SetThreadExecutionState(awake ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
  }

 private:
  bool awake_ = false;
};
