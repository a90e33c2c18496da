#include "CATBBMessage.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>

#include "CATBBMessageData.h"
#include "CATBackboneFrameReader.h"
#include "CATBackboneJournalStore.h"
#include "CATBackboneSocket.h"
#include "CATIStreamMsg.h"

namespace {

bool IsNameChar(char c, bool allowDotDash) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         (allowDotDash && (c == '.' || c == '-'));
}

bool IsValidName(std::string_view name, bool allowDotDash) {
  return !name.empty() && name.size() <= 64 &&
         std::all_of(name.begin(), name.end(), [=](char c) { return IsNameChar(c, allowDotDash); });
}

}  // namespace

bool CATBBIsValidClassName(std::string_view name) {
  return IsValidName(name, false);
}

bool CATBBIsValidApplicationName(std::string_view name) {
  return IsValidName(name, true);
}

CATBBMessageData::~CATBBMessageData() {
  if (answerFd >= 0) close(answerFd);
}

CATBBMessage* CATBBMessageData::FromCommMsg(CATICommMsg* message) {
  auto* tie = dynamic_cast<CATBBCommMsgTie*>(message);
  return tie ? tie->Message() : nullptr;
}

CATBBMessage::CATBBMessage() : data_(std::make_unique<CATBBMessageData>(this)) {}

CATBBMessage::~CATBBMessage() = default;

HRESULT CATBBMessage::QueryInterface(const IID& iid, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (iid == IID_CATICommMsg)
    *out = static_cast<CATICommMsg*>(&data_->commTie);
  else if (iid == IID_CATIBBStreamer)
    *out = static_cast<CATIBBStreamer*>(&data_->streamerTie);
  else
    return CATBaseUnknown::QueryInterface(iid, out);
  AddRef();
  return S_OK;
}

HRESULT CATBBCommMsgTie::SetMessageClass(const char* iClassName) {
  if (!iClassName || !CATBBIsValidClassName(iClassName)) return E_INVALIDARG;
  message_->Data().messageClass = iClassName;
  return S_OK;
}

const char* CATBBCommMsgTie::GetMessageClass() {
  return message_->Data().messageClass.c_str();
}

HRESULT CATBBCommMsgTie::SetMessageSpecifications(int iSpecifications) {
  message_->Data().specifications = iSpecifications;
  return S_OK;
}

int CATBBCommMsgTie::GetMessageSpecifications() {
  return message_->Data().specifications;
}

HRESULT CATBBCommMsgTie::SendAnswer(CATICommMsg* iAnswer) {
  CATBBMessageData& data = message_->Data();
  if (!iAnswer || !data.received || !data.answerWanted || data.answered || data.replyFd < 0) return E_FAIL;

  CATBackboneFrame frame;
  frame.kind = CATBackboneFrameKind::Answer;
  frame.requestId = data.replyRequestId;
  CATIStreamMsg* stream = nullptr;
  if (FAILED(iAnswer->QueryInterface(IID_CATIStreamMsg, reinterpret_cast<void**>(&stream))) || !stream) {
    CATBackboneJournalFailed(data.journalEntry, "the answer does not implement CATIStreamMsg");
    return E_FAIL;
  }
  void* buffer = nullptr;
  uint32_t length = 0;
  HRESULT rc = stream->SetMessageClass();
  if (SUCCEEDED(rc)) rc = stream->StreamData(&buffer, &length);
  if (SUCCEEDED(rc) && (buffer || length == 0)) {
    if (length) frame.body.assign(static_cast<const char*>(buffer), length);
    stream->FreeStreamData(buffer, length);
  } else if (SUCCEEDED(rc)) {
    rc = E_FAIL;
  }
  stream->Release();
  const char* answerClass = iAnswer->GetMessageClass();
  frame.messageClass = answerClass ? answerClass : "";
  std::string bytes = SUCCEEDED(rc) ? CATBackboneEncodeFrame(frame) : std::string();
  if (bytes.empty()) {
    CATBackboneJournalFailed(data.journalEntry, "the answer could not be streamed");
    return E_FAIL;
  }

  data.answered = true;
  std::string reason;
  if (!CATBBWriteAll(data.replyFd, bytes, kCATBackboneWriteTimeoutMs, &reason)) {
    std::cerr << "CATBackbone: the answer to a " << data.messageClass
              << " request could not be delivered: " << reason << std::endl;
    CATBackboneJournalFailed(data.journalEntry, "the answer could not be delivered: " + reason);
    return E_FAIL;
  }
  std::vector<std::string> items;
  CATBBDecodeItems(frame.body, &items);
  CATBackboneJournalAnswered(data.journalEntry, std::move(items));
  return S_OK;
}
