#include "dictionary/helper_thread.h"

#if TALIQ_HELPER_THREAD
#include <unistd.h>

#include <chrono>
#include <thread>

namespace taliq {
namespace {

// A check gives the helper a table every few tenths of a millisecond, and
// waits for its last piece: waking a sleeping thread takes longer than that
// on some machines, so each side watches a while before it sleeps.
constexpr std::chrono::microseconds kIdleSpin{300};
constexpr std::chrono::microseconds kWaitSpin{200};

void SpinUntil(const std::atomic<bool>& flag, std::chrono::microseconds most) {
  const auto until = std::chrono::steady_clock::now() + most;
  while (!flag.load(std::memory_order_acquire)) {
    for (int i = 0; i < 16; ++i) {
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#endif
    }
    if (std::chrono::steady_clock::now() >= until) return;
  }
}

}  // namespace

HelperThread& HelperThread::Get() {
  static HelperThread& helper = *new HelperThread;
  return helper;
}

bool HelperThread::Start(std::function<void()> job) noexcept {
  try {
    std::lock_guard<std::mutex> lock(mutex_);
    if (busy_) return false;
    // A child a fork made has no helper, whatever its parent had.
    if (!started_ || startedIn_ != ::getpid()) {
      std::thread([this] { Loop(); }).detach();
      started_ = true;
      startedIn_ = ::getpid();
    }
    job_ = std::move(job);
    busy_ = true;
    finished_ = false;
    ready_ = true;
  } catch (...) {
    return false;
  }
  wake_.notify_one();
  return true;
}

void HelperThread::Wait() {
  SpinUntil(finished_, kWaitSpin);
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return finished_.load(); });
  busy_ = false;
}

void HelperThread::Loop() {
  for (;;) {
    SpinUntil(ready_, kIdleSpin);
    std::function<void()> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return ready_.load(); });
      job = std::move(job_);
      job_ = nullptr;
      ready_ = false;
    }
    job();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
  }
}

}  // namespace taliq

#endif  // TALIQ_HELPER_THREAD
