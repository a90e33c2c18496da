#ifndef CATIXMLDOMDocumentBuilder_h
#define CATIXMLDOMDocumentBuilder_h
// Creates, parses and writes DOM documents.
//
// Parsing: non-validating, never reads anything external. A document is refused (E_FAIL, the error handler
// told) when it is not well-formed: pugixml's checks plus characters outside XML 1.0 (U+0000, C0 controls
// other than tab/LF/CR, U+FFFE/U+FFFF, invalid UTF-8), invalid element/attribute/target names, duplicate
// attributes, "<" in attribute values, "]]>" in text, "--" in comments, misplaced XML declaration or
// DOCTYPE, no or several root elements, text outside the root, and references to entities other than the
// five predefined ones and character references (DTD entities are never expanded, so no expansion bomb).
// Elements nested more than 1000 levels deep (the root element is level 1) are refused as well, with the
// error "elements nested deeper than 1000 levels"; nothing walks a tree by recursion. Whitespace-only text
// inside elements is kept as text nodes.
//
// Writing parameters (two lists of equal length, names and values; null pointers are empty lists):
//  "CATEncoding"    "UTF-8" (or "UTF-16" for strings): the XML declaration carries that encoding. Without
//                   it the declaration is <?xml version="1.0"?>, without encoding.
//  "CATIndentation" a number n from 0 to 16: one node per line, n spaces per level (indentation stops
//                   growing after 128 levels); elements holding text are written on one line so their
//                   text is unchanged. Without it the text is compact: no whitespace is added.
// Any other name, an invalid value, or lists of unequal length give E_INVALIDARG. Lines end with "\n";
// the text does not end with a line end.
#include "CATIDOMImplementation.h"
#include "CATISAXEntityResolver.h"
#include "CATISAXErrorHandler.h"
#include "CATIXMLInputSource.h"
#include "CATListOfCATUnicodeString.h"

// Class id of the DOM implementation (the platform's XML4C parser).
inline constexpr CLSID CLSID_XML4C_DOM = CATMakeIID("CLSID_XML4C_DOM");

CATDeclareIID(CATIXMLDOMDocumentBuilder);

class ExportedByCATXMLParserItf CATIXMLDOMDocumentBuilder : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIXMLDOMDocumentBuilder);
  virtual HRESULT GetDOMImplementation(CATIDOMImplementation_var& oImplementation) = 0;

  // Parses the source into a new document. Parser features (names/values of equal length):
  // "CATDoValidation" = "false" (validation is not available: "true" gives E_NOTIMPL); any other name
  // gives E_INVALIDARG. The entity resolver is never called; the error handler, when given, receives the
  // first error through FatalError. On failure oDocument is null.
  virtual HRESULT Parse(const CATIXMLInputSource_var& iSource, CATIDOMDocument_var& oDocument,
                        const CATISAXEntityResolver_var& iEntityResolver,
                        const CATISAXErrorHandler_var& iErrorHandler,
                        const CATListOfCATUnicodeString& iFeatureNames,
                        const CATListOfCATUnicodeString& iFeatureValues) = 0;
  // Parse of the file at iPath (read as CATIXMLSAX2Factory::CreateInputSourceFromFile describes).
  virtual HRESULT ParseFile(const CATUnicodeString& iPath, CATIDOMDocument_var& oDocument,
                            const CATISAXEntityResolver_var& iEntityResolver,
                            const CATISAXErrorHandler_var& iErrorHandler,
                            const CATListOfCATUnicodeString& iFeatureNames,
                            const CATListOfCATUnicodeString& iFeatureValues) = 0;

  // Writes the document (parameters above).
  virtual HRESULT WriteToString(const CATIDOMDocument_var& iDocument, CATUnicodeString& oText,
                                const CATListOfCATUnicodeString* iParameterNames = nullptr,
                                const CATListOfCATUnicodeString* iParameterValues = nullptr) = 0;
  // Writes the document as UTF-8 bytes to a file (replaced atomically); "CATEncoding" may only be "UTF-8".
  virtual HRESULT WriteToFile(const CATIDOMDocument_var& iDocument, const CATUnicodeString& iPath,
                              const CATListOfCATUnicodeString* iParameterNames = nullptr,
                              const CATListOfCATUnicodeString* iParameterValues = nullptr) = 0;
};
CATDeclareHandler(CATIXMLDOMDocumentBuilder);

// Creates the document builder of the class id; E_FAIL for an unknown class id.
ExportedByCATXMLParserItf HRESULT CreateCATIXMLDOMDocumentBuilder(const CLSID& iClsid,
                                                                  CATIXMLDOMDocumentBuilder_var& oBuilder);

#endif
