// libFuzzer target: arbitrary bytes as what a peer sends on the backbone bus. The first byte chooses the
// size of the pieces the bytes arrive in; the frame reader takes them piece by piece, and the whole input is
// also offered to the message streamer as a body. Besides crashes and sanitizer reports it checks two
// properties: a frame that was read encodes back to exactly the bytes it was read from, and a body the
// streamer accepted yields items that re-encode to the same body.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "CATBBMessage.h"
#include "CATBBMessageData.h"
#include "CATBackboneFrameReader.h"
#include "CATIBBStreamer.h"

namespace {

void ReadFrames(std::string_view bytes, size_t piece) {
  CATBackboneFrameReader reader;
  size_t frameStart = 0;
  size_t at = 0;
  while (at < bytes.size()) {
    std::string_view input = bytes.substr(at, piece);
    const size_t offered = input.size();
    CATBackboneFrameReader::Status status = reader.Feed(input);
    at += offered - input.size();
    if (status == CATBackboneFrameReader::kError) return;
    if (status == CATBackboneFrameReader::kFrame) {
      if (CATBackboneEncodeFrame(reader.Frame()) != bytes.substr(frameStart, at - frameStart)) std::abort();
      frameStart = at;
    } else if (input.size() != 0) {
      std::abort();  // wanting more must mean everything offered was taken
    }
  }
}

void Unstream(std::string_view bytes) {
  auto* message = new CATBBMessage;
  CATIBBStreamer* streamer = nullptr;
  if (SUCCEEDED(message->QueryInterface(IID_CATIBBStreamer, reinterpret_cast<void**>(&streamer)))) {
    if (SUCCEEDED(streamer->BeginUnstream(bytes.data(), static_cast<uint32_t>(bytes.size())))) {
      for (int item = 0; item < 100000; ++item) {
        uint32_t size = streamer->GetStringLength();
        // A block of exactly the announced size: AddressSanitizer sees any write past it.
        std::vector<char> block(size ? size : 1);
        if (FAILED(streamer->UnstreamString(block.data(), static_cast<uint32_t>(block.size())))) break;
      }
      streamer->EndUnstream();
      std::vector<std::string> items;
      if (!CATBBDecodeItems(bytes, &items)) std::abort();
      std::string encoded;
      for (const std::string& text : items) CATBBEncodeItem(encoded, text);
      if (encoded != bytes) std::abort();
    }
    streamer->Release();
  }
  message->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 64;
  std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  ReadFrames(bytes, piece);
  Unstream(bytes);
  return 0;
}
