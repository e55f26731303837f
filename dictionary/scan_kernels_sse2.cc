// The scan kernel for SSE2: 16 bytes to a register. Compiled with -msse2.
#include "dictionary/scan_kernels.h"
#include "dictionary/vector_scan.h"

namespace taliq {

const ScanOps kSse2ScanOps = VectorScanOps<16>();

}  // namespace taliq
