// The request/response document of every gateway call.
#include "ZELRequestXml.h"

#include <climits>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CATDecimalReader.h"
#include "CATIDOMText.h"
#include "CATIXMLDOMDocumentBuilder.h"
#include "CATIXMLSAX2Factory.h"
#include "CATIXMLXPathFactory.h"
#include "CATLib.h"
#include "CATString.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"

int ZELRequestXml::s_iNr = 0;

namespace {

const char* const kSeparator = "@EOL@";
const int kSeparatorLength = 5;

// Names used on every call, built once (read-only afterwards).
const CATUnicodeString kAttribute("Attribute");
const CATUnicodeString kName("name");
const CATUnicodeString kValue("value");
const CATUnicodeString kDefault("default");
const CATUnicodeString kCode("code");
const CATUnicodeString kId("id");
const CATUnicodeString kSeparatorText(kSeparator);

// Reads an error or message code. A code is a decimal integer: optional surrounding white space, an
// optional sign, at least one digit, nothing else, within the range of int. Anything else is unreadable
// and reads as 0, like a missing code: "12abc", "1.5", "0x10", "" and "99999999999" all read 0 (a
// half-read "12abc" as 12 would show the text of an unrelated catalog entry).
int ReadCode(const CATUnicodeString& text) {
  std::u16string_view code = text.GetUTF16();
  auto space = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
  while (!code.empty() && space(code.front())) code.remove_prefix(1);
  while (!code.empty() && space(code.back())) code.remove_suffix(1);
  long long value = 0;
  if (CATReadDecimal(code, INT_MIN, INT_MAX, value, CATDecimalSign::Any) != CATDecimalResult::OK) return 0;
  return static_cast<int>(value);
}

// The code attribute of an element.
int CodeOf(const CATIDOMElement_var& element) {
  CATUnicodeString code;
  if (FAILED(element->GetAttribute(kCode, code))) return 0;
  return ReadCode(code);
}

// The data of the element's first child when that child is a text (or CDATA) node.
bool FirstChildText(const CATIDOMElement_var& element, CATUnicodeString& text) {
  CATIDOMNode_var first;
  if (FAILED(element->GetFirstChild(first)) || !first) return false;
  CATIDOMText_var asText = first;
  return !!asText && SUCCEEDED(asText->GetData(text));
}

// Calls visit for each child element of parent in order until it returns false; E_FAIL (traced) when the
// children cannot be listed.
template <class Visit>
long ForEachChildElement(ZELDebug& zelDebug, const CATIDOMElement_var& parent, Visit visit) {
  CATIDOMNodeList_var children;
  if (FAILED(parent->GetChildNodes(children)) || !children) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  unsigned int count = 0;
  children->GetLength(count);
  for (unsigned int i = 0; i < count; ++i) {
    CATIDOMNode_var node;
    if (FAILED(children->Item(i, node))) continue;
    CATIDOMElement_var element = node;
    if (!!element && !visit(element)) break;
  }
  return S_OK;
}

// The first child element of parent whose "name" attribute equals name.
long FindNamedChild(ZELDebug& zelDebug, const CATIDOMElement_var& parent, const CATUnicodeString& name,
                    CATIDOMElement_var& found) {
  if (FAILED(ForEachChildElement(zelDebug, parent, [&](const CATIDOMElement_var& element) {
        CATUnicodeString candidate;
        if (FAILED(element->GetAttribute(kName, candidate)) || !(candidate == name)) return true;
        found = element;
        return false;
      })))
    return E_FAIL;
  if (!found) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  return S_OK;
}

// The "value" of the child of parent named name (the shared part of GetRequestAttribute and
// GetResponseAttribute).
long ReadNamedValue(ZELDebug& zelDebug, const CATIDOMElement_var& parent, const CATUnicodeString& name,
                    CATUnicodeString& value) {
  if (!parent || name.IsNull()) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATIDOMElement_var attribute;
  if (FAILED(FindNamedChild(zelDebug, parent, name, attribute))) return E_FAIL;
  CATUnicodeString read;
  if (FAILED(attribute->GetAttribute(kValue, read))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  value = read;
  return S_OK;
}

// Appends <Attribute name value/> to target (the shared part of the two adding operations).
long AppendAttribute(ZELDebug& zelDebug, const CATIDOMDocument_var& document,
                     const CATIDOMElement_var& target, const CATUnicodeString& name,
                     const CATUnicodeString& value) {
  if (!document || !target || name.IsNull()) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATIDOMElement_var attribute;
  if (FAILED(document->CreateElement(kAttribute, attribute)) || !attribute) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (FAILED(attribute->SetAttribute(kName, name))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (FAILED(attribute->SetAttribute(kValue, value))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (FAILED(target->AppendChild(attribute))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  return S_OK;  // the handler on the new element is released here
}

// Evaluates an expression on the document into a node list (null list: evaluation failed).
long EvaluateNodes(ZELDebug& zelDebug, const CATIDOMDocument_var& document,
                   const CATUnicodeString& expression, CATIDOMNodeList_var& list) {
  if (!document) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATIXMLXPathFactory_var factory = document;
  if (!factory) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATIXMLXPathResult_var result;
  if (FAILED(factory->Evaluate(expression, NULL_var, result)) || !result) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (FAILED(result->GetNodeList(list)) || !list) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  return S_OK;
}

// Step 2 of GetErrors for one node list: sets the flag per node, collects codes and texts of elements.
void CollectErrors(const CATIDOMNodeList_var& list, unsigned char& hasErrors, CATRawCollint* codes,
                   CATListValCATUnicodeString* texts) {
  unsigned int count = 0;
  list->GetLength(count);
  for (unsigned int i = 0; i < count; ++i) {
    CATIDOMNode_var node;
    if (FAILED(list->Item(i, node)) || !node) continue;
    hasErrors = 1;
    CATIDOMElement_var element = node;
    if (!codes || !element) continue;
    codes->Append(CodeOf(element));
    CATUnicodeString text;
    if (texts && FirstChildText(element, text)) texts->Append(text);
  }
}

CATString NumberedKey(const char* prefix, int code) {
  return CATString(std::string(prefix) + std::to_string(code));
}

// The document builder of the platform's DOM.
long MakeBuilder(CATIXMLDOMDocumentBuilder_var& builder) {
  return SUCCEEDED(CreateCATIXMLDOMDocumentBuilder(CLSID_XML4C_DOM, builder)) && !!builder ? S_OK : E_FAIL;
}

}  // namespace

ZELRequestXml::ZELRequestXml(const char* functionName) {
  ZEL_DEBUG_SCOPE("ZELRequestXml::ZELRequestXml");
  CATIXMLDOMDocumentBuilder_var builder;
  CATIDOMImplementation_var implementation;
  CATIDOMDocument_var document;
  if (!functionName || FAILED(MakeBuilder(builder)) ||
      FAILED(builder->GetDOMImplementation(implementation)) || !implementation ||
      FAILED(implementation->CreateDocument("", "ZEL", NULL_var, document)) || !document) {
    ZEL_FAILURE_POINT();
    return;
  }
  m_document = document;
  CATIDOMElement_var root;
  if (FAILED(m_document->GetDocumentElement(root)) || !root) {
    ZEL_FAILURE_POINT();
    m_document = NULL_var;
    return;
  }
  CATIDOMElement_var request;
  if (FAILED(m_document->CreateElement("Request", request)) || !request) {
    ZEL_FAILURE_POINT();
    m_document = NULL_var;
    return;
  }
  m_request = request;
  if (FAILED(root->AppendChild(m_request)) || FAILED(m_request->SetAttribute("name", functionName))) {
    ZEL_FAILURE_POINT();
    m_document = NULL_var;
    return;
  }
  CATUnicodeString pid, nr;
  pid.BuildFromNum(CATGetProcessId(), "%u");
  nr.BuildFromNum(s_iNr++, "%d");
  if (FAILED(m_request->SetAttribute("id", pid + "_" + nr))) {
    ZEL_FAILURE_POINT();
    m_document = NULL_var;
  }
}

ZELRequestXml::ZELRequestXml() {
  ZEL_DEBUG_SCOPE("ZELRequestXml::ZELRequestXml");
}

ZELRequestXml::~ZELRequestXml() {
  ZEL_DEBUG_SCOPE("ZELRequestXml::~ZELRequestXml");
  m_response = NULL_var;
  m_request = NULL_var;
  m_document = NULL_var;
}

long ZELRequestXml::AddRequestAttribute(const CATUnicodeString& name, const CATUnicodeString& value) {
  ZEL_DEBUG_SCOPE("ZELRequestXml::AddRequestAttribute");
  return AppendAttribute(zelDebug, m_document, m_request, name, value);
}

long ZELRequestXml::AddRequestAttributeList(const CATUnicodeString& name,
                                            const CATListValCATUnicodeString& values) {
  ZEL_DEBUG_SCOPE("ZELRequestXml::AddRequestAttributeList");
  CATUnicodeString joined;
  for (int i = 1; i <= values.Size(); ++i) {
    // An item holding the separator would come back as several items: refused rather than misread.
    if (values[i].SearchSubString(kSeparatorText) >= 0) {
      ZEL_DETAIL("list item ", i, " of ", name, " holds the separator ", kSeparator);
      ZEL_FAILURE_POINT();
      return E_FAIL;
    }
    if (i > 1) joined += kSeparatorText;
    joined += values[i];
  }
  return AddRequestAttribute(name, joined);
}

long ZELRequestXml::AddResponseAttribute(const CATUnicodeString& name, const CATUnicodeString& value) {
  ZEL_DEBUG_SCOPE("ZELRequestXml::AddResponseAttribute");
  return AppendAttribute(zelDebug, m_document, m_response, name, value);
}

long ZELRequestXml::GetRequestAttribute(const CATUnicodeString& name, CATUnicodeString& value) const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetRequestAttribute");
  return ReadNamedValue(zelDebug, m_request, name, value);
}

long ZELRequestXml::GetResponseAttribute(const CATUnicodeString& name, CATUnicodeString& value) const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetResponseAttribute");
  return ReadNamedValue(zelDebug, m_response, name, value);
}

long ZELRequestXml::GetResponseAttributeList(const CATUnicodeString& name, CATListValCATUnicodeString& values,
                                             CATRawCollint* defaultFlags) const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetResponseAttributeList");
  values.RemoveAll();
  CATUnicodeString single;
  if (FAILED(GetResponseAttribute(name, single)) || single.IsNull())
    return GetResponseAttributeListFromChild(name, values, defaultFlags);
  // Every piece before a separator counts, empty ones included; the piece after the last one only when
  // it is not empty.
  int start = 0;
  const int length = single.GetLengthInChar();
  for (;;) {
    int at = single.SearchSubString(kSeparatorText, start);
    if (at < 0) {
      if (start < length) {
        values.Append(single.SubString(start, length - start));
        if (defaultFlags) defaultFlags->Append(0);
      }
      break;
    }
    values.Append(single.SubString(start, at - start));
    if (defaultFlags) defaultFlags->Append(0);
    start = at + kSeparatorLength;
  }
  return S_OK;
}

long ZELRequestXml::GetResponseAttributeListFromChild(const CATUnicodeString& name,
                                                      CATListValCATUnicodeString& values,
                                                      CATRawCollint* defaultFlags) const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetResponseAttributeListFromChild");
  if (!m_response) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATIDOMElement_var attribute;
  if (FAILED(FindNamedChild(zelDebug, m_response, name, attribute))) return E_FAIL;
  return ForEachChildElement(zelDebug, attribute, [&](const CATIDOMElement_var& item) {
    CATUnicodeString value, isDefault;
    if (FAILED(item->GetAttribute(kValue, value)) || value.IsNull()) return true;
    values.Append(value);
    if (defaultFlags) {
      item->GetAttribute(kDefault, isDefault);
      defaultFlags->Append(isDefault == "true" ? 1 : 0);
    }
    return true;
  });
}

long ZELRequestXml::GetErrors(unsigned char& hasErrors, CATRawCollint* codes,
                              CATListValCATUnicodeString* texts) const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetErrors");
  CATIDOMNodeList_var rootErrors;
  if (FAILED(EvaluateNodes(zelDebug, m_document, "/ZEL/Error", rootErrors))) return E_FAIL;
  unsigned int rootCount = 0;
  rootErrors->GetLength(rootCount);
  if (rootCount > 0) {
    // Errors outside the response shadow those inside it.
    CollectErrors(rootErrors, hasErrors, codes, texts);
    return S_OK;
  }
  if (!m_response) {
    ZEL_DETAIL("Response missing");
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATIDOMNodeList_var responseErrors;
  if (FAILED(EvaluateNodes(zelDebug, m_document, "/*/Response/Error", responseErrors))) return E_FAIL;
  CollectErrors(responseErrors, hasErrors, codes, texts);
  return S_OK;
}

long ZELRequestXml::GetErrorsNLS(unsigned char& hasErrors, CATRawCollint& codes,
                                 CATListValCATUnicodeString& texts) const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetErrorsNLS");
  // Entries already in the lists are left alone; only those added here are paired and localised.
  const int codesBefore = codes.Size(), textsBefore = texts.Size();
  if (FAILED(GetErrors(hasErrors, &codes, &texts)) ||
      codes.Size() - codesBefore != texts.Size() - textsBefore) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  for (int i = codes.Size() - codesBefore; i >= 1; --i) {
    const int code = codes[codesBefore + i];
    CATUnicodeString& text = texts[textsBefore + i];
    if (code == 0) continue;
    CATUnicodeString fallback = text;
    if (code < 1000)
      fallback = ZELGlobal::BuildMessage("HtmlRequest", "ErrorCommunication", nullptr, 0,
                                         "ZELHtmlRequest ErrorCommunication");
    text = ZELGlobal::BuildMessage("HtmlRequest", NumberedKey("Error_", code), nullptr, 0, fallback);
  }
  return S_OK;
}

long ZELRequestXml::GetMessages(CATRawCollint& codes, CATListValCATUnicodeString& texts) const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetMessages");
  CATIDOMNodeList_var messages;
  if (FAILED(EvaluateNodes(zelDebug, m_document, "/*/Response/Message", messages))) return E_FAIL;
  unsigned int count = 0;
  messages->GetLength(count);
  for (unsigned int i = 0; i < count; ++i) {
    CATIDOMNode_var node;
    if (FAILED(messages->Item(i, node))) continue;
    CATIDOMElement_var element = node;
    if (!element) continue;
    codes.Append(CodeOf(element));
    CATUnicodeString text;
    if (FirstChildText(element, text)) texts.Append(text);
  }
  return S_OK;
}

long ZELRequestXml::GetMessagesNLS(CATRawCollint& codes, CATListValCATUnicodeString& texts) const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetMessagesNLS");
  const int codesBefore = codes.Size(), textsBefore = texts.Size();
  if (FAILED(GetMessages(codes, texts)) || codes.Size() - codesBefore != texts.Size() - textsBefore) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  for (int i = codes.Size() - codesBefore; i >= 1; --i) {
    const int code = codes[codesBefore + i];
    CATUnicodeString& text = texts[textsBefore + i];
    if (code != 0)
      text = ZELGlobal::BuildMessage("HtmlRequest", NumberedKey("Message_", code), nullptr, 0, text);
  }
  return S_OK;
}

long ZELRequestXml::GetNodesForXPath(const CATUnicodeString& xpath, CATIDOMNodeList_var& nodes) const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetNodesForXPath");
  CATIDOMNodeList_var list;
  if (FAILED(EvaluateNodes(zelDebug, m_document, xpath, list))) return E_FAIL;
  unsigned int count = 0;
  list->GetLength(count);
  if (count > 0) nodes = list;
  return S_OK;
}

CATUnicodeString ZELRequestXml::GetRequestId() const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetRequestId");
  CATUnicodeString id;
  if (!m_request || FAILED(m_request->GetAttribute(kId, id))) return CATUnicodeString();
  return id;
}

CATUnicodeString ZELRequestXml::GetResponseId() const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetResponseId");
  CATUnicodeString id;
  if (!m_response || FAILED(m_response->GetAttribute(kId, id))) return CATUnicodeString();
  return id;
}

long ZELRequestXml::GetResponse(CATIDOMElement_var& response) const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetResponse");
  response = m_response;
  return S_OK;
}

const CATIDOMDocument_var& ZELRequestXml::GetDocument() const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetDocument");
  return m_document;
}

long ZELRequestXml::GetXml(CATUnicodeString& text) const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::GetXml");
  CATIXMLDOMDocumentBuilder_var builder;
  if (!m_document || FAILED(MakeBuilder(builder))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATListValCATUnicodeString names, values;
  names.Append("CATEncoding");
  values.Append("UTF-8");
  if (FAILED(builder->WriteToString(m_document, text, &names, &values))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  return S_OK;
}

long ZELRequestXml::Dump(unsigned char withoutEncoding) const {
  ZEL_DEBUG_SCOPE("ZELRequestXml::Dump");
  CATIXMLDOMDocumentBuilder_var builder;
  if (!m_document || FAILED(MakeBuilder(builder))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATListValCATUnicodeString names, values;
  names.Append("CATIndentation");
  values.Append("2");
  if (withoutEncoding == 0) {
    names.Append("CATEncoding");
    values.Append("UTF-8");
  }
  // A trace must not leak the password: it is shown masked and put back right after.
  std::vector<std::pair<CATIDOMElement_var, CATUnicodeString>> masked;
  if (!!m_request) {
    ForEachChildElement(zelDebug, m_request, [&masked](const CATIDOMElement_var& element) {
      CATUnicodeString name, value;
      if (SUCCEEDED(element->GetAttribute(kName, name)) && name == "Password" &&
          SUCCEEDED(element->GetAttribute(kValue, value)) && SUCCEEDED(element->SetAttribute(kValue, "***")))
        masked.emplace_back(element, value);
      return true;
    });
  }
  CATUnicodeString text;
  long rc = builder->WriteToString(m_document, text, &names, &values);
  for (auto& [element, value] : masked) element->SetAttribute(kValue, value);
  std::cout << "\n" << text << "\n" << std::flush;
  if (FAILED(rc)) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  return S_OK;
}

long ZELRequestXml::ReadXmlString(CATUnicodeString text) {
  ZEL_DEBUG_SCOPE("ZELRequestXml::ReadXmlString");
  // A response element of an earlier parse belongs to the old document: keeping it would make the readers
  // report the old reply's data as the new one's (even after a failed parse).
  m_response = NULL_var;
  CATIXMLSAX2Factory_var factory;
  CATIXMLInputSource_var source;
  if (FAILED(CreateCATIXMLSAX2Factory(CLSID_XML4C_SAX, factory)) || !factory ||
      FAILED(factory->CreateInputSourceFromBuffer(text, "ZEL", source)) || !source) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATIXMLDOMDocumentBuilder_var builder;
  CATIDOMDocument_var document;
  CATListValCATUnicodeString noFeatures, noValues;
  if (FAILED(MakeBuilder(builder)) ||
      FAILED(builder->Parse(source, document, NULL_var, NULL_var, noFeatures, noValues)) || !document) {
    m_document = NULL_var;
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  m_document = document;
  CATIXMLXPathFactory_var xpath = m_document;
  if (!xpath) {
    m_document = NULL_var;
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATIXMLXPathResult_var result;
  CATIDOMNodeList_var responses;
  if (FAILED(xpath->Evaluate("/*/Response", NULL_var, result)) || !result ||
      FAILED(result->GetNodeList(responses)) || !responses) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  unsigned int count = 0;
  responses->GetLength(count);
  CATIDOMNode_var first;
  if (count > 0) responses->Item(0, first);
  CATIDOMElement_var response = first;
  if (!response) {
    ZEL_DETAIL("no response found");
    return S_OK;
  }
  m_response = response;
  return S_OK;
}
