#ifndef XMLTestUtil_h
#define XMLTestUtil_h
// Small helpers shared by the XML tests.
#include <gtest/gtest.h>

#include <string>

#include "CATIDOMDocument.h"
#include "CATIDOMElement.h"
#include "CATIDOMNodeList.h"
#include "CATIDOMText.h"
#include "CATISAXErrorHandler.h"
#include "CATIXMLDOMDocumentBuilder.h"
#include "CATIXMLSAX2Factory.h"
#include "CATIXMLXPathFactory.h"

namespace xmltest {

// Records the last fatal error the parser reports, and how many there were.
class RecordingHandler : public CATISAXErrorHandler {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATISAXErrorHandler>(this, iid, out);
  }
  HRESULT Warning(const CATUnicodeString&, const CATUnicodeString&, int, int) override { return S_OK; }
  HRESULT Error(const CATUnicodeString&, const CATUnicodeString&, int, int) override { return S_OK; }
  HRESULT FatalError(const CATUnicodeString& message, const CATUnicodeString& systemId, int line,
                     int column) override {
    ++count;
    this->message = message.ConvertToUTF8();
    this->systemId = systemId.ConvertToUTF8();
    this->line = line;
    this->column = column;
    return S_OK;
  }
  int count = 0, line = 0, column = 0;
  std::string message, systemId;
};

inline CATIXMLDOMDocumentBuilder_var Builder() {
  CATIXMLDOMDocumentBuilder_var builder;
  EXPECT_EQ(S_OK, CreateCATIXMLDOMDocumentBuilder(CLSID_XML4C_DOM, builder));
  return builder;
}

// Parses a text (given as UTF-8) the way the product does: SAX2 input source over the Unicode text.
inline HRESULT Parse(const CATUnicodeString& text, CATIDOMDocument_var& doc,
                     const CATISAXErrorHandler_var& handler = NULL_var) {
  CATIXMLSAX2Factory_var factory;
  CATIXMLInputSource_var source;
  HRESULT rc = CreateCATIXMLSAX2Factory(CLSID_XML4C_SAX, factory);
  if (FAILED(rc)) return rc;
  rc = factory->CreateInputSourceFromBuffer(text, "test", source);
  if (FAILED(rc)) return rc;
  CATListOfCATUnicodeString none;
  return Builder()->Parse(source, doc, NULL_var, handler, none, none);
}

inline CATIDOMDocument_var MustParse(const std::string& text) {
  CATIDOMDocument_var doc;
  EXPECT_EQ(S_OK, Parse(CATUnicodeString(text), doc)) << text;
  return doc;
}

inline std::string Write(const CATIDOMDocument_var& doc, std::initializer_list<const char*> params = {}) {
  CATListOfCATUnicodeString names, values;
  int i = 0;
  for (const char* p : params) (i++ % 2 ? values : names).Append(p);
  CATUnicodeString text;
  EXPECT_EQ(S_OK, Builder()->WriteToString(doc, text, &names, &values));
  return text.ConvertToUTF8();
}

inline CATIDOMNodeList_var XPath(const CATIDOMDocument_var& doc, const char* expression,
                                 const CATIDOMNode_var& context = NULL_var) {
  CATIXMLXPathFactory_var factory = doc;
  CATIXMLXPathResult_var result;
  CATIDOMNodeList_var list;
  EXPECT_TRUE(factory != NULL_var);
  if (!factory) return list;
  EXPECT_EQ(S_OK, factory->Evaluate(expression, context, result)) << expression;
  if (result) {
    EXPECT_EQ(S_OK, result->GetNodeList(list)) << expression;
  }
  return list;
}

inline unsigned int Length(const CATIDOMNodeList_var& list) {
  unsigned int n = 0;
  if (list) list->GetLength(n);
  return n;
}

inline CATIDOMElement_var ElementAt(const CATIDOMNodeList_var& list, unsigned int i) {
  CATIDOMNode_var node;
  if (list) list->Item(i, node);
  return CATIDOMElement_var(node);
}

// The document element; null for a null document.
inline CATIDOMElement_var Root(const CATIDOMDocument_var& doc) {
  CATIDOMElement_var root;
  if (doc) {
    EXPECT_EQ(S_OK, doc->GetDocumentElement(root));
  }
  return root;
}

inline std::string Attr(const CATIDOMElement_var& element, const char* name) {
  CATUnicodeString value;
  EXPECT_EQ(S_OK, element->GetAttribute(name, value));
  return value.ConvertToUTF8();
}

inline std::string Name(const CATIDOMNode_var& node) {
  CATUnicodeString name;
  EXPECT_EQ(S_OK, node->GetNodeName(name));
  return name.ConvertToUTF8();
}

}  // namespace xmltest

#endif
