// The data-request message through the object model and the streamer, and the parameter text of an open
// request: hexadecimal decoding, the "@@" split and the major revision.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "CATICommMsg.h"
#include "CATIStreamMsg.h"
#include "CATInstantiateComponent.h"
#include "ZELBackboneOpenParameter.h"
#include "ZELIBackboneDataRequest.h"

namespace {

// A message created by name, released at scope end.
class Message {
 public:
  Message() {
    EXPECT_EQ(S_OK, CATInstantiateComponent("ZELBackboneMessage", IID_ZELIBackboneDataRequest,
                                            reinterpret_cast<void**>(&request_)));
  }
  ~Message() {
    if (request_) request_->Release();
  }
  Message(const Message&) = delete;
  Message& operator=(const Message&) = delete;

  ZELIBackboneDataRequest* operator->() const { return request_; }
  explicit operator bool() const { return request_ != nullptr; }
  template <class Itf>
  CATVar<Itf> As() const {
    return CATVar<Itf>(request_);
  }
  // The command (or, with info, the additional info) as a string; "<null>" for none.
  std::string Text(bool info = false) const {
    char* text = reinterpret_cast<char*>(1);
    HRESULT rc = info ? request_->GetAdditionalInfo(&text) : request_->GetCommand(&text);
    EXPECT_EQ(S_OK, rc);
    std::string result = text ? text : "<null>";
    free(text);
    return result;
  }

 private:
  ZELIBackboneDataRequest* request_ = nullptr;
};

// Streams from into a body and unstreams the body into to; the unstream result.
HRESULT Carry(const Message& from, const Message& to) {
  CATVar<CATIStreamMsg> out = from.As<CATIStreamMsg>();
  CATVar<CATIStreamMsg> in = to.As<CATIStreamMsg>();
  EXPECT_TRUE(out != NULL_var && in != NULL_var);
  void* buffer = nullptr;
  uint32_t length = 0;
  EXPECT_EQ(S_OK, out->StreamData(&buffer, &length));
  std::string body(static_cast<const char*>(buffer), length);
  EXPECT_EQ(S_OK, out->FreeStreamData(buffer, length));
  return in->UnstreamData(body.data(), static_cast<uint32_t>(body.size()));
}

HRESULT Unstream(const Message& to, std::string body) {
  CATVar<CATIStreamMsg> in = to.As<CATIStreamMsg>();
  return in->UnstreamData(body.data(), static_cast<uint32_t>(body.size()));
}

std::string Item(const std::string& text) {
  uint32_t size = text.empty() ? 0 : static_cast<uint32_t>(text.size() + 1);
  std::string item;
  for (int i = 0; i < 4; ++i) item.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
  return item + text;
}

std::string Decode(const char* hex) {
  return ZELBackboneOpenParameter::DecodeHex(hex).ConvertToUTF8();
}

}  // namespace

TEST(BackboneMessage, AccessorsOfAFreshAndAFilledMessage) {
  Message message;
  ASSERT_TRUE(message);
  EXPECT_EQ("<null>", message.Text());
  EXPECT_EQ("<null>", message.Text(true));
  EXPECT_EQ(E_FAIL, message->GetCommand(nullptr));
  EXPECT_EQ(E_FAIL, message->GetAdditionalInfo(nullptr));

  EXPECT_EQ(S_OK, message->SetCommand("ZEL_OPEN"));
  EXPECT_EQ(S_OK, message->SetCommand(nullptr));
  EXPECT_EQ("ZEL_OPEN", message.Text());
  EXPECT_EQ(S_OK, message->SetCommand("ZELReceiverCheck"));  // the earlier copy is freed (leak checker)
  EXPECT_EQ("ZELReceiverCheck", message.Text());
  EXPECT_EQ(S_OK, message->SetAdditionalInfo(" "));
  EXPECT_EQ(S_OK, message->SetAdditionalInfo(nullptr));
  EXPECT_EQ(" ", message.Text(true));

  // Each getter hands out a fresh copy: changing it does not change the message.
  char* copy = nullptr;
  ASSERT_EQ(S_OK, message->GetCommand(&copy));
  copy[0] = 'X';
  free(copy);
  EXPECT_EQ("ZELReceiverCheck", message.Text());
}

TEST(BackboneMessage, FacetsOfTheSameObject) {
  Message message;
  CATVar<CATIStreamMsg> stream = message.As<CATIStreamMsg>();
  CATVar<CATICommMsg> comm = message.As<CATICommMsg>();
  ASSERT_TRUE(stream != NULL_var);
  ASSERT_TRUE(comm != NULL_var);
  // Every facet leads back to the same data.
  CATVar<ZELIBackboneDataRequest> back(stream.get());
  ASSERT_TRUE(back != NULL_var);
  back->SetCommand("via tie");
  EXPECT_EQ("via tie", message.Text());

  EXPECT_EQ(S_OK, stream->SetMessageClass());
  EXPECT_STREQ("ZELBackboneMessage", comm->GetMessageClass());

  // The dictionary also makes the class available for the bus's own interface.
  CATIStreamMsg* byName = nullptr;
  ASSERT_EQ(S_OK, CATInstantiateComponent("ZELBackboneMessage", IID_CATIStreamMsg,
                                          reinterpret_cast<void**>(&byName)));
  byName->Release();
}

TEST(BackboneMessage, StreamRoundTrip) {
  Message from, to;
  from->SetCommand("ZEL_OPEN");
  from->SetAdditionalInfo("564D505265666572656E6365");
  ASSERT_EQ(S_OK, Carry(from, to));
  EXPECT_EQ("ZEL_OPEN", to.Text());
  EXPECT_EQ("564D505265666572656E6365", to.Text(true));

  // No additional info and an empty one arrive alike, as none.
  Message bare, bareTo, empty, emptyTo;
  bare->SetCommand("ZEL_OPEN");
  empty->SetCommand("ZEL_OPEN");
  empty->SetAdditionalInfo("");
  ASSERT_EQ(S_OK, Carry(bare, bareTo));
  ASSERT_EQ(S_OK, Carry(empty, emptyTo));
  EXPECT_EQ("ZEL_OPEN", bareTo.Text());
  EXPECT_EQ("<null>", bareTo.Text(true));
  EXPECT_EQ("ZEL_OPEN", emptyTo.Text());
  EXPECT_EQ("<null>", emptyTo.Text(true));

  // An empty command arrives as none, and the additional info after it is still read.
  Message noCommand, noCommandTo;
  noCommand->SetCommand("");
  noCommand->SetAdditionalInfo("a b");
  ASSERT_EQ(S_OK, Carry(noCommand, noCommandTo));
  EXPECT_EQ("<null>", noCommandTo.Text());
  EXPECT_EQ("a b", noCommandTo.Text(true));

  // A fresh message streams too (the answer of a request carries no additional info).
  Message fresh, freshTo;
  ASSERT_EQ(S_OK, Carry(fresh, freshTo));
  EXPECT_EQ("<null>", freshTo.Text());
}

TEST(BackboneMessage, HostileBodiesAreRefusedOrBounded) {
  Message to;
  to->SetCommand("kept");
  // An item that claims more bytes than the body holds, a truncated length, an empty text spelt out.
  EXPECT_TRUE(FAILED(Unstream(to, std::string("\xff\xff\xff\x7f"
                                              "abc",
                                              7))));
  EXPECT_TRUE(FAILED(Unstream(to, std::string("\x05\x00", 2))));
  EXPECT_TRUE(FAILED(Unstream(to, std::string("\x01\x00\x00\x00", 4))));
  EXPECT_EQ("kept", to.Text());

  // A single item: the command, no additional info. An item with a zero inside is cut there.
  ASSERT_EQ(S_OK, Unstream(to, Item("ZEL_OPEN")));
  EXPECT_EQ("ZEL_OPEN", to.Text());
  EXPECT_EQ("<null>", to.Text(true));
  ASSERT_EQ(S_OK, Unstream(to, Item(std::string("ab\0cd", 5)) + Item("info") + Item("extra")));
  EXPECT_EQ("ab", to.Text());
  EXPECT_EQ("info", to.Text(true));
  // An empty body gives a message without texts.
  ASSERT_EQ(S_OK, Unstream(to, std::string()));
  EXPECT_EQ("<null>", to.Text());
}

TEST(OpenParameter, HexadecimalDecoding) {
  EXPECT_EQ("ZEL", Decode("5A454C"));
  EXPECT_EQ(Decode("5a656c"), Decode("5A656C"));
  EXPECT_EQ("Zel", Decode("5a656C"));
  // strtol per pair: a leading blank or sign is taken, the first non-digit ends the pair.
  EXPECT_EQ("A\tB", Decode("41 942"));
  EXPECT_EQ("A\tB", Decode("41+942"));
  EXPECT_EQ(
      "A\x04"
      "B",
      Decode("414G42"));
  // An odd trailing digit is ignored; a zero pair, or a pair without a digit, ends the text.
  EXPECT_EQ("AB", Decode("41424"));
  EXPECT_EQ("A", Decode("41004243"));
  EXPECT_EQ("A", Decode("41zz42"));
  EXPECT_EQ("", Decode("4"));
  EXPECT_EQ("", Decode(""));
  EXPECT_EQ("", Decode(nullptr));
  // UTF-8 bytes become the matching characters; blanks at both ends go.
  EXPECT_EQ(u"M\u00fcller-\u00c4", ZELBackboneOpenParameter::DecodeHex("4DC3BC6C6C65722DC384").GetUTF16());
  EXPECT_EQ("A B", Decode("2020412042202020"));
}

TEST(OpenParameter, SplitAndMajorRevision) {
  CATUnicodeString type("t"), id("i"), revision("r");
  int first = -1, second = -1;
  ASSERT_TRUE(
      ZELBackboneOpenParameter::Split("VPMReference@@prd-00012340@@B.3", type, id, revision, first, second));
  EXPECT_EQ("VPMReference", type.ConvertToUTF8());
  EXPECT_EQ("prd-00012340", id.ConvertToUTF8());
  EXPECT_EQ("B.3", revision.ConvertToUTF8());
  EXPECT_EQ(12, first);
  EXPECT_EQ(26, second);
  EXPECT_EQ("B", ZELBackboneOpenParameter::MajorRevision(revision).ConvertToUTF8());
  EXPECT_EQ("B", ZELBackboneOpenParameter::MajorRevision("B").ConvertToUTF8());
  EXPECT_EQ("A", ZELBackboneOpenParameter::MajorRevision("A.1.2").ConvertToUTF8());

  // Fewer than two delimiters: nothing, and the outputs stay as they were.
  type = "t";
  for (const char* text : {"", "VPMReference", "VPMReference@@prd", "a@b@c", "T@@@"}) {
    EXPECT_FALSE(ZELBackboneOpenParameter::Split(text, type, id, revision, first, second)) << text;
    EXPECT_EQ("t", type.ConvertToUTF8()) << text;
  }

  // Delimiters never overlap: a third "@" belongs to the identifier.
  ASSERT_TRUE(ZELBackboneOpenParameter::Split("T@@@X@@R", type, id, revision, first, second));
  EXPECT_EQ("T", type.ConvertToUTF8());
  EXPECT_EQ("@X", id.ConvertToUTF8());
  EXPECT_EQ("R", revision.ConvertToUTF8());
  ASSERT_TRUE(ZELBackboneOpenParameter::Split("T@@@@R", type, id, revision, first, second));
  EXPECT_EQ("", id.ConvertToUTF8());
  EXPECT_EQ("R", revision.ConvertToUTF8());
  // Later delimiters stay in the revision.
  ASSERT_TRUE(ZELBackboneOpenParameter::Split("A@@B@@C@@D", type, id, revision, first, second));
  EXPECT_EQ("C@@D", revision.ConvertToUTF8());
}
