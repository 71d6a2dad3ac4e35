#pragma once

#include <cstddef>
#include <cstdint>

namespace lumivex {

// A borrowed view of one buffered frame as still capture takes it: 24-bit blue-green-red pixels, the
// bottom row first, rows stride bytes apart. The owner keeps the bytes alive for the call.
struct StillFrame {
  int width = 0;
  int height = 0;
  int stride = 0;
  const std::uint8_t* bottomUp = nullptr;
  std::size_t length = 0;  // bytes readable at bottomUp

  // Whether the pixels cover every row the header promises (a short buffer is never read past its end).
  bool valid() const {
    return width > 0 && height > 0 && bottomUp != nullptr && static_cast<long long>(stride) >= width * 3LL &&
           static_cast<unsigned long long>(stride) * static_cast<unsigned long long>(height) <= length;
  }
};

}  // namespace lumivex
