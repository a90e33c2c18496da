// Document builder (parse, write) and DOM implementation (create).
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <new>

#include "CATIXMLDOMDocumentBuilder.h"
#include "CATIXMLSAX2Factory.h"
#include "CATXMLImpl.h"

namespace {

// 1-based line and column (in characters) of a byte offset.
void Position(const std::string& text, size_t offset, int& line, int& column) {
  line = 1;
  column = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      ++line;
      column = 1;
    } else if ((c & 0xC0) != 0x80) {
      ++column;
    }
  }
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

HRESULT CheckFeatures(const CATListOfCATUnicodeString& names, const CATListOfCATUnicodeString& values) {
  if (names.Size() != values.Size()) return E_INVALIDARG;
  for (int i = 1; i <= names.Size(); ++i) {
    std::string name = names[i].ConvertToUTF8();
    std::string value = Lower(values[i].ConvertToUTF8());
    if (name != "CATDoValidation") return E_INVALIDARG;
    if (value == "true") return E_NOTIMPL;
    if (value != "false") return E_INVALIDARG;
  }
  return S_OK;
}

// The state of a document handler of this library; null for anything else.
CATXMLDocStatePtr StateOf(const CATIDOMDocument_var& document) {
  CATXMLNodeAccess* access = document ? CATXMLAccessOf(document.get()) : nullptr;
  if (!access || access->IsAttribute() || access->Node().type() != pugi::node_document) return nullptr;
  return access->State();
}

class ImplementationImpl : public CATIDOMImplementation {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIDOMImplementation>(this, iid, out);
  }

  HRESULT CreateDocument(const CATUnicodeString& iNamespaceURI, const CATUnicodeString& iQualifiedName,
                         const CATIDOMDocumentType_var& iDocType, CATIDOMDocument_var& oDocument) override {
    CATXML_TRY
    oDocument = NULL_var;
    if (iDocType) return E_INVALIDARG;
    std::string ns = iNamespaceURI.ConvertToUTF8(), name = iQualifiedName.ConvertToUTF8();
    if (CATXMLChars::FindInvalid(ns) != std::string_view::npos) return E_INVALIDARG;
    auto st = std::make_shared<CATXMLDocState>();
    if (!name.empty()) {
      if (!CATXMLChars::IsName(name)) return E_INVALIDARG;
      size_t colon = name.find(':');
      if (colon != std::string::npos && ns.empty()) return E_INVALIDARG;
      pugi::xml_node root = st->doc.append_child(name.c_str());
      if (!root) return E_OUTOFMEMORY;
      if (!ns.empty()) {
        std::string attr = colon == std::string::npos ? "xmlns" : "xmlns:" + name.substr(0, colon);
        if (!root.append_attribute(attr.c_str()).set_value(ns.c_str())) return E_OUTOFMEMORY;
      }
    } else if (!ns.empty()) {
      return E_INVALIDARG;
    }
    CATXMLAssign(oDocument, CATXMLMakeDocument(st));
    return S_OK;
    CATXML_CATCH
  }
};

class DocumentBuilderImpl : public CATIXMLDOMDocumentBuilder {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIXMLDOMDocumentBuilder>(this, iid, out);
  }

  HRESULT GetDOMImplementation(CATIDOMImplementation_var& oImplementation) override {
    CATXML_TRY
    CATXMLAssign(oImplementation, new ImplementationImpl());
    return S_OK;
    CATXML_CATCH
  }

  HRESULT Parse(const CATIXMLInputSource_var& iSource, CATIDOMDocument_var& oDocument,
                const CATISAXEntityResolver_var& /*iEntityResolver: never needed, nothing external is read*/,
                const CATISAXErrorHandler_var& iErrorHandler, const CATListOfCATUnicodeString& iFeatureNames,
                const CATListOfCATUnicodeString& iFeatureValues) override {
    CATXML_TRY
    oDocument = NULL_var;
    HRESULT rc = CheckFeatures(iFeatureNames, iFeatureValues);
    if (FAILED(rc)) return rc;
    auto* source = dynamic_cast<CATXMLInputSourceImpl*>(iSource.get());
    if (!source) return E_INVALIDARG;
    CATUnicodeString systemId;
    source->GetSystemId(systemId);
    auto st = std::make_shared<CATXMLDocState>();
    std::string error;
    size_t offset = 0;
    if (!source->Load(st->buffer, error)) {
      Report(iErrorHandler, error, systemId, 0, 0);
      return E_FAIL;
    }
    if (!CATXMLParseBuffer(*st, error, offset)) {
      // pugixml has written terminators into the buffer, so positions are counted on a fresh copy.
      std::string text;
      source->Load(text, error);
      int line, column;
      Position(text, offset, line, column);
      Report(iErrorHandler, error, systemId, line, column);
      return E_FAIL;
    }
    CATXMLAssign(oDocument, CATXMLMakeDocument(st));
    return S_OK;
    CATXML_CATCH
  }

  HRESULT ParseFile(const CATUnicodeString& iPath, CATIDOMDocument_var& oDocument,
                    const CATISAXEntityResolver_var& iEntityResolver,
                    const CATISAXErrorHandler_var& iErrorHandler,
                    const CATListOfCATUnicodeString& iFeatureNames,
                    const CATListOfCATUnicodeString& iFeatureValues) override {
    CATXML_TRY
    oDocument = NULL_var;
    CATIXMLSAX2Factory_var factory;
    CATIXMLInputSource_var source;
    HRESULT rc = CreateCATIXMLSAX2Factory(CLSID_XML4C_SAX, factory);
    if (SUCCEEDED(rc)) rc = factory->CreateInputSourceFromFile(iPath, source);
    if (FAILED(rc)) return rc;
    return Parse(source, oDocument, iEntityResolver, iErrorHandler, iFeatureNames, iFeatureValues);
    CATXML_CATCH
  }

  HRESULT WriteToString(const CATIDOMDocument_var& iDocument, CATUnicodeString& oText,
                        const CATListOfCATUnicodeString* iParameterNames,
                        const CATListOfCATUnicodeString* iParameterValues) override {
    CATXML_TRY
    CATXMLDocStatePtr st = StateOf(iDocument);
    if (!st) return E_INVALIDARG;
    CATXMLWriteOptions options;
    HRESULT rc = CATXMLReadWriteOptions(iParameterNames, iParameterValues, false, options);
    if (FAILED(rc)) return rc;
    std::string text;
    CATXMLWrite(st->doc, options, text);
    oText = CATXMLChars::FromUTF8(text);
    return S_OK;
    CATXML_CATCH
  }

  HRESULT WriteToFile(const CATIDOMDocument_var& iDocument, const CATUnicodeString& iPath,
                      const CATListOfCATUnicodeString* iParameterNames,
                      const CATListOfCATUnicodeString* iParameterValues) override {
    CATXML_TRY
    CATXMLDocStatePtr st = StateOf(iDocument);
    std::string path = iPath.ConvertToUTF8();
    if (!st || path.empty() || path.find('\0') != std::string::npos) return E_INVALIDARG;
    CATXMLWriteOptions options;
    HRESULT rc = CATXMLReadWriteOptions(iParameterNames, iParameterValues, true, options);
    if (FAILED(rc)) return rc;
    std::string text;
    CATXMLWrite(st->doc, options, text);
    // Written beside the target and renamed over it, so readers never see half a file.
    std::string temp = path + ".tmp" + std::to_string(getpid());
    {
      std::ofstream out(temp, std::ios::binary | std::ios::trunc);
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      out.flush();
      if (!out) {
        std::remove(temp.c_str());
        return E_FAIL;
      }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
      std::remove(temp.c_str());
      return E_FAIL;
    }
    return S_OK;
    CATXML_CATCH
  }

 private:
  static void Report(const CATISAXErrorHandler_var& handler, const std::string& message,
                     const CATUnicodeString& systemId, int line, int column) {
    if (handler) handler->FatalError(CATUnicodeString(message), systemId, line, column);
  }
};

}  // namespace

HRESULT CreateCATIXMLDOMDocumentBuilder(const CLSID& iClsid, CATIXMLDOMDocumentBuilder_var& oBuilder) {
  CATXML_TRY
  oBuilder = NULL_var;
  if (!(iClsid == CLSID_XML4C_DOM)) return E_FAIL;
  CATXMLAssign(oBuilder, new DocumentBuilderImpl());
  return S_OK;
  CATXML_CATCH
}
