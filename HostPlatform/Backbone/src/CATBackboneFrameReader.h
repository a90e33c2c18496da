#ifndef CATBackboneFrameReader_h
#define CATBackboneFrameReader_h
// The frames of the bus and their incremental reader. A connection carries one request frame from the
// requester and, when an answer was wanted, one answer or error frame back.
//
// Every frame starts with a 16-byte header (integers little-endian):
//   offset  size  field
//   0       4     magic "CATB"
//   4       1     version, 1
//   5       1     kind: 1 request, 2 answer, 3 error
//   6       1     flags: bit 0 = an answer is wanted (requests only); the other bits are 0
//   7       1     reserved, 0
//   8       4     request id, chosen by the requester and echoed by the answer or error
//   12      4     payload length, at most 1 MiB
// and the payload follows:
//   request: uint8 n, n bytes of target application ([A-Za-z0-9_.-], 1..64),
//            uint8 m, m bytes of message class ([A-Za-z0-9_], 1..64), then the streamed body (the rest);
//   answer:  uint8 m, m bytes of message class, then the streamed body (the rest);
//   error:   uint32 error id (one of CATICommunicator's error ids), exactly 4 bytes.
// The header is checked as soon as its 16 bytes are in, so a frame announcing more than the limit is
// refused before anything of its payload is buffered.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class CATBackboneFrameKind : uint8_t { Request = 1, Answer = 2, Error = 3 };

struct CATBackboneFrame {
  CATBackboneFrameKind kind = CATBackboneFrameKind::Request;
  bool answerWanted = false;
  uint32_t requestId = 0;
  std::string application;   // request
  std::string messageClass;  // request, answer
  std::string body;          // request, answer
  uint32_t errorId = 0;      // error
};

inline constexpr size_t kCATBackboneFrameHeaderSize = 16;
inline constexpr uint32_t kCATBackboneMaxPayload = 1u << 20;

// The bytes of a frame; empty when a field is out of its bounds (names, payload size).
std::string CATBackboneEncodeFrame(const CATBackboneFrame& frame);

class CATBackboneFrameReader {
 public:
  enum Status { kNeedMore, kFrame, kError };

  // Takes bytes from the front of input, never past the end of the frame under way. kFrame: Frame() holds
  // it and the next call starts a new frame. kError: Error() says why; every later call answers kError.
  Status Feed(std::string_view& input);
  const CATBackboneFrame& Frame() const { return frame_; }
  const std::string& Error() const { return error_; }
  // Whether part of a frame has been read.
  bool MidFrame() const { return !buffer_.empty(); }

 private:
  Status Fail(const std::string& reason);
  bool CheckHeader();
  bool ParsePayload();

  std::string buffer_;
  uint32_t payloadLength_ = 0;
  bool headerChecked_ = false;
  CATBackboneFrame frame_;
  std::string error_;
};

#endif
