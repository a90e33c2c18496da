#ifndef ZELEBackboneReceiver_h
#define ZELEBackboneReceiver_h
// Factory extension that makes "ZELBackboneReceiver" instantiable by name, for the session's main
// application.
#include "CATInstantiateComponent.h"
#include "ZELBackboneExport.h"

class ExportedByZELBackbone ZELEBackboneReceiver : public CATICreateInstance {
 public:
  ZELEBackboneReceiver() = default;
  ZELEBackboneReceiver(const ZELEBackboneReceiver&) = delete;
  ZELEBackboneReceiver& operator=(const ZELEBackboneReceiver&) = delete;

  HRESULT QueryInterface(const IID& iid, void** out) override;
  // *out: a new receiver subscribed through CATApplication::MainApplication(); E_OUTOFMEMORY when it cannot
  // be allocated.
  HRESULT CreateInstance(void** out) override;
};

#endif
