// XPath 1.0 evaluation (pugixml's engine) over a document.
#include <new>

#include "CATXMLImpl.h"

namespace {

class XPathResultImpl : public CATIXMLXPathResult {
 public:
  XPathResultImpl(const CATXMLDocStatePtr& st, unsigned short type) : st_(st), type_(type) {}
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIXMLXPathResult>(this, iid, out);
  }
  HRESULT GetResultType(unsigned short& oType) override {
    oType = type_;
    return S_OK;
  }
  HRESULT GetNumberValue(double& oValue) override {
    if (type_ != NUMBER_TYPE) return E_FAIL;
    oValue = number_;
    return S_OK;
  }
  HRESULT GetStringValue(CATUnicodeString& oValue) override {
    if (type_ != STRING_TYPE) return E_FAIL;
    CATXML_TRY
    oValue = CATXMLChars::FromUTF8(string_);
    return S_OK;
    CATXML_CATCH
  }
  HRESULT GetBooleanValue(CATBoolean& oValue) override {
    if (type_ != BOOLEAN_TYPE) return E_FAIL;
    oValue = boolean_ ? TRUE : FALSE;
    return S_OK;
  }
  HRESULT GetNodeList(CATIDOMNodeList_var& oList) override {
    if (type_ != NODE_SET_TYPE) return E_FAIL;
    CATXML_TRY
    CATXMLAssign(oList, CATXMLMakeNodeList(st_, nodes_));
    return S_OK;
    CATXML_CATCH
  }

  double number_ = 0;
  std::string string_;
  bool boolean_ = false;
  std::vector<CATXMLListEntry> nodes_;

 private:
  CATXMLDocStatePtr st_;
  unsigned short type_;
};

class XPathFactoryImpl : public CATIXMLXPathFactory {
 public:
  explicit XPathFactoryImpl(const CATXMLDocStatePtr& st) : st_(st) {}
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIXMLXPathFactory>(this, iid, out);
  }

  HRESULT Evaluate(const CATUnicodeString& iExpression, const CATIDOMNode_var& iContext,
                   CATIXMLXPathResult_var& oResult) override {
    CATXML_TRY
    oResult = NULL_var;
    pugi::xpath_node context(st_->doc);
    if (iContext) {
      CATXMLNodeAccess* c = CATXMLAccessOf(iContext.get());
      if (!c || c->State() != st_) return E_INVALIDARG;
      pugi::xml_node n = c->Node();
      if (st_->InLimbo(n)) return E_INVALIDARG;
      context = c->IsAttribute() ? pugi::xpath_node(n.attribute(c->AttributeName().c_str()), n)
                                 : pugi::xpath_node(n);
    }
    std::string expression = iExpression.ConvertToUTF8();
    if (expression.find('\0') != std::string::npos) return E_INVALIDARG;

    XPathResultImpl* result = nullptr;
    try {
      pugi::xpath_query query(expression.c_str());
      if (!query) return E_INVALIDARG;
      switch (query.return_type()) {
        case pugi::xpath_type_node_set: {
          pugi::xpath_node_set set = query.evaluate_node_set(context);
          set.sort();
          result = new XPathResultImpl(st_, CATIXMLXPathResult::NODE_SET_TYPE);
          result->nodes_.reserve(set.size());
          for (const pugi::xpath_node& x : set) {
            if (x.attribute())
              result->nodes_.push_back({x.parent(), x.attribute().name()});
            else
              result->nodes_.push_back({x.node(), std::string()});
          }
          break;
        }
        case pugi::xpath_type_number:
          result = new XPathResultImpl(st_, CATIXMLXPathResult::NUMBER_TYPE);
          result->number_ = query.evaluate_number(context);
          break;
        case pugi::xpath_type_string:
          result = new XPathResultImpl(st_, CATIXMLXPathResult::STRING_TYPE);
          result->string_ = query.evaluate_string(context);
          break;
        case pugi::xpath_type_boolean:
          result = new XPathResultImpl(st_, CATIXMLXPathResult::BOOLEAN_TYPE);
          result->boolean_ = query.evaluate_boolean(context);
          break;
        default:
          return E_INVALIDARG;
      }
    } catch (const pugi::xpath_exception&) {
      if (result) result->Release();
      return E_INVALIDARG;
    } catch (...) {
      if (result) result->Release();
      throw;
    }
    CATXMLAssign(oResult, result);
    return S_OK;
    CATXML_CATCH
  }

 private:
  CATXMLDocStatePtr st_;
};

}  // namespace

CATIXMLXPathFactory* CATXMLMakeXPathFactory(const CATXMLDocStatePtr& st) {
  return new XPathFactoryImpl(st);
}
