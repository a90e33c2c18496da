// Parsing: pugixml builds the tree (without recursion); the checks it leaves out are made here, and the
// references in text and attribute values are replaced here (pugixml runs without parse_escapes so that a
// reference to an entity it does not know cannot pass as text).
#include <cstring>
#include <string>
#include <unordered_set>

#include "CATDecimalReader.h"
#include "CATUTF8Codec.h"
#include "CATXMLImpl.h"

namespace {

// pugixml flags: top-level text is kept (parse_fragment) so that text outside the root is seen and refused.
constexpr unsigned kFlags = pugi::parse_fragment | pugi::parse_cdata | pugi::parse_comments | pugi::parse_pi |
                            pugi::parse_declaration | pugi::parse_doctype | pugi::parse_ws_pcdata |
                            pugi::parse_eol | pugi::parse_wconv_attribute;

bool IsXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

class Checker {
 public:
  Checker(CATXMLDocState& st, std::string& message, size_t& offset)
      : st_(st), message_(message), offset_(offset) {}

  bool Run(size_t start, bool hasDeclaration) { return TopLevel(start, hasDeclaration) && Tree(); }

 private:
  bool Fail(const char* where, std::string message) {
    message_ = std::move(message);
    const char* base = st_.buffer.data();
    offset_ = (where >= base && where < base + st_.buffer.size()) ? static_cast<size_t>(where - base) : 0;
    return false;
  }

  // Document level: declaration first, at most one DOCTYPE before the one root element, no text.
  bool TopLevel(size_t start, bool hasDeclaration) {
    int elements = 0;
    bool doctype = false;
    std::vector<pugi::xml_node> drop;
    for (pugi::xml_node n = st_.doc.first_child(); n; n = n.next_sibling()) {
      switch (n.type()) {
        case pugi::node_declaration:
          if (n != st_.doc.first_child() || !hasDeclaration)
            return Fail(n.name(), "the XML declaration is allowed only at the very beginning");
          if (!*n.attribute("version").value())
            return Fail(n.name(), "the XML declaration lacks its version");
          drop.push_back(n);
          break;
        case pugi::node_doctype:
          if (doctype || elements) return Fail(n.value(), "DOCTYPE misplaced or repeated");
          doctype = true;
          break;
        case pugi::node_element:
          if (++elements > 1) return Fail(n.name(), "more than one root element");
          break;
        case pugi::node_pcdata:
          for (const char* p = n.value(); *p; ++p)
            if (!CATXMLChars::IsSpace(*p)) return Fail(p, "text outside the root element");
          drop.push_back(n);
          break;
        case pugi::node_cdata:
          return Fail(n.value(), "CDATA section outside the root element");
        default:
          break;
      }
    }
    if (!elements) return Fail(st_.buffer.data() + start, "no root element");
    for (pugi::xml_node n : drop) st_.doc.remove_child(n);
    return true;
  }

  // Every node of the tree, in document order, without recursion. Below the document every node's depth is
  // its element nesting level (elements have only elements above them).
  bool Tree() {
    return CATXMLWalkWithDepth(st_.doc, [this](pugi::xml_node cur, size_t depth) {
      if (depth > kCATXMLMaxDepth && cur.type() == pugi::node_element)
        return Fail(cur.name(), "elements nested deeper than " + std::to_string(kCATXMLMaxDepth) + " levels");
      return Node(cur);
    });
  }

  bool Node(pugi::xml_node n) {
    switch (n.type()) {
      case pugi::node_element:
        return Element(n);
      case pugi::node_pcdata: {
        const char* v = n.value();
        if (const char* bad = std::strstr(v, "]]>")) return Fail(bad, "\"]]>\" in text");
        return Decode(n, v);
      }
      case pugi::node_comment: {
        const char* v = n.value();
        if (const char* bad = std::strstr(v, "--")) return Fail(bad, "\"--\" in a comment");
        size_t len = std::strlen(v);
        if (len && v[len - 1] == '-') return Fail(v + len - 1, "a comment ending with \"-\"");
        return true;
      }
      case pugi::node_pi: {
        const char* name = n.name();
        if (!CATXMLChars::IsName(name)) return Fail(name, "invalid processing-instruction target");
        if (std::strlen(name) == 3 && (name[0] | 0x20) == 'x' && (name[1] | 0x20) == 'm' &&
            (name[2] | 0x20) == 'l')
          return Fail(name, "reserved processing-instruction target \"xml\"");
        return true;
      }
      default:
        return true;
    }
  }

  bool Element(pugi::xml_node n) {
    const char* name = n.name();
    if (!CATXMLChars::IsName(name)) return Fail(name, "invalid element name");
    size_t count = 0;
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
      const char* an = a.name();
      if (!CATXMLChars::IsName(an)) return Fail(an, "invalid attribute name");
      const char* v = a.value();
      if (const char* bad = std::strchr(v, '<')) return Fail(bad, "\"<\" in an attribute value");
      if (std::strchr(v, '&')) {
        std::string decoded;
        if (!DecodeText(v, decoded)) return false;
        if (!a.set_value(decoded.c_str())) return Fail(v, "out of memory");
      }
      ++count;
    }
    if (count > 1) {
      // Duplicates: pairwise for the usual few attributes, hashed for many.
      if (count <= 16) {
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
          for (pugi::xml_attribute b = a.next_attribute(); b; b = b.next_attribute())
            if (std::strcmp(a.name(), b.name()) == 0) return Fail(b.name(), "duplicate attribute");
      } else {
        std::unordered_set<std::string_view> seen;
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
          if (!seen.insert(a.name()).second) return Fail(a.name(), "duplicate attribute");
      }
    }
    return true;
  }

  bool Decode(pugi::xml_node n, const char* v) {
    if (!std::strchr(v, '&')) return true;
    std::string decoded;
    if (!DecodeText(v, decoded)) return false;
    if (!n.set_value(decoded.c_str())) return Fail(v, "out of memory");
    return true;
  }

  // Replaces the five predefined entity references and character references; anything else after "&" is
  // refused (entities declared in a DTD are not expanded).
  bool DecodeText(const char* raw, std::string& out) {
    out.clear();
    const char* p = raw;
    for (;;) {
      const char* amp = std::strchr(p, '&');
      if (!amp) {
        out.append(p);
        return true;
      }
      out.append(p, static_cast<size_t>(amp - p));
      const char* end = amp + 1;
      while (*end && *end != ';' && *end != '&' && *end != '<' && !CATXMLChars::IsSpace(*end)) ++end;
      if (*end != ';') return Fail(amp, "\"&\" that does not start a reference");
      std::string_view ref(amp + 1, static_cast<size_t>(end - amp - 1));
      if (!ref.empty() && ref[0] == '#') {
        bool hex = ref.size() > 1 && ref[1] == 'x';
        std::string_view digits = ref.substr(hex ? 2 : 1);
        if (digits.empty()) return Fail(amp, "empty character reference");
        char32_t cp = 0;
        if (hex) {
          for (char c : digits) {
            int d;
            if (c >= '0' && c <= '9')
              d = c - '0';
            else if (c >= 'a' && c <= 'f')
              d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
              d = c - 'A' + 10;
            else
              return Fail(amp, "invalid character reference");
            cp = cp * 16 + static_cast<char32_t>(d);
            if (cp > 0x10FFFF) return Fail(amp, "character reference out of range");
          }
        } else {
          long long value = 0;
          const CATDecimalResult read = CATReadDecimal(digits, 0, 0x10FFFF, value);
          if (read == CATDecimalResult::Syntax) return Fail(amp, "invalid character reference");
          if (read == CATDecimalResult::Range) return Fail(amp, "character reference out of range");
          cp = static_cast<char32_t>(value);
        }
        if (!IsXmlChar(cp)) return Fail(amp, "character reference to a character XML does not allow");
        CATAppendUTF8(out, cp);
      } else if (ref == "lt") {
        out += '<';
      } else if (ref == "gt") {
        out += '>';
      } else if (ref == "amp") {
        out += '&';
      } else if (ref == "apos") {
        out += '\'';
      } else if (ref == "quot") {
        out += '"';
      } else {
        return Fail(amp, "reference to an undeclared or unsupported entity &" + std::string(ref) + ";");
      }
      p = end + 1;
    }
  }

  CATXMLDocState& st_;
  std::string& message_;
  size_t& offset_;
};

}  // namespace

bool CATXMLParseBuffer(CATXMLDocState& st, std::string& message, size_t& offset) {
  std::string& b = st.buffer;
  size_t start = b.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  size_t bad = CATXMLChars::FindInvalid(std::string_view(b).substr(start));
  if (bad != std::string_view::npos) {
    message = b[start + bad] == '\0' ? "NUL character" : "invalid UTF-8 or a character XML does not allow";
    offset = start + bad;
    return false;
  }
  // pugixml sets the last character aside; a document ends with ">" (then only white space), so check it
  // here: text after the root would otherwise lose its last character unseen.
  size_t end = b.size();
  while (end > start && CATXMLChars::IsSpace(b[end - 1])) --end;
  if (end == start) {
    message = "no root element";
    offset = b.size();
    return false;
  }
  if (b[end - 1] != '>') {
    message = "text after the root element, or an unfinished document";
    offset = end - 1;
    return false;
  }
  bool hasDeclaration =
      b.compare(start, 5, "<?xml") == 0 && start + 5 < b.size() && CATXMLChars::IsSpace(b[start + 5]);
  pugi::xml_parse_result r =
      st.doc.load_buffer_inplace(b.data() + start, b.size() - start, kFlags, pugi::encoding_utf8);
  if (!r) {
    message = r.description();
    offset = start + static_cast<size_t>(r.offset);
    return false;
  }
  return Checker(st, message, offset).Run(start, hasDeclaration);
}
