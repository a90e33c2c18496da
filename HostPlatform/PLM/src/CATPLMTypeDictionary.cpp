// The type dictionary: PLM types read from a text file of lines
//   <type> <supertype, or "-" at the top> <status> <user-visible name>
// where a supertype is declared before its subtypes, so the hierarchy cannot hold a cycle and subtypes
// keep the order of their lines. Blank lines and lines starting with "#" are ignored.
#include <climits>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "CATDecimalReader.h"
#include "CATError.h"
#include "CATGlobalFunctions.h"
#include "CATInstantiateComponent.h"
#include "CATLib.h"
#include "CATPLMObjects.h"

namespace {

class Dictionary;

// Types share their dictionary's reference count: a handler on a type keeps the whole dictionary.
class TypeObj : public CATIType {
 public:
  TypeObj(Dictionary* dictionary, std::string name, std::string userName, int status, TypeObj* supertype)
      : dictionary_(dictionary),
        name_(std::move(name)),
        userName_(std::move(userName)),
        status_(status),
        supertype_(supertype) {}
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIType>(this, iid, out);
  }
  ULONG AddRef() override;
  ULONG Release() override;
  CATUnicodeString Name() override { return name_; }
  CATUnicodeString UserName() override { return userName_; }
  HRESULT GetSupertype(CATIType_var& oSupertype) override {
    oSupertype = supertype_;
    return supertype_ ? S_OK : E_FAIL;
  }
  HRESULT ListSubtypes(CATListValCATIType_var& oSubtypes) override {
    for (TypeObj* subtype : subtypes_) oSubtypes.Append(subtype);
    return S_OK;
  }
  CATBoolean IsATypeOf(const CATIType_var& iType) override {
    for (TypeObj* type = this; type; type = type->supertype_)
      if (static_cast<CATIType*>(type) == iType.get()) return TRUE;
    return FALSE;
  }
  HRESULT GetStatus(int& oStatus) override {
    oStatus = status_;
    return S_OK;
  }
  void AddSubtype(TypeObj* subtype) { subtypes_.push_back(subtype); }

 private:
  Dictionary* dictionary_;
  std::string name_;
  std::string userName_;
  int status_;
  TypeObj* supertype_;
  std::vector<TypeObj*> subtypes_;
};

class Dictionary : public CATITypeDictionary {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATITypeDictionary>(this, iid, out);
  }
  HRESULT FindType(const CATUnicodeString& iName, CATIType_var& oType) override {
    auto found = byName_.find(iName.ConvertToUTF8());
    oType = found == byName_.end() ? nullptr : found->second;
    return found == byName_.end() ? E_FAIL : S_OK;
  }

  // Reads the dictionary; false with a reason naming the line when the text is not a valid dictionary.
  bool Parse(std::istream& in, const std::string& source, std::string& error) {
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::istringstream fields(line);
      std::string name, super, status, userName;
      if (!(fields >> name) || name[0] == '#') continue;
      std::getline(fields >> super >> status >> std::ws, userName);
      while (!userName.empty() && (userName.back() == ' ' || userName.back() == '\t')) userName.pop_back();
      std::string where = source + ":" + std::to_string(number) + ": ";
      long long code = 0;
      if (userName.empty() ||
          CATReadDecimal(status, INT_MIN, INT_MAX, code, CATDecimalSign::Any) != CATDecimalResult::OK) {
        error = where + "expected <type> <supertype> <status> <user-visible name>";
        return false;
      }
      if (byName_.count(name)) {
        error = where + "type " + name + " is declared twice";
        return false;
      }
      TypeObj* supertype = nullptr;
      if (super != "-") {
        auto found = byName_.find(super);
        if (found == byName_.end()) {
          error = where + "supertype " + super + " of " + name + " is not declared before it";
          return false;
        }
        supertype = found->second;
      }
      types_.push_back(std::make_unique<TypeObj>(this, name, userName, static_cast<int>(code), supertype));
      byName_[name] = types_.back().get();
      if (supertype) supertype->AddSubtype(types_.back().get());
    }
    if (types_.empty()) error = source + ": no type declared";
    return !types_.empty();
  }

 private:
  std::vector<std::unique_ptr<TypeObj>> types_;
  std::map<std::string, TypeObj*> byName_;
};

ULONG TypeObj::AddRef() {
  return dictionary_->AddRef();
}

ULONG TypeObj::Release() {
  return dictionary_->Release();
}

std::string DictionaryPath() {
  const char* env = CATGetEnv("ZEL_PLM_TYPES");
  if (env && *env) return env;
  std::string lib = CATGetRuntimeLibraryDirectory();
  return lib.empty() ? std::string() : lib + "/../../resources/plm/PLMTypes.txt";
}

// Dictionaries stay loaded for the life of the process, one per file; a failed load is tried again.
std::map<std::string, CATITypeDictionary_var>& Loaded() {
  static auto* loaded = new std::map<std::string, CATITypeDictionary_var>;
  return *loaded;
}

// The value types of knowledge attributes.
Dictionary& ValueTypes() {
  static Dictionary* types = [] {
    auto* dictionary = new Dictionary;
    std::istringstream text(
        "String - 0 String\nInteger - 0 Integer\nReal - 0 Real\nBoolean - 0 Boolean\nDate - 0 Date\n");
    std::string error;
    dictionary->Parse(text, "value types", error);
    return dictionary;
  }();
  return *types;
}

}  // namespace

CATITypeDictionary_var CATGlobalFunctions::GetTypeDictionary() {
  std::string path = DictionaryPath();
  auto found = Loaded().find(path);
  if (found != Loaded().end()) return found->second;
  std::ifstream in(path, std::ios::binary);
  if (path.empty() || !in) {
    CATError::CATSetLastError(E_FAIL, "PLM type dictionary " + path + " cannot be read");
    return nullptr;
  }
  auto* dictionary = new Dictionary;
  std::string error;
  if (!dictionary->Parse(in, path, error)) {
    dictionary->Release();
    CATError::CATSetLastError(E_FAIL, "PLM type dictionary " + error);
    return nullptr;
  }
  CATITypeDictionary_var result = dictionary;
  dictionary->Release();
  Loaded()[path] = result;
  return result;
}

CATIType_var CATPLMFindType(const std::string& name) {
  CATITypeDictionary_var dictionary = CATGlobalFunctions::GetTypeDictionary();
  CATIType_var type;
  if (dictionary == NULL_var) return type;
  if (FAILED(dictionary->FindType(name, type)))
    CATError::CATSetLastError(E_FAIL, "Type " + name + " is not in the PLM type dictionary");
  return type;
}

CATIType_var CATPLMValueType(const std::string& name) {
  CATIType_var type;
  ValueTypes().FindType(name, type);
  return type;
}
