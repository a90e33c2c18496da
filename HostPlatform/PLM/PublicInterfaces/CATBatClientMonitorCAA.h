#ifndef CATBatClientMonitorCAA_h
#define CATBatClientMonitorCAA_h
// The client side of the PLM batch server: submits batch input files, tells their state and return code,
// and publishes the end of every batch (CATBatchEndNotifCAA) on the batch publisher. The notification is
// delivered on the session's event loop, so a caller waiting for a batch runs the loop (WaitForBatch).
//
// The stand-in server runs "CoexistenceAdministration" on the session's PLM database: the coexistence
// mappings (object, context, master side) of the selected objects, or of every object of the context, are
// deleted or given the other master side; "Preview" changes nothing. The HTML report lists what was (or
// would be) done. Return code 0 on success, 1 when the batch failed (then nothing changed).
// Failures on demand (CATPLMFailureInjection): "BatchSubmit" refuses the submission, "BatchReturnCode"
// makes the return code unreadable, "Batch" makes the batch fail, "BatchEnd" loses its end notification.
#include <string>
#include <vector>

#include "CATBaseUnknown.h"
#include "CATNotification.h"
#include "CATPLMServicesExport.h"

// Batch identifiers are texts of at most this many characters.
constexpr int CATBatchIdMaxLength = 32;

class ExportedByCATPLMServices CATBatchEndNotifCAA : public CATNotification {
 public:
  static const char* ClassName() { return "CATBatchEndNotifCAA"; }
  CATBatchEndNotifCAA(const char* iBatchId, const char* iBatchName);
  // Zero-terminated, at most CATBatchIdMaxLength characters.
  const char* GetBatchId() const { return id_; }
  const char* GetNotifName() const { return name_.c_str(); }

 private:
  ~CATBatchEndNotifCAA() override = default;
  char id_[CATBatchIdMaxLength + 1] = {};
  std::string name_;
};

// The object end notifications are published on (through its callback manager).
ExportedByCATPLMServices CATBaseUnknown* GetBatchPublisherCAA();

struct CATBatchInfoCAA {
  std::string id;
  std::string name;
  std::string state;  // "Running" or "Ended"
  int returnCode = -1;
  std::string report;  // file name of the HTML report, empty when none was written
};

class ExportedByCATPLMServices CATBatClientMonitorCAA {
 public:
  // The process's monitor (never null once the PLM services are loaded).
  static CATBatClientMonitorCAA* GetTheClientMonitorCAA();

  // Connects to the batch server; E_FAIL when it cannot be reached.
  HRESULT PrepareForSubmission();
  // iMode 1: run on the client's machine; iOption must be 0.
  HRESULT SetSubmissionMode(int iMode, int iOption);
  // Submits the batch described by the input file; oBatchId receives its identifier (zero-terminated).
  HRESULT SubmitBatch(const char* iInputFile, char oBatchId[CATBatchIdMaxLength + 1], int iOption);
  // Runs the event loop until *ioDone is non-zero (S_OK) or iTimeoutMs passed (-1: no limit but the
  // server's, 10 minutes) (E_FAIL). iOption must be 0.
  HRESULT WaitForBatch(int* ioDone, int iTimeoutMs, int iOption);
  // Asks the server about the batch; E_FAIL for an unknown identifier.
  HRESULT QueryBatch(const char* iBatchId, CATBatchInfoCAA* oInfo = nullptr);
  // The return code of an ended batch; E_FAIL when it cannot be read.
  HRESULT GetBatchReturnCode(const char* iBatchId, int& oReturnCode);
  // Every batch submitted in this process, oldest first.
  std::vector<CATBatchInfoCAA> ListBatches() const;

 private:
  CATBatClientMonitorCAA() = default;
};

#endif
