// SAX2 factory and input sources.
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <new>

#include "CATIXMLSAX2Factory.h"
#include "CATUTF8Codec.h"
#include "CATXMLImpl.h"

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The encoding named by the XML declaration at the start of bytes ("" when none).
std::string DeclaredEncoding(const std::string& bytes) {
  if (bytes.compare(0, 5, "<?xml") != 0) return std::string();
  size_t end = bytes.find("?>");
  if (end == std::string::npos || end > 512) return std::string();
  std::string decl = bytes.substr(0, end);
  size_t at = decl.find("encoding");
  if (at == std::string::npos) return std::string();
  at = decl.find_first_of("\"'", at);
  if (at == std::string::npos) return std::string();
  size_t close = decl.find(decl[at], at + 1);
  if (close == std::string::npos) return std::string();
  return Lower(decl.substr(at + 1, close - at - 1));
}

bool DecodeFile(std::string bytes, std::string& utf8, std::string& error) {
  auto utf16 = [&](bool little) {
    if (bytes.size() % 2) {
      error = "UTF-16 file with an odd number of bytes";
      return false;
    }
    std::u16string text;
    text.reserve(bytes.size() / 2 - 1);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      unsigned char a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
      text.push_back(static_cast<char16_t>(little ? (a | (b << 8)) : ((a << 8) | b)));
    }
    utf8 = CATUTF16ToUTF8(text);
    return true;
  };
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    utf8 = bytes.substr(3);
    return true;
  }
  if (bytes.compare(0, 2, "\xFF\xFE") == 0) return utf16(true);
  if (bytes.compare(0, 2, "\xFE\xFF") == 0) return utf16(false);
  std::string encoding = DeclaredEncoding(bytes);
  if (encoding.empty() || encoding == "utf-8" || encoding == "utf8" || encoding == "us-ascii" ||
      encoding == "ascii") {
    utf8 = std::move(bytes);
    return true;
  }
  if (encoding == "iso-8859-1" || encoding == "latin1" || encoding == "latin-1" || encoding == "iso_8859-1") {
    utf8.clear();
    utf8.reserve(bytes.size());
    // Every Latin-1 byte is the code point of the same number.
    for (unsigned char c : bytes) CATAppendUTF8(utf8, c);
    return true;
  }
  error = "unsupported encoding \"" + encoding + "\"";
  return false;
}

class SAX2FactoryImpl : public CATIXMLSAX2Factory {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIXMLSAX2Factory>(this, iid, out);
  }
  HRESULT CreateInputSourceFromBuffer(const CATUnicodeString& iText, const CATUnicodeString& iSystemId,
                                      CATIXMLInputSource_var& oSource) override {
    CATXML_TRY
    oSource = NULL_var;
    std::string text = CATXMLChars::ToUTF8(iText);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);  // U+FEFF in front of the text
    CATXMLAssign(oSource, new CATXMLInputSourceImpl(false, std::move(text), iSystemId));
    return S_OK;
    CATXML_CATCH
  }
  HRESULT CreateInputSourceFromFile(const CATUnicodeString& iPath, CATIXMLInputSource_var& oSource) override {
    CATXML_TRY
    oSource = NULL_var;
    std::string path = iPath.ConvertToUTF8();
    if (path.empty() || path.find('\0') != std::string::npos) return E_INVALIDARG;
    CATXMLAssign(oSource, new CATXMLInputSourceImpl(true, path, iPath));
    return S_OK;
    CATXML_CATCH
  }
};

}  // namespace

HRESULT CATXMLInputSourceImpl::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATIXMLInputSource>(this, iid, out);
}

HRESULT CATXMLInputSourceImpl::GetSystemId(CATUnicodeString& oSystemId) {
  CATXML_TRY
  oSystemId = systemId_;
  return S_OK;
  CATXML_CATCH
}

bool CATXMLInputSourceImpl::Load(std::string& utf8, std::string& error) const {
  if (!fromFile_) {
    utf8 = data_;
    return true;
  }
  struct stat info {};
  // Regular files only: a FIFO or a device would block or never end.
  if (stat(data_.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    error = "cannot read " + data_;
    return false;
  }
  std::ifstream in(data_, std::ios::binary);
  if (!in) {
    error = "cannot open " + data_;
    return false;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read " + data_;
    return false;
  }
  return DecodeFile(std::move(bytes), utf8, error);
}

HRESULT CreateCATIXMLSAX2Factory(const CLSID& iClsid, CATIXMLSAX2Factory_var& oFactory) {
  CATXML_TRY
  oFactory = NULL_var;
  if (!(iClsid == CLSID_XML4C_SAX)) return E_FAIL;
  CATXMLAssign(oFactory, new SAX2FactoryImpl());
  return S_OK;
  CATXML_CATCH
}
