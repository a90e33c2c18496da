#ifndef PLMTestUtil_h
#define PLMTestUtil_h
// A private copy of the demo database per test, and short ways to find, open and read its objects.
#include <gtest/gtest.h>
#include <filesystem>
#include <string>

#include "CATAdpOpener.h"
#include "CATAdpPLMExtendedQueryServices.h"
#include "CATCkeObjectAttrReadServices.h"
#include "CATError.h"
#include "CATGlobalFunctions.h"
#include "CATIPLMComponent.h"
#include "CATLib.h"
#include "CATPLMFailureInjection.h"
#include "CATPLMSeed.h"
#include "CATPLMSession.h"
#include "ZELTestSupport.h"

namespace plmtest {

inline std::string LastError(HRESULT code = E_FAIL) {
  CATError* error = CATError::CATGetLastError(code);
  if (!error) return "";
  std::string text = error->GetNLSMessage().ConvertToUTF8();
  error->Release();
  return text;
}

// Each test connects to its own freshly seeded database in a private directory.
class PLMTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_ = zeltest::SeededPlmDatabase(tmp_.Path()).string();
    ASSERT_EQ(S_OK, CATPLMSession::Connect(database_.c_str())) << LastError();
    CATError::CATCleanLastError();
  }
  void TearDown() override {
    CATPLMFailureInjection::Clear();
    CATPLMSession::Disconnect();
  }

  static CATIType_var Type(const char* name) {
    CATITypeDictionary_var dictionary = CATGlobalFunctions::GetTypeDictionary();
    CATIType_var type;
    if (dictionary != NULL_var) dictionary->FindType(name, type);
    return type;
  }
  // The stored objects of a type with that external id (and major revision, when given).
  static CATAdpPLMComponentInfosIter Query(const char* type, const char* externalId,
                                           const char* revision = nullptr, CATBoolean caseSensitive = TRUE) {
    CATAdpPLMQueryAttributeSet attributes;
    if (externalId) attributes.AddStringAttribute("PLM_ExternalID", externalId);
    if (revision) attributes.AddStringAttribute("majorrevision", revision);
    CATAdpPLMQueryFilter filter(Type(type), attributes, CATAdpPLMLogicalAnd);
    filter.CaseSensitiveMode(caseSensitive);
    CATAdpPLMComponentInfosIter results;
    EXPECT_EQ(S_OK, CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(filter, results))
        << LastError();
    return results;
  }
  static CATIAdpPLMIdentificator_var Find(const char* externalId, const char* revision = "A") {
    CATAdpPLMComponentInfosIter results = Query("PLMEntity", externalId, revision);
    CATIAdpPLMIdentificator_var id;
    EXPECT_EQ(1, results.Size()) << externalId;
    results.NextInfos(id);
    return id;
  }
  CATIPLMComponent_var Open(const CATIAdpPLMIdentificator_var& id) {
    CATAdpOpener opener(bag_);
    CATIPLMComponent* component = nullptr;
    EXPECT_EQ(S_OK, opener.CompleteAndOpen(id, IID_CATIPLMComponent, reinterpret_cast<void**>(&component)))
        << LastError();
    CATIPLMComponent_var handler = component;
    if (component) component->Release();
    return handler;
  }
  CATIPLMComponent_var Open(const char* externalId, const char* revision = "A") {
    return Open(Find(externalId, revision));
  }
  static std::string Value(const CATBaseUnknown_var& object, const char* name) {
    CATUnicodeString value;
    CATICkeObject_var knowledge = object;
    if (FAILED(CATCkeObjectAttrReadServices::ShowAttributeValue(knowledge, name, value))) return "<fail>";
    return value.ConvertToUTF8();
  }

  zeltest::TempDir tmp_{"zelplm"};
  const std::string dir_ = tmp_.Path().string();
  std::string database_;
  CATOmbLifeCycleRootsBag bag_;
};

}  // namespace plmtest

#endif
