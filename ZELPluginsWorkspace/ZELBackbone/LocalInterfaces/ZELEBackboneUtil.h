#ifndef ZELEBackboneUtil_h
#define ZELEBackboneUtil_h
// Factory extension that makes "ZELBackboneUtil" instantiable by name.
#include "CATInstantiateComponent.h"
#include "ZELBackboneExport.h"

class ExportedByZELBackbone ZELEBackboneUtil : public CATICreateInstance {
 public:
  ZELEBackboneUtil() = default;
  ZELEBackboneUtil(const ZELEBackboneUtil&) = delete;
  ZELEBackboneUtil& operator=(const ZELEBackboneUtil&) = delete;

  HRESULT QueryInterface(const IID& iid, void** out) override;
  // *out: a new ZELBackboneUtil; E_OUTOFMEMORY when it cannot be allocated.
  HRESULT CreateInstance(void** out) override;
};

#endif
