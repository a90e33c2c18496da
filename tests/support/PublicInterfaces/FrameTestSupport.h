#ifndef frame_test_support_h
#define frame_test_support_h
// A client session for frame tests: an application with its frame over a private copy of the demo PLM
// database, and short ways to open components and walk their trees by instance name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CATAdpOpener.h"
#include "CATAdpPLMExtendedQueryServices.h"
#include "CATApplication.h"
#include "CATApplicationFrame.h"
#include "CATGlobalFunctions.h"
#include "CATIPLMNavOccurrence.h"
#include "CATNotification.h"
#include "CATPLMNavServices.h"
#include "CATPLMSession.h"
#include "CATPathElement.h"
#include "CommandRecorder.h"
#include "ZELTestSupport.h"

namespace frametest {

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::filesystem::path database = zeltest::SeededPlmDatabase(dir_.Path());
    ASSERT_EQ(S_OK, CATPLMSession::Connect(database.c_str()));
    app_ = new CATApplication("3DEXPERIENCE");
    frame_ = new CATApplicationFrame();
  }
  void TearDown() override {
    delete app_;
    bag_.RemoveAll();
    CATPLMSession::Disconnect();
  }

  // The stored object of that external id and major revision, opened into the session.
  CATIPLMComponent_var Open(const char* externalId, const char* revision = "A") {
    CATIType_var type;
    CATGlobalFunctions::GetTypeDictionary()->FindType("PLMEntity", type);
    CATAdpPLMQueryAttributeSet attributes;
    attributes.AddStringAttribute("PLM_ExternalID", externalId);
    attributes.AddStringAttribute("majorrevision", revision);
    CATAdpPLMComponentInfosIter results;
    EXPECT_EQ(S_OK, CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(
                        CATAdpPLMQueryFilter(type, attributes), results));
    CATIAdpPLMIdentificator_var id;
    EXPECT_EQ(S_OK, results.NextInfos(id)) << externalId;
    CATAdpOpener opener(bag_);
    CATIPLMComponent* component = nullptr;
    EXPECT_EQ(S_OK, opener.CompleteAndOpen(id, IID_CATIPLMComponent, reinterpret_cast<void**>(&component)));
    CATIPLMComponent_var held(component);
    if (component) component->Release();
    return held;
  }
  static CATIPLMNavOccurrence_var Root(CATBaseUnknown* object) {
    CATIPLMNavOccurrence_var root;
    EXPECT_EQ(S_OK, CATPLMNavServices::GetRootOccurrence(object, root));
    return root;
  }
  static CATListValCATIPLMNavOccurrence_var Children(const CATIPLMNavOccurrence_var& father) {
    CATListValCATIPLMNavOccurrence_var children;
    EXPECT_EQ(S_OK, father->ListChildren(children));
    return children;
  }
  // The child occurrence used through the instance of that name, or null.
  static CATIPLMNavOccurrence_var Child(const CATIPLMNavOccurrence_var& father, const char* instance) {
    CATListValCATIPLMNavOccurrence_var children;
    if (father == NULL_var || FAILED(father->ListChildren(children))) return CATIPLMNavOccurrence_var();
    for (const CATIPLMNavOccurrence_var& child : children) {
      CATIPLMNavEntity_var entity;
      CATListValCATUnicodeString values;
      if (SUCCEEDED(child->GetInstance(entity)) &&
          SUCCEEDED(entity->GetAttributeValues(CATListValCATUnicodeString{"PLM_ExternalID"}, values)) &&
          values[1] == instance)
        return child;
    }
    return CATIPLMNavOccurrence_var();
  }
  // A new path from the root occurrence down through the named instances (the caller releases it).
  static CATPathElement* PathTo(const CATIPLMNavOccurrence_var& root, std::vector<const char*> instances) {
    CATPathElement* path = new CATPathElement(root);
    CATIPLMNavOccurrence_var node = root;
    for (const char* instance : instances) {
      node = Child(node, instance);
      path->AddChildElement(node);
    }
    return path;
  }

  zeltest::TempDir dir_{"zelframe"};
  CATApplication* app_ = nullptr;
  CATApplicationFrame* frame_ = nullptr;
  CATOmbLifeCycleRootsBag bag_;
};

}  // namespace frametest

#endif
