// The fuzzer's input handed out piece by piece, as a device hands out the bytes it sends. Once it
// runs dry every read gets nothing, as from a silent line, so each run ends quickly.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace rukmox::fuzz {

class ByteSource {
 public:
  ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  // Copies up to `count` bytes into `into`; how many it copied.
  std::size_t Take(void* into, std::size_t count) {
    const std::size_t n = std::min(count, size_ - position_);
    if (n > 0) std::memcpy(into, data_ + position_, n);
    position_ += n;
    return n;
  }
  std::uint8_t Byte() {
    std::uint8_t b = 0;
    Take(&b, 1);
    return b;
  }
  std::size_t Left() const { return size_ - position_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

}  // namespace rukmox::fuzz
