#ifndef ZELEBackboneMessage_h
#define ZELEBackboneMessage_h
// Factory extension that makes "ZELBackboneMessage" instantiable by name.
#include "CATInstantiateComponent.h"

class ZELEBackboneMessage : public CATICreateInstance {
 public:
  ZELEBackboneMessage() = default;
  ~ZELEBackboneMessage() override = default;
  ZELEBackboneMessage(const ZELEBackboneMessage&) = delete;
  ZELEBackboneMessage& operator=(const ZELEBackboneMessage&) = delete;

  HRESULT QueryInterface(const IID& iid, void** out) override;
  // *out: a new, empty ZELBackboneMessage; E_OUTOFMEMORY when it cannot be allocated.
  HRESULT CreateInstance(void** out) override;
};

#endif
