// The product tree: its shape, stable identity of its nodes, occurrences standing in for components,
// instances as related entities, cycles in the data, the end of a session and the frame's open services.
#include <sqlite3.h>

#include "CATCkePLMNavPublicServices.h"
#include "CATIAlias.h"
#include "CATINavigateObject.h"
#include "CATInstantiateComponent.h"
#include "CATPLMNavServices.h"
#include "CATPLMOpenServicesFactory.h"
#include "PLMTestUtil.h"

using plmtest::LastError;
using plmtest::PLMTest;

namespace {

CATIPLMNavOccurrence_var Root(const CATBaseUnknown_var& reference) {
  CATIPLMNavOccurrence_var root;
  EXPECT_EQ(S_OK, CATPLMNavServices::GetRootOccurrence(reference, root)) << LastError();
  return root;
}

CATListValCATIPLMNavOccurrence_var Children(const CATIPLMNavOccurrence_var& occurrence) {
  CATListValCATIPLMNavOccurrence_var children;
  EXPECT_EQ(S_OK, occurrence->ListChildren(children));
  return children;
}

std::string Entity(const CATIPLMNavOccurrence_var& occurrence, bool instance, const char* attribute) {
  CATIPLMNavEntity_var entity;
  CATListValCATUnicodeString values;
  if (FAILED(instance ? occurrence->GetInstance(entity) : occurrence->GetReference(entity)) ||
      FAILED(entity->GetAttributeValues(CATListValCATUnicodeString{attribute}, values)) || values.Size() != 1)
    return "<fail>";
  return values[1].ConvertToUTF8();
}

std::string Identificators(const CATBaseUnknown_var& object) {
  CATINavigateObject_var navigable = object;
  CATListValCATUnicodeString texts;
  if (navigable == NULL_var || FAILED(navigable->GetIdentificators(texts))) return "<none>";
  std::string joined;
  for (const CATUnicodeString& text : texts) joined += (joined.empty() ? "" : "|") + text.ConvertToUTF8();
  return joined;
}

// Every node below an occurrence, depth first.
int CountNodes(const CATIPLMNavOccurrence_var& occurrence) {
  int count = 1;
  for (const CATIPLMNavOccurrence_var& child : Children(occurrence)) count += CountNodes(child);
  return count;
}

}  // namespace

TEST_F(PLMTest, TreeFollowsTheProductStructureAndFormsPaths) {
  CATIPLMNavOccurrence_var root = Root(Find("prd-00012340"));
  ASSERT_NE(NULL_var, root);
  CATIPLMNavEntity_var none;
  EXPECT_EQ(E_FAIL, root->GetInstance(none));
  CATIPLMNavOccurrence_var father;
  EXPECT_EQ(E_FAIL, root->GetFather(father));

  std::vector<std::string> instances;
  for (const CATIPLMNavOccurrence_var& child : Children(root))
    instances.push_back(Entity(child, true, "PLM_ExternalID"));
  EXPECT_EQ(
      (std::vector<std::string>{"prd-00012341.1", "prd-00012342.1", "prd-00012347.1", "prd-00012399.1"}),
      instances);
  CATIPLMNavOccurrence_var front = Children(root)[1];
  CATIPLMNavOccurrence_var rim = Children(front)[1];
  CATIPLMNavOccurrence_var shape = Children(rim)[1];
  EXPECT_EQ("prd-00012343", Entity(rim, false, "PLM_ExternalID"));
  EXPECT_EQ("3ds-00012343.1", Entity(shape, true, "PLM_ExternalID"));
  EXPECT_EQ(0, Children(shape).Size());

  CATIPLMNavEntity_var entity;
  CATBoolean representation = TRUE;
  ASSERT_EQ(S_OK, rim->GetReference(entity));
  ASSERT_EQ(S_OK, entity->IsRepresentation(representation));
  EXPECT_FALSE(representation);
  ASSERT_EQ(S_OK, shape->GetReference(entity));
  ASSERT_EQ(S_OK, entity->IsRepresentation(representation));
  EXPECT_TRUE(representation);

  // A selection path: the chain of fathers from the leaf back to the root.
  std::vector<CATIPLMNavOccurrence*> path;
  for (CATIPLMNavOccurrence_var node = shape; node != NULL_var; node->GetFather(father), node = father)
    path.insert(path.begin(), node.get());
  EXPECT_EQ((std::vector<CATIPLMNavOccurrence*>{root.get(), front.get(), rim.get(), shape.get()}), path);
  EXPECT_EQ(1 + 4 + 3 + 1 + 3 + 1 + 2, CountNodes(root));
}

TEST_F(PLMTest, SameDatabaseObjectGivesTheSameObjects) {
  CATIAdpPLMIdentificator_var bicycle = Find("prd-00012340");
  CATIPLMNavOccurrence_var root = Root(bicycle);
  EXPECT_EQ(root.get(), Root(Open(bicycle)).get());
  EXPECT_EQ(Children(root)[2].get(), Children(Root(bicycle))[2].get());

  // The rim is used in both wheels: two places in the tree, one reference.
  CATIPLMNavOccurrence_var frontRim = Children(Children(root)[1])[1],
                           rearRim = Children(Children(root)[2])[1];
  EXPECT_NE(frontRim.get(), rearRim.get());
  CATIPLMNavEntity_var a, b;
  frontRim->GetReference(a);
  rearRim->GetReference(b);
  EXPECT_EQ(a.get(), b.get());
  CATIPLMComponent_var componentA, componentB;
  frontRim->GetPLMComponent(componentA);
  rearRim->GetPLMComponent(componentB);
  EXPECT_EQ(componentA.get(), componentB.get());
  EXPECT_EQ(componentA.get(), Open("prd-00012343").get());
  CATIAdpPLMIdentificator_var idA, idB;
  componentA->GetAdpID(idA);
  CATIPLMComponent_var(rearRim)->GetAdpID(idB);
  EXPECT_TRUE(idA->IsEqual(idB));
  EXPECT_TRUE(idA->IsEqual(Find("prd-00012343")));
  EXPECT_FALSE(idA->IsEqual(Find("prd-00012346")));
  EXPECT_FALSE(idA->IsEqual(nullptr));
}

TEST_F(PLMTest, OccurrenceStandsInForItsReferenceComponent) {
  CATIPLMNavOccurrence_var root = Root(Find("prd-00012340"));
  CATIPLMNavOccurrence_var rearRim = Children(Children(root)[2])[1];

  // An editor may hold the root occurrence as its edited component and find the occurrence again.
  CATIPLMComponent_var asComponent = root;
  ASSERT_NE(NULL_var, asComponent);
  EXPECT_EQ(root.get(), CATIPLMNavOccurrence_var(asComponent).get());
  EXPECT_EQ("prd-00012340", Value(asComponent, "PLM_ExternalID"));
  EXPECT_EQ("Rim 622x19", CATIAlias_var(rearRim)->GetAlias().ConvertToUTF8());

  EXPECT_EQ("City Bicycle|A.2", Identificators(root));
  EXPECT_EQ("Rim 622x19|A.3|(prd-00012343.2)", Identificators(rearRim));
  // A component of a 3D editor is no occurrence and no navigable object; it answers with its alias.
  CATIPLMComponent_var plain = Open("prd-00012340");
  EXPECT_EQ(NULL_var, CATIPLMNavOccurrence_var(plain));
  EXPECT_EQ("<none>", Identificators(plain));
  EXPECT_EQ("City Bicycle", CATIAlias_var(plain)->GetAlias().ConvertToUTF8());
}

TEST_F(PLMTest, InstanceIsTheRelatedEntityAndBelongsToItsFather) {
  CATIPLMNavOccurrence_var front = Children(Root(Find("prd-00012340")))[1];
  CATIPLMNavOccurrence_var rim = Children(front)[1];
  CATIPLMNavEntity_var instance;
  ASSERT_EQ(S_OK, rim->GetInstance(instance));
  CATListValCATUnicodeString values;
  ASSERT_EQ(S_OK, instance->GetAttributeValues(CATListValCATUnicodeString{"PLM_ExternalID"}, values));
  EXPECT_EQ("prd-00012343.1", values[1].ConvertToUTF8());
  EXPECT_EQ(E_FAIL, instance->GetAttributeValues(
                        CATListValCATUnicodeString{"PLM_ExternalID", "majorrevision"}, values));
  EXPECT_EQ(1, values.Size());

  CATIPLMComponent_var owner;
  ASSERT_EQ(S_OK, instance->GetPLMComponent(owner));
  EXPECT_EQ("prd-00012341", Value(owner, "PLM_ExternalID"));
  EXPECT_EQ(owner.get(), CATIPLMComponent_var(instance).get());

  CATIPLMNavEntity_var reference;
  ASSERT_EQ(S_OK, rim->GetReference(reference));
  ASSERT_EQ(S_OK, reference->GetAttributeValues(CATListValCATUnicodeString{"PLM_ExternalID", "majorrevision"},
                                                values));
  EXPECT_EQ(3, values.Size());
  EXPECT_EQ("A", values[3].ConvertToUTF8());
  EXPECT_EQ("prd-00012343", Value(CATIPLMComponent_var(reference), "PLM_ExternalID"));

  // An instance is no root of a tree.
  CATAdpPLMComponentInfosIter found = Query("VPMInstance", "prd-00012343.1");
  CATIAdpPLMIdentificator_var instanceId;
  found.NextInfos(instanceId);
  CATIPLMNavOccurrence_var none;
  EXPECT_EQ(E_FAIL, CATPLMNavServices::GetRootOccurrence(instanceId, none));
  EXPECT_EQ(E_FAIL, CATPLMNavServices::GetRootOccurrence(nullptr, none));
}

TEST_F(PLMTest, StructureThatContainsItselfStillEnds) {
  CATPLMSession::Disconnect();
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(database_.c_str(), &db));
  // The rim made to contain the bicycle it is part of.
  ASSERT_EQ(SQLITE_OK,
            sqlite3_exec(db,
                         "INSERT INTO components(id, type, saved) VALUES(100, 'VPMInstance', 1);"
                         "INSERT INTO attributes VALUES(100, 1, 'PLM_ExternalID', 'String', 'loop.1');"
                         "INSERT INTO instances VALUES(100, 4, 1);",
                         nullptr, nullptr, nullptr));
  sqlite3_close(db);
  CATIPLMNavOccurrence_var root = Root(Find("prd-00012340"));
  EXPECT_EQ(1 + 4 + 3 + 1 + 3 + 1 + 2, CountNodes(root));
  // From the rim, the bicycle appears once below it, without the rims that would contain themselves:
  // rim, its shape, bicycle, four children, tire and hub twice, the frame's two representations.
  CATIPLMNavOccurrence_var rimRoot = Root(Find("prd-00012343"));
  EXPECT_EQ(1 + 1 + 1 + 4 + 2 + 2 + 2, CountNodes(rimRoot));

  CATOmbLifeCycleRootsBag bag;
  CATAdpOpener opener(bag, CATAdpOpenParameters(CATAdpExpandAll));
  void* opened = nullptr;
  ASSERT_EQ(S_OK, opener.CompleteAndOpen(Find("prd-00012340"), IID_CATIPLMComponent, &opened));
  static_cast<CATBaseUnknown*>(opened)->Release();
}

TEST_F(PLMTest, TreeOfAnEndedSessionAnswersFailures) {
  CATIPLMNavOccurrence_var root = Root(Find("prd-00012340"));
  CATIPLMNavOccurrence_var front = Children(root)[1];
  CATIPLMNavOccurrence_var rear = Children(root)[2];  // never expanded
  CATPLMSession::Disconnect();
  CATListValCATIPLMNavOccurrence_var children;
  EXPECT_EQ(E_FAIL, rear->ListChildren(children));
  CATIPLMNavOccurrence_var father;
  EXPECT_EQ(E_FAIL, front->GetFather(father));
  CATIPLMNavEntity_var entity;
  EXPECT_EQ(E_FAIL, front->GetReference(entity));
  EXPECT_EQ("<none>", Identificators(front));
  EXPECT_EQ("<fail>", Value(front, "PLM_ExternalID"));
  // A new session gives new objects.
  EXPECT_NE(root.get(), Root(Find("prd-00012340")).get());
}

namespace {

// The frame's open services as a test stand-in: records what it is asked to open.
std::vector<std::string> openedInWindows;
class TestOpenServices : public CATIPLMOpenServices {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIPLMOpenServices>(this, iid, out);
  }
  HRESULT OpenInNewWindow(CATIPLMComponent* iComponent) override {
    CATUnicodeString value;
    CATCkeObjectAttrReadServices::ShowAttributeValue(CATICkeObject_var(iComponent), "PLM_ExternalID", value);
    openedInWindows.push_back(value.ConvertToUTF8());
    return S_OK;
  }
};

}  // namespace

TEST_F(PLMTest, QueryOpenAndShowThroughTheFramesOpenServices) {
  CATIPLMOpenServices_var services;
  ASSERT_FALSE(CATIsComponentRegistered("CATPLMOpenServices"));
  EXPECT_EQ(E_FAIL, CATPLMOpenServicesFactory::GetPLMOpenServices(services));
  EXPECT_EQ(NULL_var, services);
  CATRegisterComponent("CATPLMOpenServices", []() -> CATBaseUnknown* { return new TestOpenServices; });
  ASSERT_EQ(S_OK, CATPLMOpenServicesFactory::GetPLMOpenServices(services));

  CATUnicodeString revisionAttribute;
  CATCkePLMNavPublicServices::GetMajorRevisionAttributeName(CATIType_var(), revisionAttribute);
  CATAdpPLMQueryAttributeSet attributes;
  attributes.AddStringAttribute("PLM_ExternalID", "prd-00012345", CATAdpPLMQueryEqual);
  attributes.AddStringAttribute(revisionAttribute, "B", CATAdpPLMQueryEqual);
  CATAdpPLMQueryFilter filter(Type("VPMReference"), attributes, CATAdpPLMLogicalAnd);
  filter.CaseSensitiveMode(TRUE);
  CATAdpPLMComponentInfosIter results;
  ASSERT_EQ(S_OK, CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(filter, results));
  CATOmbLifeCycleRootsBag bag;
  CATAdpOpener opener(bag, CATAdpOpenParameters(CATAdpExpandAll));
  for (CATIAdpPLMIdentificator_var id; SUCCEEDED(results.NextInfos(id));) {
    CATIPLMComponent* component = nullptr;
    ASSERT_EQ(S_OK, opener.CompleteAndOpen(id, IID_CATIPLMComponent, reinterpret_cast<void**>(&component)));
    EXPECT_EQ(S_OK, services->OpenInNewWindow(component));
    component->Release();
    bag.RemoveAll();
  }
  EXPECT_EQ(std::vector<std::string>{"prd-00012345"}, openedInWindows);
}
