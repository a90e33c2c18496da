#ifndef CATPLMBatch_h
#define CATPLMBatch_h
// A PLM batch to be run by the batch server: its name, applicative parameters (each a list of texts), the
// objects it works on and its report parameters, written as the batch's input file. The stand-in runs the
// batch "CoexistenceAdministration" (see CATBatClientMonitorCAA.h).
#include <string>
#include <utility>
#include <vector>

#include "CATListOfCATUnicodeString.h"
#include "CATListPtrCATIAdpPLMIdentificator.h"
#include "CATPLMServicesExport.h"
#include "CATUnicodeString.h"

class ExportedByCATPLMServices CATPLMBatch {
 public:
  explicit CATPLMBatch(const CATUnicodeString& iBatchName);
  ~CATPLMBatch();
  CATPLMBatch(const CATPLMBatch&) = delete;
  CATPLMBatch& operator=(const CATPLMBatch&) = delete;

  const CATUnicodeString& GetBatchName() const { return name_; }
  // Sets (or replaces) one parameter. E_FAIL for an empty name, or a name or value that is not XML text.
  HRESULT SetApplicativeParameters(const CATUnicodeString& iName, const CATListValCATUnicodeString& iValues);
  // The objects, each resolved to its stored object now; E_FAIL when one cannot be (the list is unchanged).
  HRESULT SetSelectedObjects(const CATListPtrCATIAdpPLMIdentificator& iObjects);
  // "PLMBATCH_Report_Directory" names the directory of the report; other names are kept for the server.
  HRESULT SetReportParameter(const CATUnicodeString& iName, const CATUnicodeString& iValue);
  // The report's name without extension, unique in the process ("<batch name>_<process>_<number>").
  HRESULT GetReportName(CATUnicodeString& oName) const;
  // Writes the input file at iPath (replacing it); iOptions is reserved and must be empty.
  HRESULT FillXmlFile(const CATUnicodeString& iOptions, const CATUnicodeString& iPath) const;

 private:
  CATUnicodeString name_;
  CATUnicodeString reportName_;
  std::vector<std::pair<std::string, std::vector<std::string>>> parameters_;
  std::vector<std::pair<std::string, std::string>> reportParameters_;
  std::vector<long long> objects_;
};

#endif
