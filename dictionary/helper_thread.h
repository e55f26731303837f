// One thread kept for the life of the process that runs one job at a time
// beside the thread that gave it: what the copy check shares its reading
// with (table_check_scan.cc). Only where the C++ library has threads (not
// MinGW's with Windows threads): TALIQ_HELPER_THREAD says whether it does.
#ifndef TALIQ_DICTIONARY_HELPER_THREAD_H_
#define TALIQ_DICTIONARY_HELPER_THREAD_H_

#include <cstddef>  // the library's configuration, which tells about threads

#if defined(_GLIBCXX_HAS_GTHREADS) || (defined(_LIBCPP_VERSION) && !defined(_LIBCPP_HAS_NO_THREADS))
#define TALIQ_HELPER_THREAD 1
#else
#define TALIQ_HELPER_THREAD 0
#endif

#if TALIQ_HELPER_THREAD
#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace taliq {

// Started for the first job and never stopped: the process ends with it
// waiting.
class HelperThread {
 public:
  static HelperThread& Get();

  // Starts `job` on the helper: false, with nothing started, while it runs
  // another caller's job or when no thread can be had.
  bool Start(std::function<void()> job) noexcept;
  // Waits until the job Start started has run.
  void Wait();

 private:
  HelperThread() = default;
  void Loop();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::function<void()> job_;
  bool started_ = false;
  pid_t startedIn_ = 0;  // the process the helper was started in
  bool busy_ = false;
  std::atomic<bool> ready_{false};     // a job waits for the helper
  std::atomic<bool> finished_{false};  // the job has run
};

}  // namespace taliq

#endif  // TALIQ_HELPER_THREAD
#endif  // TALIQ_DICTIONARY_HELPER_THREAD_H_
