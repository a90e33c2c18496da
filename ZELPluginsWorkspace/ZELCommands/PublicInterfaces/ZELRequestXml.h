#ifndef ZELRequestXml_h
#define ZELRequestXml_h
// The request/response document of every gateway call: a request built under the name of a
// gateway function with name/value attributes, serialised by the transport; a reply parsed from the
// gateway's text and read for attributes, lists, errors, messages and any further content through XPath.
//
// Wire format of a request:
//   <ZEL><Request name="<function>" id="<pid>_<n>"><Attribute name="..." value="..."/>...</Request></ZEL>
// A list is one Attribute whose value joins the items with "@EOL@". The whole wire contract between the
// product and any gateway is docs/protocol.md.
//
// Every operation that returns long answers S_OK (0) or E_FAIL. Copies of an object share its document.
#include "CATIDOMDocument.h"
#include "CATIDOMElement.h"
#include "CATIDOMNodeList.h"
#include "CATListOfCATUnicodeString.h"
#include "CATRawCollint.h"
#include "CATUnicodeString.h"
#include "ZELCommandsExport.h"

// Tests reach private statics through this class; the product never defines it.
class ZELTestAccess;

class ExportedByZELCommands ZELRequestXml {
 public:
  // A new request document for the gateway function (a null name fails the construction: null document).
  ZELRequestXml(const char* functionName);
  // An empty holder (all fields null), filled by ReadXmlString; does not count as a request.
  ZELRequestXml();
  virtual ~ZELRequestXml();

  // Appends <Attribute name value/> to "Request". E_FAIL without document or request element, for an empty
  // name, or when a DOM step fails (for example a value holding a character XML cannot carry).
  long AddRequestAttribute(const CATUnicodeString& name, const CATUnicodeString& value);
  // The items joined with "@EOL@" (no items: empty value). E_FAIL also when an item holds "@EOL@" itself,
  // since the list could not be read back as written.
  long AddRequestAttributeList(const CATUnicodeString& name, const CATListValCATUnicodeString& values);
  // As AddRequestAttribute, on the response element (set by a ReadXmlString that found a "Response").
  long AddResponseAttribute(const CATUnicodeString& name, const CATUnicodeString& value);

  // The "value" of the first child element of "Request"/"Response" whose "name" is the given name (a match
  // without "value" gives an empty value and S_OK). E_FAIL: no element, empty name, no match.
  long GetRequestAttribute(const CATUnicodeString& name, CATUnicodeString& value) const;
  long GetResponseAttribute(const CATUnicodeString& name, CATUnicodeString& value) const;
  // A list attribute: "value" split on "@EOL@" (empty pieces kept, except an empty last piece), flags 0;
  // or, when "value" is empty or absent, the child form: each child element with a non-empty "value",
  // flag 1 when its "default" is "true". The value list is emptied first; flags are appended when given.
  long GetResponseAttributeList(const CATUnicodeString& name, CATListValCATUnicodeString& values,
                                CATRawCollint* defaultFlags) const;

  // Errors under the root "ZEL" ("/ZEL/Error"), or else those of "Response"; the flag is only set, never
  // cleared. Codes are decimal integers; a missing or unreadable code reads as 0 (see ReadCode in the
  // source). A text is taken only when the element's first child is a text node, and only when codes are
  // collected too.
  long GetErrors(unsigned char& hasErrors, CATRawCollint* codes, CATListValCATUnicodeString* texts) const;
  // GetErrors with the texts replaced by the client's catalog texts ("HtmlRequest" "Error_<n>").
  long GetErrorsNLS(unsigned char& hasErrors, CATRawCollint& codes, CATListValCATUnicodeString& texts) const;
  // The "Message" elements of "Response".
  long GetMessages(CATRawCollint& codes, CATListValCATUnicodeString& texts) const;
  // GetMessages with catalog texts ("HtmlRequest" "Message_<n>") for non-zero codes.
  long GetMessagesNLS(CATRawCollint& codes, CATListValCATUnicodeString& texts) const;

  // Evaluates the expression on the whole document; nodes stays untouched when nothing matches.
  long GetNodesForXPath(const CATUnicodeString& xpath, CATIDOMNodeList_var& nodes) const;

  CATUnicodeString GetRequestId() const;
  CATUnicodeString GetResponseId() const;
  long GetResponse(CATIDOMElement_var& response) const;
  const CATIDOMDocument_var& GetDocument() const;

  // The compact document text with the declaration encoding "UTF-8" (what the transport posts).
  long GetXml(CATUnicodeString& text) const;
  // Prints a line end, the document indented by 2 (with encoding "UTF-8" unless withoutEncoding is 1) and
  // a line end to standard output.
  long Dump(unsigned char withoutEncoding) const;

  // Replaces the document by the parse of the text and locates "/*/Response" (a reply without one is
  // still readable: S_OK). Not well-formed text: E_FAIL and a null document.
  long ReadXmlString(CATUnicodeString text);

 protected:
  // Request documents named so far in this process (not synchronised: command thread only).
  static int s_iNr;

 private:
  friend class ::ZELTestAccess;
  long GetResponseAttributeListFromChild(const CATUnicodeString& name, CATListValCATUnicodeString& values,
                                         CATRawCollint* defaultFlags) const;

  CATIDOMDocument_var m_document;
  CATIDOMElement_var m_request;
  CATIDOMElement_var m_response;
};

#endif
