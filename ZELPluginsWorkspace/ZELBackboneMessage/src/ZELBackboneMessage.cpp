#include "ZELBackboneMessage.h"

#include <cstdlib>
#include <cstring>

#include "CATICommMsg.h"

namespace {

// Replaces an owned text with a copy of a new one; a null text keeps the old one.
void ReplaceText(char*& member, const char* text) {
  if (!text) return;
  char* copy = strdup(text);
  if (!copy) return;
  free(member);
  member = copy;
}

HRESULT CopyOut(const char* member, char** out) {
  if (!out) return E_FAIL;
  *out = nullptr;
  if (member) *out = strdup(member);
  return S_OK;
}

}  // namespace

ZELBackboneMessage::ZELBackboneMessage() = default;

ZELBackboneMessage::~ZELBackboneMessage() {
  free(_command);
  free(_additionalInfo);
}

HRESULT ZELBackboneMessage::QueryInterface(const IID& iid, void** out) {
  if (!out) return E_INVALIDARG;
  if (iid == IID_CATIStreamMsg) {
    *out = static_cast<CATIStreamMsg*>(&_streamMsgTie);
  } else if (iid == IID_ZELIBackboneDataRequest) {
    *out = static_cast<ZELIBackboneDataRequest*>(&_dataRequestTie);
  } else {
    return CATBBMessage::QueryInterface(iid, out);
  }
  AddRef();
  return S_OK;
}

HRESULT ZELBackboneMessage::StreamData(void** oBuffer, uint32_t* oLength) {
  CATIBBStreamer* streamer = nullptr;
  HRESULT rc = QueryInterface(IID_CATIBBStreamer, reinterpret_cast<void**>(&streamer));
  if (FAILED(rc) || !streamer) return FAILED(rc) ? rc : E_FAIL;
  streamer->BeginStream();
  streamer->StreamString(_command);
  streamer->StreamString(_additionalInfo);
  const HRESULT endRc = streamer->EndStream(oBuffer, oLength);
  streamer->Release();
  // A body the streamer could not finish must not reach the bus as if it were complete.
  return FAILED(endRc) ? endRc : rc;
}

char* ZELBackboneMessage::UnstreamText(CATIBBStreamer* streamer, uint32_t bodyLength, HRESULT& rc) {
  const uint32_t size = streamer->GetStringLength();
  // No item of a well-formed body can be longer than the body itself.
  if (static_cast<uint64_t>(size) > static_cast<uint64_t>(bodyLength) + 1) {
    rc = E_FAIL;
    return nullptr;
  }
  // At least one byte, so that even an empty item leaves a terminated text and is consumed from the body.
  const uint32_t block = size > 0 ? size : 1;
  char* text = static_cast<char*>(calloc(block, 1));
  if (!text) {
    rc = E_OUTOFMEMORY;
    return nullptr;
  }
  streamer->UnstreamString(text, block);
  text[block - 1] = '\0';
  if (!*text) {
    free(text);
    return nullptr;
  }
  return text;
}

HRESULT ZELBackboneMessage::UnstreamData(void* iBuffer, uint32_t iLength) {
  CATIBBStreamer* streamer = nullptr;
  HRESULT rc = QueryInterface(IID_CATIBBStreamer, reinterpret_cast<void**>(&streamer));
  if (FAILED(rc) || !streamer) return FAILED(rc) ? rc : E_FAIL;
  rc = streamer->BeginUnstream(iBuffer, iLength);
  if (SUCCEEDED(rc)) {
    HRESULT itemRc = S_OK;
    char* command = UnstreamText(streamer, iLength, itemRc);
    char* info = SUCCEEDED(itemRc) ? UnstreamText(streamer, iLength, itemRc) : nullptr;
    rc = streamer->EndUnstream();
    if (FAILED(itemRc)) rc = itemRc;
    if (SUCCEEDED(rc)) {
      free(_command);
      free(_additionalInfo);
      _command = command;
      _additionalInfo = info;
    } else {
      free(command);
      free(info);
    }
  }
  streamer->Release();
  return rc;
}

HRESULT ZELBackboneMessage::FreeStreamData(void*, uint32_t) {
  CATIBBStreamer* streamer = nullptr;
  HRESULT rc = QueryInterface(IID_CATIBBStreamer, reinterpret_cast<void**>(&streamer));
  if (FAILED(rc) || !streamer) return FAILED(rc) ? rc : E_FAIL;
  streamer->FreeStreamedBuffer();
  streamer->Release();
  return rc;
}

HRESULT ZELBackboneMessage::SetMessageClass() {
  CATICommMsg* commMsg = nullptr;
  HRESULT rc = QueryInterface(IID_CATICommMsg, reinterpret_cast<void**>(&commMsg));
  if (FAILED(rc) || !commMsg) return FAILED(rc) ? rc : E_FAIL;
  // The receiving bus creates the message again under this name.
  commMsg->SetMessageClass("ZELBackboneMessage");
  commMsg->Release();
  return S_OK;
}

HRESULT ZELBackboneMessage::GetCommand(char** oCommand) {
  return CopyOut(_command, oCommand);
}

HRESULT ZELBackboneMessage::SetCommand(const char* iCommand) {
  ReplaceText(_command, iCommand);
  return S_OK;
}

HRESULT ZELBackboneMessage::GetAdditionalInfo(char** oInfo) {
  return CopyOut(_additionalInfo, oInfo);
}

HRESULT ZELBackboneMessage::SetAdditionalInfo(const char* iInfo) {
  ReplaceText(_additionalInfo, iInfo);
  return S_OK;
}
