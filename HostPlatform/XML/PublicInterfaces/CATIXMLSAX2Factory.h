#ifndef CATIXMLSAX2Factory_h
#define CATIXMLSAX2Factory_h
// SAX2 services: input sources for the DOM builder's Parse.
#include "CATIXMLInputSource.h"

// Class id of the SAX2 implementation (the platform's XML4C parser).
inline constexpr CLSID CLSID_XML4C_SAX = CATMakeIID("CLSID_XML4C_SAX");

CATDeclareIID(CATIXMLSAX2Factory);

class ExportedByCATXMLParserItf CATIXMLSAX2Factory : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIXMLSAX2Factory);
  // An input source over a text already in Unicode: it is parsed as such (as its UTF-8 form), whatever
  // encoding its XML declaration names. A leading U+FEFF is skipped.
  virtual HRESULT CreateInputSourceFromBuffer(const CATUnicodeString& iText,
                                              const CATUnicodeString& iSystemId,
                                              CATIXMLInputSource_var& oSource) = 0;
  // An input source over a file, read when it is parsed. Bytes: a UTF-8 or UTF-16 byte-order mark decides;
  // otherwise the declaration's encoding ("UTF-8", absent, "ISO-8859-1"/"Latin-1", "US-ASCII"); any
  // other encoding fails the parse.
  virtual HRESULT CreateInputSourceFromFile(const CATUnicodeString& iPath,
                                            CATIXMLInputSource_var& oSource) = 0;
};
CATDeclareHandler(CATIXMLSAX2Factory);

// Creates the SAX2 factory of the class id; E_FAIL for an unknown class id.
ExportedByCATXMLParserItf HRESULT CreateCATIXMLSAX2Factory(const CLSID& iClsid,
                                                           CATIXMLSAX2Factory_var& oFactory);

#endif
