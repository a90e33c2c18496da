// The message and its streamer, the wire frames and their reader, and the default answer time-out.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CATBBMessageData.h"
#include "CATBackboneCommunicator.h"
#include "CATBackboneFrameReader.h"
#include "ZELTestSupport.h"
#include "backbone_test_message.h"

namespace {

std::string U32(uint32_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return out;
}

class StreamerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    message_ = new CATBBTestMessage;
    ASSERT_EQ(S_OK, message_->QueryInterface(IID_CATIBBStreamer, reinterpret_cast<void**>(&streamer_)));
  }
  void TearDown() override {
    streamer_->Release();
    EXPECT_EQ(0u, message_->Release());
  }
  std::string Stream(std::initializer_list<const char*> texts) {
    EXPECT_EQ(S_OK, streamer_->BeginStream());
    for (const char* text : texts) EXPECT_EQ(S_OK, streamer_->StreamString(text));
    void* buffer = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(S_OK, streamer_->EndStream(&buffer, &length));
    std::string bytes(static_cast<const char*>(buffer), length);
    EXPECT_EQ(S_OK, streamer_->FreeStreamedBuffer());
    return bytes;
  }

  CATBBTestMessage* message_ = nullptr;
  CATIBBStreamer* streamer_ = nullptr;
};

TEST_F(StreamerTest, ItemsComeBackInOrderWithTheirSizes) {
  const std::string bytes = Stream({"command", nullptr, "", "x", "tail text"});
  EXPECT_EQ(4 + 7 + 4 + 4 + 4 + 1 + 4 + 9u, bytes.size());
  ASSERT_EQ(S_OK, streamer_->BeginUnstream(bytes.data(), static_cast<uint32_t>(bytes.size())));
  const uint32_t sizes[] = {8, 0, 0, 2, 10};
  const char* texts[] = {"command", "", "", "x", "tail text"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(sizes[i], streamer_->GetStringLength()) << i;
    char text[16];
    std::memset(text, '#', sizeof text);
    ASSERT_EQ(S_OK, streamer_->UnstreamString(text, sizeof text)) << i;
    EXPECT_STREQ(texts[i], text);
  }
  EXPECT_EQ(0u, streamer_->GetStringLength());
  char text[4] = "abc";
  EXPECT_EQ(E_FAIL, streamer_->UnstreamString(text, sizeof text));
  EXPECT_STREQ("abc", text);
  EXPECT_EQ(S_OK, streamer_->EndUnstream());
  EXPECT_EQ(E_FAIL, streamer_->EndUnstream());
}

TEST_F(StreamerTest, UnstreamStringStaysInsideTheCallersBlock) {
  const std::string bytes = Stream({"0123456789", "second", "third"});
  ASSERT_EQ(S_OK, streamer_->BeginUnstream(bytes.data(), static_cast<uint32_t>(bytes.size())));
  char block[8];
  std::memset(block, '#', sizeof block);
  ASSERT_EQ(S_OK, streamer_->UnstreamString(block, 4));  // cut to fit, still terminated
  EXPECT_STREQ("012", block);
  EXPECT_EQ('#', block[4]);
  // A zero-sized block takes nothing, writes nothing, and moves on.
  block[0] = '#';
  EXPECT_EQ(S_OK, streamer_->UnstreamString(block, 0));
  EXPECT_EQ('#', block[0]);
  EXPECT_EQ(E_INVALIDARG, streamer_->UnstreamString(nullptr, 5));
  ASSERT_EQ(S_OK, streamer_->UnstreamString(block, sizeof block));
  EXPECT_STREQ("third", block);
}

TEST_F(StreamerTest, HostileBuffersAreRefusedWhole) {
  const std::string good = Stream({"ab", "cd"});
  const std::string hostile[] = {
      good + "x",                             // a byte beyond the last item
      good.substr(0, good.size() - 1),        // last item cut short
      good.substr(0, 2),                      // size field cut short
      U32(0xFFFFFFFFu) + "abc",               // size far beyond the buffer
      U32(5) + "abcd" + U32(1),               // an empty text spelt as size 1
      U32(1),                                 //   the same alone
      U32(3) + "ab" + U32(0x80000000u) + "",  // second item beyond the buffer
  };
  for (const std::string& bytes : hostile) {
    EXPECT_EQ(E_FAIL, streamer_->BeginUnstream(bytes.data(), static_cast<uint32_t>(bytes.size())))
        << testing::PrintToString(bytes);
    EXPECT_EQ(0u, streamer_->GetStringLength());
    char text[4] = "abc";
    EXPECT_EQ(E_FAIL, streamer_->UnstreamString(text, sizeof text));
  }
  EXPECT_EQ(E_FAIL, streamer_->BeginUnstream(nullptr, 4));
  // An empty body is a body without items.
  EXPECT_EQ(S_OK, streamer_->BeginUnstream(nullptr, 0));
  EXPECT_EQ(0u, streamer_->GetStringLength());
}

TEST(BBMessage, FacetsShareTheMessageAndCheckTheClassName) {
  auto* message = new CATBBTestMessage;
  CATICommMsg* comm = nullptr;
  CATIBBStreamer* streamer = nullptr;
  ASSERT_EQ(S_OK, message->QueryInterface(IID_CATICommMsg, reinterpret_cast<void**>(&comm)));
  ASSERT_EQ(S_OK, comm->QueryInterface(IID_CATIBBStreamer, reinterpret_cast<void**>(&streamer)));
  EXPECT_EQ(3u, message->RefCount());
  void* base = nullptr;
  ASSERT_EQ(S_OK, streamer->QueryInterface(IID_CATBaseUnknown, &base));
  EXPECT_EQ(static_cast<CATBaseUnknown*>(message), base);
  static_cast<CATBaseUnknown*>(base)->Release();

  EXPECT_STREQ("", comm->GetMessageClass());
  EXPECT_EQ(S_OK, comm->SetMessageClass("Data_Request_2"));
  EXPECT_EQ(E_INVALIDARG, comm->SetMessageClass("Data.Request"));
  EXPECT_EQ(E_INVALIDARG, comm->SetMessageClass(""));
  EXPECT_EQ(E_INVALIDARG, comm->SetMessageClass(nullptr));
  EXPECT_EQ(E_INVALIDARG, comm->SetMessageClass(std::string(65, 'a').c_str()));
  EXPECT_EQ(S_OK, comm->SetMessageClass(std::string(64, 'a').c_str()));
  EXPECT_EQ(std::string(64, 'a'), comm->GetMessageClass());
  EXPECT_EQ(S_OK, comm->SetMessageSpecifications(CATBBNeedAnswer));
  EXPECT_EQ(CATBBNeedAnswer, comm->GetMessageSpecifications());
  // Only a request the bus received can be answered.
  EXPECT_EQ(E_FAIL, comm->SendAnswer(comm));
  EXPECT_EQ(E_NOINTERFACE, message->QueryInterface(IID_CATICommunicator, &base));

  streamer->Release();
  comm->Release();
  EXPECT_EQ(0u, message->Release());
}

CATBackboneFrame Request(std::string body) {
  CATBackboneFrame frame;
  frame.kind = CATBackboneFrameKind::Request;
  frame.answerWanted = true;
  frame.requestId = 0x01020304;
  frame.application = "ZELBackbone.Receiver-1";
  frame.messageClass = "ZELBackboneMessage";
  frame.body = std::move(body);
  return frame;
}

TEST(FrameReader, FramesSurviveAnySplitAndStopAtTheirEnd) {
  CATBackboneFrame answer;
  answer.kind = CATBackboneFrameKind::Answer;
  answer.requestId = 7;
  answer.messageClass = "Answer";
  answer.body = std::string("\0\1body", 6);
  CATBackboneFrame error;
  error.kind = CATBackboneFrameKind::Error;
  error.requestId = 8;
  error.errorId = CATBBErrorClassNotFound;
  const std::string stream = CATBackboneEncodeFrame(Request("payload")) + CATBackboneEncodeFrame(answer) +
                             CATBackboneEncodeFrame(error);
  for (size_t chunk : {size_t(1), size_t(5), size_t(16), stream.size()}) {
    CATBackboneFrameReader reader;
    std::vector<CATBackboneFrame> frames;
    for (size_t at = 0; at < stream.size(); at += chunk) {
      std::string_view input = std::string_view(stream).substr(at, chunk);
      while (!input.empty()) {
        CATBackboneFrameReader::Status status = reader.Feed(input);
        ASSERT_NE(CATBackboneFrameReader::kError, status) << reader.Error();
        if (status == CATBackboneFrameReader::kFrame) frames.push_back(reader.Frame());
      }
    }
    ASSERT_EQ(3u, frames.size()) << chunk;
    EXPECT_FALSE(reader.MidFrame());
    EXPECT_TRUE(frames[0].answerWanted);
    EXPECT_EQ(0x01020304u, frames[0].requestId);
    EXPECT_EQ("ZELBackbone.Receiver-1", frames[0].application);
    EXPECT_EQ("ZELBackboneMessage", frames[0].messageClass);
    EXPECT_EQ("payload", frames[0].body);
    EXPECT_EQ(CATBackboneFrameKind::Answer, frames[1].kind);
    EXPECT_EQ(answer.body, frames[1].body);
    EXPECT_EQ(CATBackboneFrameKind::Error, frames[2].kind);
    EXPECT_EQ(8u, frames[2].requestId);
    EXPECT_EQ(uint32_t(CATBBErrorClassNotFound), frames[2].errorId);
  }
}

TEST(FrameReader, HostileHeadersAndPayloadsAreRefused) {
  const std::string good = CATBackboneEncodeFrame(Request("x"));
  auto with = [&](size_t at, std::string bytes) {
    return std::string(good).replace(at, bytes.size(), bytes);
  };
  const std::pair<std::string, std::string> cases[] = {
      {with(0, "GET "), "bad magic"},
      {with(4, "\2"), "unsupported version"},
      {with(5, "\4"), "unknown frame kind"},
      {with(6, "\2"), "bad flags"},
      {with(7, "\1"), "bad flags"},
      {with(12, U32(0xFFFFFFFFu)), "over the limit"},
      {with(12, U32(kCATBackboneMaxPayload + 1)), "over the limit"},
      {with(16, std::string(1, '\0')), "malformed application name"},
      {with(16, "\x3F"), "malformed application name"},  // runs past the payload
      {with(17, "/"), "malformed application name"},
      {with(16 + 23, std::string(1, '\0')), "malformed message class"},
      {with(16 + 24, "."), "malformed message class"},
  };
  for (const auto& [bytes, reason] : cases) {
    CATBackboneFrameReader reader;
    std::string_view input(bytes);
    EXPECT_EQ(CATBackboneFrameReader::kError, reader.Feed(input)) << reason;
    EXPECT_NE(std::string::npos, reader.Error().find(reason)) << reader.Error();
    EXPECT_EQ(CATBackboneFrameReader::kError, reader.Feed(input));
  }
  // A frame that announces 4 GiB is refused on its header alone.
  CATBackboneFrameReader reader;
  std::string header = with(12, U32(0xFFFFFFFFu)).substr(0, kCATBackboneFrameHeaderSize);
  std::string_view input(header);
  EXPECT_EQ(CATBackboneFrameReader::kError, reader.Feed(input));
  CATBackboneFrame error;
  error.kind = CATBackboneFrameKind::Error;
  std::string errorFrame = CATBackboneEncodeFrame(error);
  errorFrame.replace(12, 4, U32(5)).push_back('\0');
  std::string_view errorInput(errorFrame);
  EXPECT_EQ(CATBackboneFrameReader::kError, CATBackboneFrameReader().Feed(errorInput));
  // Nothing out of bounds is ever written.
  EXPECT_EQ("", CATBackboneEncodeFrame(Request(std::string(kCATBackboneMaxPayload, 'x'))));
  CATBackboneFrame bad = Request("");
  bad.messageClass = "no spaces";
  EXPECT_EQ("", CATBackboneEncodeFrame(bad));
}

TEST(BusTimeout, DefaultIsWholeSecondsInRangeElse120) {
  const std::pair<const char*, int> cases[] = {{nullptr, 120}, {"", 120},   {"5", 5},      {"3600", 3600},
                                               {"3601", 120},  {"0", 120},  {"-1", 120},   {"1.5", 120},
                                               {"5s", 120},    {" 5", 120}, {"99999", 120}};
  for (const auto& [text, seconds] : cases) {
    zeltest::ScopedEnv env("CATBackboneTimeout", text);
    EXPECT_EQ(seconds, CATBackboneDefaultTimeout()) << (text ? text : "(unset)");
  }
}

}  // namespace
