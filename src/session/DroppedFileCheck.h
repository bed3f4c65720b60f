#pragma once

#include <cstdint>
#include <string>

namespace vaddex {

// No calculator object is longer than its 20-bit nibble length field allows (512 KiB); its
// text form, with every character written as a four-byte escape, is at most four times that.
inline constexpr std::int64_t kLargestSendableFile = 4 * 512 * 1024;

// Why a file dropped or pasted onto the calculator cannot be sent: a folder, a device or other
// special file (reading one could block for ever), a file that cannot be read, an empty file
// or one too large for any calculator. Empty when it can be sent.
std::string WhyNotSendable(const std::string& path);

}  // namespace vaddex
