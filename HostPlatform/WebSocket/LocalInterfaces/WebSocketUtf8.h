#ifndef WebSocketUtf8_h
#define WebSocketUtf8_h
// A UTF-8 check that can be fed piece by piece: text messages arrive in frames that may split a sequence.
// Overlong forms, surrogates and code points above U+10FFFF are refused.
#include <cstddef>
#include <cstdint>

class WebSocketUtf8 {
 public:
  // False as soon as the bytes so far cannot begin valid UTF-8.
  bool Feed(const std::uint8_t* data, std::size_t size);
  // True when the bytes so far end at a character boundary.
  bool Complete() const { return needed_ == 0; }
  void Reset() { *this = WebSocketUtf8(); }

  static bool IsValid(const std::uint8_t* data, std::size_t size) {
    WebSocketUtf8 check;
    return check.Feed(data, size) && check.Complete();
  }

 private:
  int needed_ = 0;  // continuation bytes still due
  std::uint8_t low_ = 0x80;
  std::uint8_t high_ = 0xBF;  // the range of the next continuation byte
};

#endif
