#ifndef CATCatalogFile_h
#define CATCatalogFile_h
// Reading of message (.CATNls) and resource (.CATRsc) catalogs: the text parser, the parameter insertion
// and the per-process cache of parsed files. Private to CATSysTS; the fuzz targets drive the parser directly.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "CATDataType.h"

typedef std::map<std::string, std::string> CATCatalogEntries;

struct CATCatalogParseResult {
  CATCatalogEntries entries;
  // Empty when the whole text parsed; otherwise what was wrong, at faultLine (1-based). Entries before the
  // fault are kept.
  std::string fault;
  int faultLine = 0;
};

// Parses `Key = "text" "more text";` entries with // and /* */ comments, UTF-8 with an optional BOM.
ExportedByCATSysTS CATCatalogParseResult CATParseCatalogText(std::string_view text);

// Replaces /P1, /P2, ... /P10 ... by the numbered parameters; numbers beyond the count stay as written.
ExportedByCATSysTS std::string CATInsertCatalogParameters(std::string_view text,
                                                          const std::vector<std::string>& params);

// The entries of "<catalog><extension>" from the first catalog directory holding it, read once per process;
// null when no directory holds it or the name is not a plain file name.
std::shared_ptr<const CATCatalogEntries> CATFindCatalog(const std::string& catalog, const char* extension);

// "CATMsgCatalogPath" directories, then the runtime tree's resources/msgcatalog.
std::vector<std::string> CATGetCatalogDirectories();

// Forgets every catalog read so far, found or missing.
void CATResetCatalogs();

#endif
