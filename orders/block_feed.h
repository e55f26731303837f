// Feeding bytes that come in any pieces to a function that works on whole
// blocks of N bytes (the hashes), keeping a partial block between calls.
#ifndef TALIQ_ORDERS_BLOCK_FEED_H_
#define TALIQ_ORDERS_BLOCK_FEED_H_

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace taliq {

// Calls `blocks(p, n)` for runs of n whole blocks at p: first the held
// partial block once it is full, then the whole blocks of `bytes`; what is
// left is held in `partial` (its first `*used` bytes).
template <std::size_t N, typename F>
void FeedBlocks(const std::uint8_t* bytes, std::size_t size, std::array<std::uint8_t, N>* partial,
                std::size_t* used, F blocks) {
  if (*used > 0) {
    const std::size_t take = std::min(size, N - *used);
    std::memcpy(partial->data() + *used, bytes, take);
    *used += take;
    bytes += take;
    size -= take;
    if (*used < N) return;
    blocks(partial->data(), std::size_t{1});
    *used = 0;
  }
  if (size >= N) blocks(bytes, size / N);
  bytes += size / N * N;
  size %= N;
  if (size > 0) std::memcpy(partial->data(), bytes, size);
  *used = size;
}

}  // namespace taliq

#endif  // TALIQ_ORDERS_BLOCK_FEED_H_
