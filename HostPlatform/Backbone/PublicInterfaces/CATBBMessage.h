#ifndef CATBBMessage_h
#define CATBBMessage_h
// Base class of backbone messages. It gives every message its CATICommMsg facet (class name,
// specifications, answer) and its CATIBBStreamer facet (the item streamer its CATIStreamMsg implementation
// uses). A message class derives from it, implements CATIStreamMsg, and is registered as a component under
// its class name so the receiving bus can create it.
#include <memory>

#include "CATBackboneExport.h"
#include "CATBaseUnknown.h"

class CATBBMessageData;

class ExportedByCATBackbone CATBBMessage : public CATBaseUnknown {
 public:
  CATBBMessage();
  ~CATBBMessage() override;
  CATBBMessage(const CATBBMessage&) = delete;
  CATBBMessage& operator=(const CATBBMessage&) = delete;

  // Answers CATICommMsg and CATIBBStreamer besides CATBaseUnknown.
  HRESULT QueryInterface(const IID& iid, void** out) override;

  // The bus's state of this message (library-internal).
  CATBBMessageData& Data() { return *data_; }

 private:
  std::unique_ptr<CATBBMessageData> data_;
};

#endif
