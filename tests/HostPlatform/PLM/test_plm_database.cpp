// The PLM database: connection errors, the seeded content, queries, open, save (round trip and refusals),
// versions, maturity and knowledge attributes.
#include <sqlite3.h>

#include <climits>
#include <ctime>

#include "CATAdpMaturityServices.h"
#include "CATAdpPLMErrorReviewerFactory.h"
#include "CATAdpPLMQueryServices.h"
#include "CATAdpPublicSecurityServices.h"
#include "CATAdpSaver.h"
#include "CATAdpVersioningServices.h"
#include "CATCkeObjectAttrWriteServices.h"
#include "CATCkePLMNavPublicServices.h"
#include "CATPLMNavServices.h"
#include "PLMTestUtil.h"

using plmtest::LastError;
using plmtest::PLMTest;
using zeltest::ScopedEnv;

namespace {

HRESULT Write(const CATBaseUnknown_var& object, const char* name, const char* value) {
  return CATCkeObjectAttrWriteServices::SetValueWithString(CATICkeObject_var(object), name, value);
}

HRESULT Save(std::initializer_list<CATBaseUnknown_var> objects, CATIAdpPLMErrorReviewer* reviewer = nullptr) {
  CATListValCATBaseUnknown_var list;
  for (const CATBaseUnknown_var& object : objects) list.Append(object);
  return CATAdpSaver::Save(list, reviewer);
}

std::string Key(const CATIAdpPLMIdentificator_var& id, const char* name) {
  CATAdpPLMComponentUniqueKey key;
  CATAdpPLMComponentInfosIter infos;
  CATAdpPLMAttributeSet attributes;
  CATIType_var type;
  CATUnicodeString value;
  if (FAILED(CATAdpPLMQueryServices::GetUniqueKey(id, key)) || FAILED(key.MoreInformation(infos)) ||
      FAILED(infos.NextAttributeSet(type, attributes)) ||
      FAILED(attributes.GetStringAttributeValue(name, value)))
    return "<fail>";
  return value.ConvertToUTF8();
}

CATIAdpPLMIdentificator_var IdOf(const CATIPLMComponent_var& component) {
  CATIAdpPLMIdentificator_var id;
  if (component != NULL_var) component->GetAdpID(id);
  return id;
}

// The never-saved bell, reached as the last child of the bicycle in the session.
CATIPLMComponent_var Bell(const CATIAdpPLMIdentificator_var& bicycle) {
  CATIPLMNavOccurrence_var root;
  CATListValCATIPLMNavOccurrence_var children;
  CATIPLMComponent_var bell;
  if (SUCCEEDED(CATPLMNavServices::GetRootOccurrence(bicycle, root)) &&
      SUCCEEDED(root->ListChildren(children)) && children.Size() > 0)
    children[children.Size()]->GetPLMComponent(bell);
  return bell;
}

}  // namespace

TEST_F(PLMTest, MissingCorruptOrForeignDatabasesAreReportedAsErrors) {
  std::string missing = dir_ + "/missing.db", garbage = dir_ + "/garbage.db", foreign = dir_ + "/foreign.db";
  std::string empty = dir_ + "/empty.db";
  ASSERT_TRUE(zeltest::WriteFile(garbage, std::string(4096, '\x5a')));
  ASSERT_TRUE(zeltest::WriteFile(empty, ""));
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(foreign.c_str(), &db));
  sqlite3_exec(db, "CREATE TABLE plm_info(key TEXT, value TEXT); INSERT INTO plm_info VALUES('schema', '7')",
               nullptr, nullptr, nullptr);
  sqlite3_close(db);

  for (const std::string& path : {missing, garbage, foreign, empty}) {
    EXPECT_EQ(E_FAIL, CATPLMSession::Connect(path.c_str())) << path;
    EXPECT_FALSE(CATPLMSession::IsConnected());
    EXPECT_NE(std::string::npos, LastError().find(path)) << LastError();
    // Every service then fails the same way instead of working on some other database.
    CATAdpPLMQueryAttributeSet none;
    CATAdpPLMComponentInfosIter results;
    CATIAdpPLMErrorReviewer_var reviewer;
    CATAdpPLMErrorReviewerFactory::CreateErrorReviewer(reviewer);
    EXPECT_EQ(E_FAIL, CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(
                          CATAdpPLMQueryFilter(Type("PLMEntity"), none), results, reviewer));
    EXPECT_EQ(1, reviewer->GetNbErrors());
    CATUnicodeString user, organization, project, role;
    EXPECT_EQ(E_FAIL,
              CATAdpPublicSecurityServices::GetSecurityParameters("", user, organization, project, role));
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_EQ(4096u, std::filesystem::file_size(garbage));

  EXPECT_EQ(S_OK, CATPLMSession::Connect(database_.c_str()));
  EXPECT_EQ(database_, CATPLMSession::GetDatabasePath().ConvertToUTF8());
}

TEST_F(PLMTest, SeedWritesCompleteFilesAndKeepsExistingOnes) {
  auto size = std::filesystem::file_size(database_);
  EXPECT_EQ(E_FAIL, CATPLMSeed::CreateDemoDatabase(database_.c_str()));
  EXPECT_EQ(size, std::filesystem::file_size(database_));
  EXPECT_EQ(E_FAIL, CATPLMSeed::CreateDemoDatabase((dir_ + "/no/such/dir/plm.db").c_str()));
  EXPECT_EQ(E_FAIL, CATPLMSeed::CreateDemoDatabase(""));
  // Nothing half-written is left beside the target.
  int files = 0;
  for (auto& entry : std::filesystem::directory_iterator(dir_)) files += entry.is_regular_file();
  EXPECT_EQ(1, files);
  // A fresh seed is a database the session accepts, holding the same data set.
  const std::string fresh = dir_ + "/fresh.db";
  ASSERT_EQ(S_OK, CATPLMSeed::CreateDemoDatabase(fresh.c_str())) << LastError();
  ASSERT_EQ(S_OK, CATPLMSession::Connect(fresh.c_str())) << LastError();
  EXPECT_EQ(8, Query("VPMReference", nullptr).Size());
  EXPECT_EQ(5, Query("PRDPart", nullptr).Size());
}

TEST_F(PLMTest, SeededDatabaseHoldsTheDemoDataSet) {
  EXPECT_EQ(8, Query("VPMReference", nullptr).Size());  // the never-saved bell is not stored
  EXPECT_EQ(5, Query("PRDPart", nullptr).Size());
  EXPECT_EQ(2, Query("PRDAssembly", nullptr).Size());
  EXPECT_EQ(1, Query("Workspace", nullptr).Size());
  EXPECT_EQ(1, Query("ENOFLD_FolderRootReference", nullptr).Size());
  EXPECT_EQ(3, Query("VPMRepReference", nullptr).Size());
  EXPECT_EQ(9, Query("VPMInstance", nullptr).Size());
  EXPECT_EQ(3, Query("VPMRepInstance", nullptr).Size());
  EXPECT_EQ(0, Query("PLMEntity", "prd-00012399").Size());

  CATIPLMComponent_var bicycle = Open("prd-00012340");
  EXPECT_EQ("City Bicycle", Value(bicycle, "name"));
  EXPECT_EQ("A.2", Value(bicycle, "revision"));
  CATIPLMComponent_var bell = Bell(IdOf(bicycle));
  ASSERT_NE(NULL_var, bell);
  EXPECT_EQ("prd-00012399", Value(bell, "PLM_ExternalID"));
  CATBoolean saved = TRUE;
  ASSERT_EQ(S_OK, IdOf(bell)->IsSaved(saved));
  EXPECT_FALSE(saved);
  ASSERT_EQ(S_OK, IdOf(bicycle)->IsSaved(saved));
  EXPECT_TRUE(saved);

  CATUnicodeString user, organization, project, role;
  ASSERT_EQ(S_OK, CATAdpPublicSecurityServices::GetSecurityParameters("", user, organization, project, role));
  EXPECT_EQ("jsmith", user.ConvertToUTF8());
  EXPECT_EQ("Company Name", organization.ConvertToUTF8());
  EXPECT_EQ("City Bicycle", project.ConvertToUTF8());
  EXPECT_EQ("VPLMCreator", role.ConvertToUTF8());
  {
    ScopedEnv env("ZEL_PLM_USER", "mmueller");
    ASSERT_EQ(S_OK,
              CATAdpPublicSecurityServices::GetSecurityParameters("PLM1", user, organization, project, role));
    EXPECT_EQ("mmueller", user.ConvertToUTF8());
  }
  EXPECT_EQ(E_FAIL,
            CATAdpPublicSecurityServices::GetSecurityParameters("PLM2", user, organization, project, role));
}

TEST_F(PLMTest, QueryMatchesTypeKindsAndAttributes) {
  CATAdpPLMComponentInfosIter tires = Query("VPMReference", "prd-00012345");
  ASSERT_EQ(2, tires.Size());
  CATIType_var type;
  CATAdpPLMAttributeSet attributes;
  CATUnicodeString value;
  ASSERT_EQ(S_OK, tires.NextAttributeSet(type, attributes));
  EXPECT_EQ("PRDPart", type->Name().ConvertToUTF8());
  attributes.GetStringAttributeValue("majorrevision", value);
  EXPECT_EQ("A", value.ConvertToUTF8());
  CATIAdpPLMIdentificator_var second;
  ASSERT_EQ(S_OK, tires.NextInfos(second));
  EXPECT_TRUE(second->IsEqual(Find("prd-00012345", "B")));
  EXPECT_EQ(E_FAIL, tires.NextInfos(second));
  EXPECT_EQ(NULL_var, second);

  EXPECT_EQ(1, Query("VPMReference", "prd-00012345", "B").Size());
  EXPECT_EQ(0, Query("PRDAssembly", "prd-00012343").Size());  // a part, not an assembly
  EXPECT_EQ(0, Query("VPMReference", "prd-00012345", "C").Size());

  // Case-sensitive mode compares values exactly; the default ignores case.
  EXPECT_EQ(0, Query("PRDPart", "PRD-00012343", "a", TRUE).Size());
  EXPECT_EQ(1, Query("PRDPart", "PRD-00012343", "a", FALSE).Size());

  CATAdpPLMQueryAttributeSet either;
  either.AddStringAttribute("PLM_ExternalID", "prd-00012343");
  either.AddStringAttribute("PLM_ExternalID", "prd-00012346");
  EXPECT_EQ(E_INVALIDARG, either.AddStringAttribute("", "x"));
  CATAdpPLMComponentInfosIter found;
  found.Append(nullptr, nullptr, CATAdpPLMAttributeSet());  // results are appended to what the list holds
  ASSERT_EQ(S_OK, CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(
                      CATAdpPLMQueryFilter(Type("PRDPart"), either, CATAdpPLMLogicalOr), found));
  EXPECT_EQ(3, found.Size());
  EXPECT_EQ(S_OK, CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(
                      CATAdpPLMQueryFilter(Type("PRDPart"), either, CATAdpPLMLogicalAnd), found));
  EXPECT_EQ(3, found.Size());
}

TEST_F(PLMTest, QueryFailuresReachTheReviewer) {
  CATIAdpPLMErrorReviewer_var reviewer;
  ASSERT_EQ(S_OK, CATAdpPLMErrorReviewerFactory::CreateErrorReviewer(reviewer));
  CATAdpPLMQueryAttributeSet none;
  CATAdpPLMComponentInfosIter results;
  EXPECT_EQ(E_FAIL, CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(
                        CATAdpPLMQueryFilter(CATIType_var(), none), results, reviewer));
  ASSERT_EQ(S_OK, CATPLMFailureInjection::Set("Query", "Server busy"));
  EXPECT_EQ(E_FAIL, CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(
                        CATAdpPLMQueryFilter(Type("PRDPart"), none), results, reviewer));
  ASSERT_EQ(2, reviewer->GetNbErrors());
  CATUnicodeString message;
  EXPECT_EQ(S_OK, reviewer->GetErrorMessage(2, message));
  EXPECT_EQ("Server busy", message.ConvertToUTF8());
  EXPECT_EQ(E_FAIL, reviewer->GetErrorMessage(3, message));
  EXPECT_EQ("Server busy", LastError());
  EXPECT_EQ(0, results.Size());

  CATPLMFailureInjection::Clear("Query");
  ScopedEnv env("ZEL_PLM_FAIL", "Open, Query = Index rebuilding ");
  EXPECT_EQ(E_FAIL, CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(
                        CATAdpPLMQueryFilter(Type("PRDPart"), none), results));
  EXPECT_EQ("Index rebuilding", LastError());
  EXPECT_EQ(E_INVALIDARG, CATPLMFailureInjection::Set("Delete", "x"));
}

TEST_F(PLMTest, SavedValueIsReadBackFromANewSession) {
  CATIPLMComponent_var hub = Open("prd-00012346");
  ASSERT_EQ(S_OK, Write(hub, "PLM_ExternalID", "prd-00099999"));
  ASSERT_EQ(S_OK, Write(hub, "Mass", "0.400"));
  EXPECT_EQ("prd-00099999", Value(hub, "PLM_ExternalID"));
  EXPECT_EQ("0.4", Value(hub, "Mass"));
  // Queries and unique keys see the database, which does not have the change yet.
  EXPECT_EQ("prd-00012346", Key(IdOf(hub), "PLM_ExternalID"));
  EXPECT_EQ(0, Query("PRDPart", "prd-00099999").Size());

  ASSERT_EQ(S_OK, Save({hub})) << LastError();
  EXPECT_EQ("prd-00099999", Key(IdOf(hub), "PLM_ExternalID"));
  CATPLMSession::Disconnect();
  EXPECT_EQ("<fail>", Value(hub, "Mass"));  // the old session's objects are dead, not dangling
  EXPECT_EQ(E_FAIL, Write(hub, "Mass", "1"));
  EXPECT_EQ(E_FAIL, Save({hub}));

  CATIPLMComponent_var reopened = Open("prd-00099999");
  EXPECT_EQ("0.4", Value(reopened, "Mass"));
  EXPECT_EQ(0, Query("PRDPart", "prd-00012346").Size());
}

TEST_F(PLMTest, ChangesNotSavedAreLostWithTheSession) {
  CATIPLMComponent_var frame = Open("prd-00012347");
  ASSERT_EQ(S_OK, Write(frame, "Material", "Carbon"));
  CATPLMSession::Disconnect();
  EXPECT_EQ("Aluminium 7005", Value(Open("prd-00012347"), "Material"));
}

TEST_F(PLMTest, RefusedSaveLeavesTheDatabaseUnchanged) {
  CATIPLMComponent_var hub = Open("prd-00012346"), frame = Open("prd-00012347");
  ASSERT_EQ(S_OK, Write(hub, "Material", "Titanium"));
  ASSERT_EQ(S_OK, Write(frame, "Material", "Carbon"));
  ASSERT_EQ(S_OK, CATPLMFailureInjection::Set("Save", "Locked by jdoe", 1));
  ASSERT_EQ(S_OK, Save({frame})) << LastError();  // the first save still passes

  CATIAdpPLMErrorReviewer_var reviewer;
  CATAdpPLMErrorReviewerFactory::CreateErrorReviewer(reviewer);
  ASSERT_EQ(S_OK, Write(frame, "Material", "Chromoly"));
  HRESULT hr = Save({hub, frame}, reviewer);
  EXPECT_EQ(E_FAIL, hr);
  EXPECT_EQ("Locked by jdoe", LastError(hr));
  EXPECT_EQ(1, reviewer->GetNbErrors());
  CATError::CATCleanLastError();
  EXPECT_EQ("", LastError(hr));

  // The database, as the session's own connection reads it, has the state of before the refused save.
  auto stored = [](const char* material) {
    CATAdpPLMQueryAttributeSet attributes;
    attributes.AddStringAttribute("Material", material);
    CATAdpPLMComponentInfosIter results;
    CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(
        CATAdpPLMQueryFilter(Type("PRDPart"), attributes), results);
    return results.Size();
  };
  EXPECT_EQ(0, stored("Titanium"));
  EXPECT_EQ(0, stored("Chromoly"));
  EXPECT_EQ(1, stored("Carbon"));
  // The session keeps the changes, and another try goes through once the refusal is lifted.
  EXPECT_EQ("Titanium", Value(hub, "Material"));
  CATPLMFailureInjection::Clear("Save");
  ASSERT_EQ(S_OK, Save({hub, frame})) << LastError();
  CATPLMSession::Disconnect();
  EXPECT_EQ("Titanium", Value(Open("prd-00012346"), "Material"));
  EXPECT_EQ("Chromoly", Value(Open("prd-00012347"), "Material"));
}

TEST_F(PLMTest, SaveRefusesAUniqueKeyAlreadyUsed) {
  CATIPLMComponent_var tireB = Open("prd-00012345", "B");
  ASSERT_EQ(S_OK, Write(tireB, "majorrevision", "A"));
  ASSERT_EQ(S_OK, Write(tireB, "Mass", "0.7"));
  EXPECT_EQ(E_FAIL, Save({tireB}));
  EXPECT_NE(std::string::npos, LastError().find("prd-00012345 revision A already exists")) << LastError();
  CATPLMSession::Disconnect();
  CATIPLMComponent_var stored = Open("prd-00012345", "B");
  EXPECT_EQ("0.6", Value(stored, "Mass"));
  // Saving an object under its own key is no conflict.
  ASSERT_EQ(S_OK, Write(stored, "Mass", "0.7"));
  EXPECT_EQ(S_OK, Save({stored}));
}

TEST_F(PLMTest, SavingTheAssemblyStoresTheNewPartItAggregates) {
  CATIPLMComponent_var bicycle = Open("prd-00012340");
  CATIPLMComponent_var bell = Bell(IdOf(bicycle));
  ASSERT_NE(NULL_var, bell);
  CATAdpPLMComponentUniqueKey key;
  EXPECT_EQ(E_FAIL, CATAdpPLMQueryServices::GetUniqueKey(IdOf(bell), key));
  EXPECT_EQ(S_OK, Save({}));
  ASSERT_EQ(S_OK, Save({bicycle})) << LastError();
  CATBoolean saved = FALSE;
  IdOf(bell)->IsSaved(saved);
  EXPECT_TRUE(saved);
  CATPLMSession::Disconnect();
  EXPECT_EQ(1, Query("PRDPart", "prd-00012399").Size());
  EXPECT_EQ(1, Query("VPMInstance", "prd-00012399.1").Size());
}

TEST_F(PLMTest, OpenerHandsOutTheAskedInterfaceAndFillsTheBag) {
  CATIAdpPLMIdentificator_var rim = Find("prd-00012343");
  CATOmbLifeCycleRootsBag bag;
  CATAdpOpener opener(bag);
  CATICkeObject* knowledge = nullptr;
  ASSERT_EQ(S_OK, opener.CompleteAndOpen(rim, IID_CATICkeObject, reinterpret_cast<void**>(&knowledge)));
  EXPECT_EQ("Rim 622x19", Value(CATBaseUnknown_var(knowledge), "name"));
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, opener.CompleteAndOpen(rim, IID_CATITypeDictionary, &other));
  EXPECT_EQ(nullptr, other);
  EXPECT_EQ(1, bag.Size());
  // The bag knows the object through any of its interfaces.
  EXPECT_EQ(S_OK, bag.RemoveRoot(Open(rim)));
  EXPECT_EQ(E_FAIL, bag.RemoveRoot(knowledge));
  knowledge->Release();

  EXPECT_EQ(E_FAIL, opener.CompleteAndOpen(nullptr, IID_CATIPLMComponent, &other));
  EXPECT_EQ(E_FAIL, opener.CompleteAndOpen(rim, IID_CATIPLMComponent, nullptr));
  ASSERT_EQ(S_OK, CATPLMFailureInjection::Set("Open", "No read access"));
  EXPECT_EQ(E_FAIL, opener.CompleteAndOpen(rim, IID_CATIPLMComponent, &other));
  EXPECT_EQ("No read access", LastError());
  EXPECT_EQ(0, bag.Size());
}

TEST_F(PLMTest, ExpandModeDecidesHowMuchStructureIsLoaded) {
  std::vector<int> loaded;
  for (CATAdpExpandMode mode :
       {CATAdpExpandRootOnly, CATAdpExpandFirstLevel, CATAdpExpandProductStructure, CATAdpExpandAll}) {
    CATPLMSession::Disconnect();
    CATIAdpPLMIdentificator_var bicycle = Find("prd-00012340");
    CATOmbLifeCycleRootsBag bag;
    CATAdpOpener opener(bag, CATAdpOpenParameters(mode));
    void* component = nullptr;
    ASSERT_EQ(S_OK, opener.CompleteAndOpen(bicycle, IID_CATIPLMComponent, &component));
    static_cast<CATBaseUnknown*>(component)->Release();
    loaded.push_back(CATPLMSession::CountLoadedObjects());
  }
  EXPECT_EQ(1, loaded[0]);
  EXPECT_EQ(1 + 2 * 4, loaded[1]);  // four instances below the root and what they instantiate
  EXPECT_LT(loaded[1], loaded[2]);
  EXPECT_EQ(loaded[2] + 3, loaded[3]);  // the three representations
}

TEST_F(PLMTest, VersionsAndMaturity) {
  CATListPtrCATIAdpPLMIdentificator versions;
  ASSERT_EQ(S_OK, CATAdpVersioningServices::GetAllVersions(Find("prd-00012345", "B"), versions));
  ASSERT_EQ(2, versions.Size());
  EXPECT_TRUE(versions[1]->IsEqual(Find("prd-00012345", "A")));
  EXPECT_TRUE(versions[2]->IsEqual(Find("prd-00012345", "B")));
  ASSERT_EQ(S_OK, CATAdpVersioningServices::GetAllVersions(Find("prd-00012346"), versions));
  EXPECT_EQ(3, versions.Size());
  ASSERT_EQ(S_OK, CATAdpVersioningServices::GetAllVersions(IdOf(Bell(Find("prd-00012340"))), versions));
  EXPECT_EQ(4, versions.Size());
  for (CATIAdpPLMIdentificator* version : versions) version->Release();

  struct Expected {
    const char* externalId;
    const char* state;
    std::vector<std::string> transitions, targets;
  };
  for (const Expected& e :
       {Expected{"prd-00012347", "IN_WORK", {"ToFreeze"}, {"FROZEN"}},
        Expected{"prd-00012346", "FROZEN", {"ToRelease", "BackToInWork"}, {"RELEASED", "IN_WORK"}},
        Expected{"prd-00012343", "RELEASED", {"ToObsolete"}, {"OBSOLETE"}}}) {
    CATUnicodeString state;
    CATListValCATUnicodeString transitions, targets;
    ASSERT_EQ(S_OK, CATAdpMaturityServices::GetStateAndPossibleTransitions(Find(e.externalId), state,
                                                                           transitions, targets));
    EXPECT_EQ(e.state, state.ConvertToUTF8());
    std::vector<std::string> names, states;
    for (const CATUnicodeString& t : transitions) names.push_back(t.ConvertToUTF8());
    for (const CATUnicodeString& t : targets) states.push_back(t.ConvertToUTF8());
    EXPECT_EQ(e.transitions, names) << e.externalId;
    EXPECT_EQ(e.targets, states) << e.externalId;
  }
  CATAdpPLMComponentInfosIter instance = Query("VPMInstance", "prd-00012343.1", nullptr);
  CATIAdpPLMIdentificator_var instanceId;
  instance.NextInfos(instanceId);
  CATUnicodeString state = "unchanged";
  CATListValCATUnicodeString transitions, targets;
  EXPECT_EQ(E_FAIL,
            CATAdpMaturityServices::GetStateAndPossibleTransitions(instanceId, state, transitions, targets));
  EXPECT_EQ("unchanged", state.ConvertToUTF8());
}

TEST_F(PLMTest, AttributesAreListedWithTheirTypesAndDatesReadAsTimes) {
  CATIPLMComponent_var rim = Open("prd-00012343");
  CATListValCATAttributeInfos attributes;
  attributes.Append(CATAttributeInfos());
  ASSERT_EQ(S_OK,
            CATCkePLMNavPublicServices::ListAttributesFromObject(0, CATICkeObject_var(rim), attributes));
  std::vector<std::string> listed;
  for (const CATAttributeInfos& info : attributes)
    listed.push_back(info.Name().ConvertToUTF8() + ":" + info.Type()->Name().ConvertToUTF8());
  EXPECT_EQ((std::vector<std::string>{"PLM_ExternalID:String", "majorrevision:String", "revision:String",
                                      "name:String", "description:String", "owner:String", "Material:String",
                                      "Mass:Real", "LeadTimeDays:Integer", "StandardPart:Boolean",
                                      "ReleaseDate:Date"}),
            listed);
  EXPECT_EQ(S_OK,
            CATCkePLMNavPublicServices::ListAttributesFromObject(0, CATICkeObject_var(rim), attributes, 1));
  EXPECT_EQ(22, attributes.Size());
  EXPECT_EQ(E_INVALIDARG,
            CATCkePLMNavPublicServices::ListAttributesFromObject(1, CATICkeObject_var(rim), attributes));

  CATTime released;
  ASSERT_EQ(S_OK,
            CATCkeObjectAttrReadServices::GetValueAsTime(CATICkeObject_var(rim), "ReleaseDate", released));
  EXPECT_EQ(CATTime(2024, 3, 15, 9, 30, 0), released);
  EXPECT_EQ("2024-03-15T09:30:00Z", Value(rim, "ReleaseDate"));
  {
    ScopedEnv zone("TZ", "UTC");
    tzset();
    EXPECT_EQ("03/15/2024 09:30:00 UTC", released.ConvertToString("%m/%d/%Y %H:%M:%S %Z").ConvertToUTF8());
  }
  tzset();
  EXPECT_EQ("", released.ConvertToString("").ConvertToUTF8());
  EXPECT_EQ(std::string(300, 'x').size(),
            released.ConvertToString(std::string(300, 'x')).ConvertToUTF8().size());
  EXPECT_EQ(E_FAIL, CATCkeObjectAttrReadServices::GetValueAsTime(CATICkeObject_var(rim), "Mass", released));
  EXPECT_EQ(E_FAIL, CATCkeObjectAttrReadServices::GetValueAsTime(CATICkeObject_var(rim), "NoSuch", released));
  CATUnicodeString value = "unchanged";
  EXPECT_EQ(E_FAIL, CATCkeObjectAttrReadServices::ShowAttributeValue(CATICkeObject_var(rim), "mass", value));
  EXPECT_EQ("unchanged", value.ConvertToUTF8());
  // Fields out of range carry over instead of overflowing.
  EXPECT_EQ(CATTime(2025, 1, 1, 0, 0, 0), CATTime(2024, 13, 1, 0, 0, 0));
  CATTime extreme(INT_MIN, INT_MAX, INT_MIN, INT_MAX, INT_MIN, INT_MAX);
  (void)extreme.ConvertToString("%Y");
}

TEST_F(PLMTest, WritesAcceptOnlyValuesOfTheAttributesType) {
  CATIPLMComponent_var rim = Open("prd-00012343");
  struct Case {
    const char* attribute;
    const char* text;
    const char* stored;  // null: refused
  };
  const Case cases[] = {
      {"LeadTimeDays", "-5", "-5"},
      {"LeadTimeDays", "12x", nullptr},
      {"LeadTimeDays", "", nullptr},
      {"LeadTimeDays", "99999999999", nullptr},
      {"LeadTimeDays", " 7", nullptr},
      {"Mass", "2.50", "2.5"},
      {"Mass", "1e400", nullptr},
      {"Mass", "nan", nullptr},
      {"Mass", "inf", nullptr},
      {"StandardPart", "TRUE", "true"},
      {"StandardPart", "yes", nullptr},
      {"ReleaseDate", "2024-02-29T23:59:59Z", "2024-02-29T23:59:59Z"},
      {"ReleaseDate", "2023-02-29T00:00:00Z", nullptr},
      {"ReleaseDate", "2024-03-15 09:30:00", nullptr},
      {"ReleaseDate", "2024-03-15T24:00:00Z", nullptr},
      {"Material", "Stahl \xC3\xBC 'x'; DROP", "Stahl \xC3\xBC 'x'; DROP"},
      {"NoSuchAttribute", "1", nullptr},
  };
  for (const Case& c : cases) {
    std::string before = Value(rim, c.attribute);
    HRESULT hr = Write(rim, c.attribute, c.text);
    EXPECT_EQ(c.stored ? S_OK : E_FAIL, hr) << c.attribute << " = " << c.text;
    EXPECT_EQ(c.stored ? std::string(c.stored) : before, Value(rim, c.attribute))
        << c.attribute << " = " << c.text;
  }
  ASSERT_EQ(S_OK, CATPLMFailureInjection::Set("Write", "Attribute locked"));
  EXPECT_EQ(E_FAIL, Write(rim, "Material", "Gold"));
  EXPECT_EQ("Attribute locked", LastError());
  ASSERT_EQ(S_OK, CATPLMFailureInjection::Set("Read", "Attribute service down"));
  EXPECT_EQ("<fail>", Value(rim, "Material"));
  EXPECT_EQ("Attribute service down", LastError());
  CATPLMFailureInjection::Clear();
  ASSERT_EQ(S_OK, Save({rim}));
  CATPLMSession::Disconnect();
  EXPECT_EQ("Stahl \xC3\xBC 'x'; DROP", Value(Open("prd-00012343"), "Material"));
}
