#include "WebSocketUtf8.h"

bool WebSocketUtf8::Feed(const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    std::uint8_t byte = data[i];
    if (needed_ > 0) {
      if (byte < low_ || byte > high_) return false;
      --needed_;
      low_ = 0x80;
      high_ = 0xBF;
      continue;
    }
    if (byte < 0x80) continue;
    if (byte >= 0xC2 && byte <= 0xDF) {
      needed_ = 1;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
      needed_ = 2;
      if (byte == 0xE0) low_ = 0xA0;   // overlong
      if (byte == 0xED) high_ = 0x9F;  // surrogates
    } else if (byte >= 0xF0 && byte <= 0xF4) {
      needed_ = 3;
      if (byte == 0xF0) low_ = 0x90;   // overlong
      if (byte == 0xF4) high_ = 0x8F;  // above U+10FFFF
    } else {
      return false;
    }
  }
  return true;
}
