#ifndef CATPLMFailureInjection_h
#define CATPLMFailureInjection_h
// Makes PLM operations fail on demand, as a refusing server would, so that the callers' failure paths can
// be run for real. Operations: "Open" (CATAdpOpener::CompleteAndOpen), "Save" (CATAdpSaver::Save, refused
// after its changes were written, so the rollback is exercised), "Query"
// (CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter), "Write"
// (CATCkeObjectAttrWriteServices::SetValueWithString) and "Read" (CATCkeObjectAttrReadServices::
// ShowAttributeValue); for batches (CATBatClientMonitorCAA.h) "BatchSubmit", "BatchReturnCode", "Batch" and
// "BatchEnd". A failing operation returns E_FAIL with the
// message as its last error.
//
// The environment can ask for the same: ZEL_PLM_FAIL holds entries separated by commas, each an operation
// name optionally followed by "=" and the message ("Save=Locked by jdoe,Open"); it is read at every call.
#include "CATPLMServicesExport.h"
#include "CATUnicodeString.h"

class ExportedByCATPLMServices CATPLMFailureInjection {
 public:
  // The next iAfter calls of the operation succeed, every later one fails until cleared.
  // E_INVALIDARG for an unknown operation or a negative count.
  static HRESULT Set(const char* iOperation, const CATUnicodeString& iMessage, int iAfter = 0);
  // Null clears every operation.
  static void Clear(const char* iOperation = nullptr);
};

#endif
