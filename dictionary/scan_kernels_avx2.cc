// The scan kernel for AVX2: 32 bytes to a register. Compiled with -mavx2 and
// run only where the processor reports AVX2.
#include "dictionary/scan_kernels.h"
#include "dictionary/vector_scan.h"

namespace taliq {

const ScanOps kAvx2ScanOps = VectorScanOps<32>();

}  // namespace taliq
