// CRC-32 as zlib, PNG and Ethernet compute it (reflected polynomial
// 0xEDB88320, initial value and final XOR 0xFFFFFFFF): the checksum of the
// rollback journal.
#ifndef TALIQ_PLATFORM_CRC32_H_
#define TALIQ_PLATFORM_CRC32_H_

#include <cstdint>
#include <string_view>

namespace taliq {

// The CRC-32 of `bytes`; Crc32("123456789") is 0xCBF43926.
std::uint32_t Crc32(std::string_view bytes);

}  // namespace taliq

#endif  // TALIQ_PLATFORM_CRC32_H_
