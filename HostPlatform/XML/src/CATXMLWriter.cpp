// Serialisation of a document (see CATIXMLDOMDocumentBuilder.h for the parameters), without recursion.
#include <algorithm>

#include "CATDecimalReader.h"
#include "CATXMLImpl.h"

namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

class Writer {
 public:
  Writer(std::string& out, int indentation)
      : out_(out), pretty_(indentation >= 0), indent_(std::max(indentation, 0)) {}

  // Writes the node and its subtree.
  void Subtree(pugi::xml_node start) {
    std::vector<char> inlined;  // per open element: whether its children go on its line
    pugi::xml_node cur = start;
    for (;;) {
      bool here = inlined.empty() ? !pretty_ : inlined.back();
      if (!here) NewLine(inlined.size());
      if (cur.type() == pugi::node_element) {
        StartTag(cur);
        if (cur.first_child()) {
          out_ += '>';
          inlined.push_back(here || HoldsText(cur));
          cur = cur.first_child();
          continue;
        }
        out_ += "/>";
      } else {
        Leaf(cur);
      }
      for (;;) {
        if (cur == start) return;
        if (pugi::xml_node next = cur.next_sibling()) {
          cur = next;
          break;
        }
        cur = cur.parent();
        bool childrenInlined = inlined.back();
        inlined.pop_back();
        if (!childrenInlined) NewLine(inlined.size());
        out_ += "</";
        out_ += cur.name();
        out_ += '>';
      }
    }
  }

 private:
  static constexpr size_t kMaxIndentLevels = 128;

  void NewLine(size_t depth) {
    if (!out_.empty()) out_ += '\n';
    out_.append(std::min(depth, kMaxIndentLevels) * static_cast<size_t>(indent_), ' ');
  }

  // An element holding text is written on one line, so that no white space is added to its text.
  static bool HoldsText(pugi::xml_node n) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
      if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) return true;
    return false;
  }

  void StartTag(pugi::xml_node n) {
    out_ += '<';
    out_ += n.name();
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
      out_ += ' ';
      out_ += a.name();
      out_ += "=\"";
      CATXMLChars::AppendAttributeValue(out_, a.value());
      out_ += '"';
    }
  }

  void Leaf(pugi::xml_node n) {
    std::string_view v = n.value();
    switch (n.type()) {
      case pugi::node_pcdata:
        CATXMLChars::AppendText(out_, v);
        break;
      case pugi::node_cdata:
        out_ += "<![CDATA[";
        for (size_t i = 0; i < v.size();) {
          if (v.compare(i, 3, "]]>") == 0) {
            out_ += "]]]]><![CDATA[>";  // "]]>" cannot stand inside a section: split it
            i += 3;
          } else if (v[i] == '\r') {
            out_ += "]]>&#13;<![CDATA[";  // a carriage return survives reading only as a reference
            ++i;
          } else {
            out_ += v[i++];
          }
        }
        out_ += "]]>";
        break;
      case pugi::node_comment:
        out_ += "<!--";
        out_ += v;
        out_ += "-->";
        break;
      case pugi::node_pi:
        out_ += "<?";
        out_ += n.name();
        if (!v.empty()) {
          out_ += ' ';
          out_ += v;
        }
        out_ += "?>";
        break;
      case pugi::node_doctype:
        out_ += "<!DOCTYPE ";
        out_ += v;
        out_ += '>';
        break;
      default:
        break;
    }
  }

  std::string& out_;
  bool pretty_;
  int indent_;
};

}  // namespace

HRESULT CATXMLReadWriteOptions(const CATListOfCATUnicodeString* names,
                               const CATListOfCATUnicodeString* values, bool forFile,
                               CATXMLWriteOptions& options) {
  int count = names ? names->Size() : 0;
  if (count != (values ? values->Size() : 0)) return E_INVALIDARG;
  for (int i = 1; i <= count; ++i) {
    std::string name = (*names)[i].ConvertToUTF8();
    std::string value = (*values)[i].ConvertToUTF8();
    if (name == "CATEncoding") {
      std::string upper = Upper(value);
      if (upper == "UTF-8" || (!forFile && upper == "UTF-16"))
        options.encoding = upper;
      else
        return E_INVALIDARG;
    } else if (name == "CATIndentation") {
      long long n = 0;
      if (CATReadDecimal(value, 0, 16, n) != CATDecimalResult::OK) return E_INVALIDARG;
      options.indentation = static_cast<int>(n);
    } else {
      return E_INVALIDARG;
    }
  }
  return S_OK;
}

void CATXMLWrite(const pugi::xml_node& document, const CATXMLWriteOptions& options, std::string& out) {
  out.clear();
  out += "<?xml version=\"1.0\"";
  if (!options.encoding.empty()) {
    out += " encoding=\"";
    out += options.encoding;
    out += '"';
  }
  out += "?>";
  Writer writer(out, options.indentation);
  for (pugi::xml_node n = document.first_child(); n; n = n.next_sibling()) writer.Subtree(n);
}
