// Which scan kernel runs. TALIQ_SCAN_SSE2 and TALIQ_SCAN_AVX2 come from
// dictionary/CMakeLists.txt, which compiles the matching kernel files.
#include "dictionary/scan_kernels.h"

#include <atomic>
#include <initializer_list>

namespace taliq {
namespace {

// The kernel in use, or -1 before the first lookup picks one.
std::atomic<int> activeKernel{-1};

// The searches of a kernel this build has; null for the others.
const ScanOps* BuiltKernel(ScanKernel kernel) {
  switch (kernel) {
    case ScanKernel::kPortable:
      return &kPortableScanOps;
#if defined(TALIQ_SCAN_SSE2)
    case ScanKernel::kSse2:
      return &kSse2ScanOps;
#endif
#if defined(TALIQ_SCAN_AVX2)
    case ScanKernel::kAvx2:
      return &kAvx2ScanOps;
#endif
    default:
      return nullptr;
  }
}

// Whether the processor has the instructions the kernel uses.
bool ProcessorRuns(ScanKernel kernel) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  if (kernel == ScanKernel::kSse2) return __builtin_cpu_supports("sse2");
  if (kernel == ScanKernel::kAvx2) return __builtin_cpu_supports("avx2");
#endif
  return kernel == ScanKernel::kPortable;
}

ScanKernel FastestScanKernel() {
  for (ScanKernel k : {ScanKernel::kAvx2, ScanKernel::kSse2}) {
    if (ScanKernelAvailable(k)) return k;
  }
  return ScanKernel::kPortable;
}

}  // namespace

bool ScanKernelAvailable(ScanKernel kernel) {
  return BuiltKernel(kernel) != nullptr && ProcessorRuns(kernel);
}

bool UseScanKernel(ScanKernel kernel) {
  if (!ScanKernelAvailable(kernel)) return false;
  activeKernel.store(static_cast<int>(kernel), std::memory_order_relaxed);
  return true;
}

ScanKernel ActiveScanKernel() {
  int kernel = activeKernel.load(std::memory_order_relaxed);
  if (kernel < 0) {
    // Every thread that gets here picks the same.
    kernel = static_cast<int>(FastestScanKernel());
    activeKernel.store(kernel, std::memory_order_relaxed);
  }
  return static_cast<ScanKernel>(kernel);
}

const ScanOps& ActiveScanOps() { return *BuiltKernel(ActiveScanKernel()); }

}  // namespace taliq
