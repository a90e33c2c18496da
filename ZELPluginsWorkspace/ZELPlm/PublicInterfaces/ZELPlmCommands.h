#ifndef ZELPlmCommands_h
#define ZELPlmCommands_h
// How the PDM dialogs talk to the gateway: each function has a Do operation (credentials from the login
// store) and a Run operation (credentials given: builds the request, sends it, checks the reply's errors).
// Credentials always come in the order user, password, group, role, login locale. Main thread only.
#include "CATListOfCATUnicodeString.h"
#include "CATRawCollint.h"
#include "CATUnicodeString.h"
#include "ZELPlmExport.h"

class ZELQueryResult;
class ZELRequestXml;

class ExportedByZELPlm ZELPlmCommands {
 public:
  // Adds "UserID", "Password" (hexadecimal of the UTF-8 bytes, see the source), "Group", "Role" and
  // "LoginLocale", each also when empty.
  static void SetCredentialsToRequest(const CATUnicodeString& user, const CATUnicodeString& password,
                                      const CATUnicodeString& group, const CATUnicodeString& role,
                                      const CATUnicodeString& locale, ZELRequestXml& request);
  // Whether the reply carries PDM errors. A reply whose errors cannot be read counts as erroneous.
  static bool CheckError(const ZELRequestXml& reply);

  // The errors of a reply as the PDM commands show them: "code: text" a line (the code also when 0), as far
  // as both lists go.
  static CATUnicodeString ErrorLines(const CATRawCollint& codes, const CATListValCATUnicodeString& texts);

  // The password as it travels: "%x" of each UTF-8 byte, so a byte below 0x10 gives one digit.
  static CATUnicodeString EncodePassword(const CATUnicodeString& password);

  // As RunLogin with the store's login locale; every negative result becomes E_FAIL.
  static long DoLogin(const CATUnicodeString& user, const CATUnicodeString& password,
                      const CATUnicodeString& group, const CATUnicodeString& role);
  // S_OK: accepted, and user, password, group and role are stored with the logged-in flag set. S_FALSE: the
  // gateway refused (store untouched). E_FAIL: the exchange failed (store untouched).
  static long RunLogin(const CATUnicodeString& user, const CATUnicodeString& password,
                       const CATUnicodeString& group, const CATUnicodeString& role,
                       const CATUnicodeString& locale);

  // RunQuery with the store's credentials; on success the result dialog shows what was found. A failed
  // query shows nothing. Values holding the list separator "@EOL@" are refused without a request.
  static long DoQuery(const CATUnicodeString& itemType, const CATListValCATUnicodeString& attributeNames,
                      const CATListValCATUnicodeString& attributeValues);

  // "QueryItemRevision": items of the type whose attributes match the values (same order, empty values
  // sent too). S_OK with a new result the caller deletes (possibly without items); E_FAIL otherwise, the
  // output untouched.
  static long RunQuery(const CATUnicodeString& user, const CATUnicodeString& password,
                       const CATUnicodeString& group, const CATUnicodeString& role,
                       const CATUnicodeString& locale, const CATUnicodeString& itemType,
                       const CATListValCATUnicodeString& attributeNames,
                       const CATListValCATUnicodeString& attributeValues, ZELQueryResult*& result);
  // The result tree of a query reply: every "TCO" of its "QueryResult" with their "TCA" children, and the
  // "DN" entries of its "DisplayNodes". S_OK with a new result the caller deletes; E_FAIL without a
  // "Response", the output untouched.
  static long ReadQueryResult(const ZELRequestXml& reply, ZELQueryResult*& result);

  // "SendItemRevisionToV6" with the store's credentials.
  static long DoSendItem(const CATUnicodeString& obid, int expandLevel, bool transferLocation,
                         bool removeExisting, bool structureFilterOnly, const CATUnicodeString& revisionRule,
                         const CATUnicodeString& variant, const CATUnicodeString& structureFilter, bool force,
                         bool parallel, bool sendConfiguration, CATUnicodeString& message);
  // S_OK or E_FAIL; message gets the lines to show (appended), untouched when the exchange itself failed.
  static long RunSendItem(const CATUnicodeString& user, const CATUnicodeString& password,
                          const CATUnicodeString& group, const CATUnicodeString& role,
                          const CATUnicodeString& locale, const CATUnicodeString& obid, int expandLevel,
                          bool transferLocation, bool removeExisting, bool structureFilterOnly,
                          const CATUnicodeString& revisionRule, const CATUnicodeString& variant,
                          const CATUnicodeString& structureFilter, bool force, bool parallel,
                          bool sendConfiguration, CATUnicodeString& message);

  // "GetSendTo3DXOptions" with the store's credentials.
  static long DoGetSendTo3DXOptions(const CATUnicodeString& obid, CATListValCATUnicodeString& revisionRules,
                                    CATRawCollint* defaultFlags, CATListValCATUnicodeString& variants,
                                    bool& sendConfiguration);
  // The revision rules (flag 1 for the gateway's default), the variants and the send-configuration switch
  // (set only by exactly one "ShowPdmSendConfigurationEnabled"). S_OK, or E_FAIL after an error box.
  static long RunGetSendTo3DXOptions(const CATUnicodeString& user, const CATUnicodeString& password,
                                     const CATUnicodeString& group, const CATUnicodeString& role,
                                     const CATUnicodeString& locale, const CATUnicodeString& obid,
                                     CATListValCATUnicodeString& revisionRules, CATRawCollint* defaultFlags,
                                     CATListValCATUnicodeString& variants, bool& sendConfiguration);
};

#endif
