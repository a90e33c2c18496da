#ifndef ZELBackboneMessage_h
#define ZELBackboneMessage_h
// The two-text message of the backbone bus: a command text and an additional-info text, each an owned
// zero-terminated copy or null. Carries requests and, in its command text, their answers.
#include <cstdint>

#include "CATBBMessage.h"
#include "CATIBBStreamer.h"
#include "CATIStreamMsg.h"
#include "ZELIBackboneDataRequest.h"

class ZELBackboneMessage : public CATBBMessage {
 public:
  ZELBackboneMessage();
  ~ZELBackboneMessage() override;
  ZELBackboneMessage(const ZELBackboneMessage&) = delete;
  ZELBackboneMessage& operator=(const ZELBackboneMessage&) = delete;

  // Answers CATIStreamMsg and ZELIBackboneDataRequest through their ties, the rest through CATBBMessage.
  HRESULT QueryInterface(const IID& iid, void** out) override;

  // CATIStreamMsg.
  virtual HRESULT StreamData(void** oBuffer, uint32_t* oLength);
  virtual HRESULT UnstreamData(void* iBuffer, uint32_t iLength);
  virtual HRESULT FreeStreamData(void* iBuffer, uint32_t iLength);
  virtual HRESULT SetMessageClass();

  // ZELIBackboneDataRequest.
  virtual HRESULT GetCommand(char** oCommand);
  virtual HRESULT SetCommand(const char* iCommand);
  virtual HRESULT GetAdditionalInfo(char** oInfo);
  virtual HRESULT SetAdditionalInfo(const char* iInfo);

 private:
  class StreamMsgTie : public CATTie<CATIStreamMsg> {
   public:
    explicit StreamMsgTie(ZELBackboneMessage* owner) : CATTie<CATIStreamMsg>(owner) {}
    HRESULT StreamData(void** oBuffer, uint32_t* oLength) override {
      return Self()->StreamData(oBuffer, oLength);
    }
    HRESULT UnstreamData(void* iBuffer, uint32_t iLength) override {
      return Self()->UnstreamData(iBuffer, iLength);
    }
    HRESULT FreeStreamData(void* iBuffer, uint32_t iLength) override {
      return Self()->FreeStreamData(iBuffer, iLength);
    }
    HRESULT SetMessageClass() override { return Self()->SetMessageClass(); }

   private:
    ZELBackboneMessage* Self() const { return static_cast<ZELBackboneMessage*>(Owner()); }
  };

  class DataRequestTie : public CATTie<ZELIBackboneDataRequest> {
   public:
    explicit DataRequestTie(ZELBackboneMessage* owner) : CATTie<ZELIBackboneDataRequest>(owner) {}
    HRESULT GetCommand(char** oCommand) override { return Self()->GetCommand(oCommand); }
    HRESULT SetCommand(const char* iCommand) override { return Self()->SetCommand(iCommand); }
    HRESULT GetAdditionalInfo(char** oInfo) override { return Self()->GetAdditionalInfo(oInfo); }
    HRESULT SetAdditionalInfo(const char* iInfo) override { return Self()->SetAdditionalInfo(iInfo); }

   private:
    ZELBackboneMessage* Self() const { return static_cast<ZELBackboneMessage*>(Owner()); }
  };

  // Reads the next string item into a fresh zero-terminated block; null for an empty item.
  static char* UnstreamText(CATIBBStreamer* streamer, uint32_t bodyLength, HRESULT& rc);

  char* _command = nullptr;
  char* _additionalInfo = nullptr;
  StreamMsgTie _streamMsgTie{this};
  DataRequestTie _dataRequestTie{this};
};

#endif
