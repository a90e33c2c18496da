#include "CATBackboneFrameReader.h"

#include <algorithm>

#include "CATBBMessageData.h"

namespace {

constexpr char kMagic[4] = {'C', 'A', 'T', 'B'};
constexpr uint8_t kVersion = 1;
constexpr uint8_t kFlagAnswerWanted = 1;
constexpr size_t kMaxNameLength = 64;

void PutU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t GetU32(std::string_view in, size_t at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
  return value;
}

// Reads "uint8 length, bytes" at pos; false when it runs past the payload or the length is 0 or too long.
bool ReadName(std::string_view payload, size_t& pos, std::string& name) {
  if (pos >= payload.size()) return false;
  size_t length = static_cast<unsigned char>(payload[pos]);
  if (length == 0 || length > kMaxNameLength || payload.size() - pos - 1 < length) return false;
  name.assign(payload.substr(pos + 1, length));
  pos += 1 + length;
  return true;
}

}  // namespace

std::string CATBackboneEncodeFrame(const CATBackboneFrame& frame) {
  std::string payload;
  switch (frame.kind) {
    case CATBackboneFrameKind::Request:
      if (!CATBBIsValidApplicationName(frame.application)) return {};
      payload.push_back(static_cast<char>(frame.application.size()));
      payload += frame.application;
      [[fallthrough]];
    case CATBackboneFrameKind::Answer:
      if (!CATBBIsValidClassName(frame.messageClass)) return {};
      payload.push_back(static_cast<char>(frame.messageClass.size()));
      payload += frame.messageClass;
      payload += frame.body;
      break;
    case CATBackboneFrameKind::Error:
      PutU32(payload, frame.errorId);
      break;
    default:
      return {};
  }
  if (payload.size() > kCATBackboneMaxPayload) return {};
  std::string out(kMagic, sizeof kMagic);
  out.push_back(static_cast<char>(kVersion));
  out.push_back(static_cast<char>(frame.kind));
  bool flag = frame.kind == CATBackboneFrameKind::Request && frame.answerWanted;
  out.push_back(static_cast<char>(flag ? kFlagAnswerWanted : 0));
  out.push_back('\0');
  PutU32(out, frame.requestId);
  PutU32(out, static_cast<uint32_t>(payload.size()));
  return out + payload;
}

CATBackboneFrameReader::Status CATBackboneFrameReader::Fail(const std::string& reason) {
  if (error_.empty()) error_ = reason;
  return kError;
}

bool CATBackboneFrameReader::CheckHeader() {
  std::string_view header(buffer_.data(), kCATBackboneFrameHeaderSize);
  if (header.substr(0, 4) != std::string_view(kMagic, 4)) return Fail("bad magic"), false;
  if (static_cast<uint8_t>(header[4]) != kVersion) return Fail("unsupported version"), false;
  uint8_t kind = static_cast<uint8_t>(header[5]);
  if (kind < 1 || kind > 3) return Fail("unknown frame kind"), false;
  uint8_t flags = static_cast<uint8_t>(header[6]);
  if ((flags & ~kFlagAnswerWanted) != 0 || (flags && kind != 1) || header[7] != '\0')
    return Fail("bad flags"), false;
  payloadLength_ = GetU32(header, 12);
  if (payloadLength_ > kCATBackboneMaxPayload)
    return Fail("frame of " + std::to_string(payloadLength_) + " bytes is over the limit"), false;
  frame_ = CATBackboneFrame();
  frame_.kind = static_cast<CATBackboneFrameKind>(kind);
  frame_.answerWanted = flags != 0;
  frame_.requestId = GetU32(header, 8);
  headerChecked_ = true;
  return true;
}

bool CATBackboneFrameReader::ParsePayload() {
  std::string_view payload(buffer_);
  payload.remove_prefix(kCATBackboneFrameHeaderSize);
  size_t pos = 0;
  switch (frame_.kind) {
    case CATBackboneFrameKind::Request:
      if (!ReadName(payload, pos, frame_.application) || !CATBBIsValidApplicationName(frame_.application))
        return Fail("malformed application name"), false;
      [[fallthrough]];
    case CATBackboneFrameKind::Answer:
      if (!ReadName(payload, pos, frame_.messageClass) || !CATBBIsValidClassName(frame_.messageClass))
        return Fail("malformed message class"), false;
      frame_.body.assign(payload.substr(pos));
      return true;
    case CATBackboneFrameKind::Error:
      if (payload.size() != 4) return Fail("malformed error frame"), false;
      frame_.errorId = GetU32(payload, 0);
      return true;
  }
  return Fail("unknown frame kind"), false;
}

CATBackboneFrameReader::Status CATBackboneFrameReader::Feed(std::string_view& input) {
  if (!error_.empty()) return kError;
  if (!headerChecked_) {
    size_t take = std::min(input.size(), kCATBackboneFrameHeaderSize - buffer_.size());
    buffer_.append(input.substr(0, take));
    input.remove_prefix(take);
    if (buffer_.size() < kCATBackboneFrameHeaderSize) return kNeedMore;
    if (!CheckHeader()) return kError;
  }
  size_t total = kCATBackboneFrameHeaderSize + payloadLength_;
  size_t take = std::min(input.size(), total - buffer_.size());
  buffer_.append(input.substr(0, take));
  input.remove_prefix(take);
  if (buffer_.size() < total) return kNeedMore;
  bool ok = ParsePayload();
  buffer_.clear();
  headerChecked_ = false;
  payloadLength_ = 0;
  return ok ? kFrame : kError;
}
