#ifndef backbone_test_message_h
#define backbone_test_message_h
// The message class of the bus tests: a list of string items, sent under a class name the test chooses.
// Each program that includes it registers it with CATImplementComponent(CATBBTestMessage).
#include <algorithm>
#include <string>
#include <vector>

#include "CATBBMessage.h"
#include "CATIBBStreamer.h"
#include "CATICommMsg.h"
#include "CATIStreamMsg.h"
#include "CATInstantiateComponent.h"

class CATBBTestMessage : public CATBBMessage {
 public:
  std::vector<std::string> items;
  std::string className = "CATBBTestMessage";
  // When set, streamed instead of the items (bytes that are not a sequence of items, say).
  std::string rawBody;
  bool useRawBody = false;

  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (out && iid == IID_CATIStreamMsg) {
      *out = static_cast<CATIStreamMsg*>(&tie_);
      AddRef();
      return S_OK;
    }
    return CATBBMessage::QueryInterface(iid, out);
  }

  // The test message behind a message's facet (borrowed), or null for another class.
  static CATBBTestMessage* From(CATICommMsg* message) {
    void* out = nullptr;
    if (!message || FAILED(message->QueryInterface(IID_CATBaseUnknown, &out))) return nullptr;
    auto* object = static_cast<CATBaseUnknown*>(out);
    object->Release();  // the caller's reference on the message keeps it
    return dynamic_cast<CATBBTestMessage*>(object);
  }

  CATICommMsg* Comm() {
    CATICommMsg* comm = nullptr;
    QueryInterface(IID_CATICommMsg, reinterpret_cast<void**>(&comm));
    Release();  // borrowed: the message's own reference keeps it
    return comm;
  }

 private:
  class StreamTie : public CATTie<CATIStreamMsg> {
   public:
    explicit StreamTie(CATBBTestMessage* owner) : CATTie<CATIStreamMsg>(owner), message_(owner) {}
    HRESULT StreamData(void** oBuffer, uint32_t* oLength) override {
      if (message_->useRawBody) {
        *oBuffer = message_->rawBody.data();
        *oLength = static_cast<uint32_t>(message_->rawBody.size());
        return S_OK;
      }
      CATIBBStreamer_var streamer(static_cast<CATBaseUnknown*>(message_));
      if (!streamer) return E_NOINTERFACE;
      streamer->BeginStream();
      for (const std::string& item : message_->items) streamer->StreamString(item.c_str());
      return streamer->EndStream(oBuffer, oLength);
    }
    HRESULT UnstreamData(void* iBuffer, uint32_t iLength) override {
      CATIBBStreamer_var streamer(static_cast<CATBaseUnknown*>(message_));
      if (!streamer || FAILED(streamer->BeginUnstream(iBuffer, iLength))) return E_FAIL;
      message_->items.clear();
      for (;;) {
        std::string text(std::max<uint32_t>(streamer->GetStringLength(), 1), '\0');
        if (FAILED(streamer->UnstreamString(text.data(), static_cast<uint32_t>(text.size())))) break;
        text.resize(text.size() - 1);
        message_->items.push_back(text);
      }
      return streamer->EndUnstream();
    }
    HRESULT FreeStreamData(void*, uint32_t) override {
      CATIBBStreamer_var streamer(static_cast<CATBaseUnknown*>(message_));
      return streamer ? streamer->FreeStreamedBuffer() : E_NOINTERFACE;
    }
    HRESULT SetMessageClass() override {
      CATICommMsg_var comm(static_cast<CATBaseUnknown*>(message_));
      return comm ? comm->SetMessageClass(message_->className.c_str()) : E_NOINTERFACE;
    }

   private:
    CATBBTestMessage* message_;
  };
  StreamTie tie_{this};
};

#endif
