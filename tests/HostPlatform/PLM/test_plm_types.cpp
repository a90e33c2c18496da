// The type dictionary: kinds, hierarchy order, unknown names, and dictionary files that must be refused.

#include "CATCkePLMNavPublicServices.h"
#include "PLMTestUtil.h"

using plmtest::LastError;
using zeltest::ScopedEnv;

namespace {

CATIType_var Find(const CATITypeDictionary_var& dictionary, const char* name) {
  CATIType_var type;
  if (dictionary != NULL_var) dictionary->FindType(name, type);
  return type;
}

std::vector<std::string> Names(const CATListValCATIType_var& types) {
  std::vector<std::string> names;
  for (const CATIType_var& type : types) names.push_back(type->Name().ConvertToUTF8());
  return names;
}

}  // namespace

TEST(TypeDictionary, KindOfIncludesTheTypeItselfAndOnlyLooksUp) {
  CATITypeDictionary_var dictionary = CATGlobalFunctions::GetTypeDictionary();
  ASSERT_NE(NULL_var, dictionary) << LastError();
  CATIType_var reference = Find(dictionary, "VPMReference"), part = Find(dictionary, "PRDPart");
  CATIType_var bookmark = Find(dictionary, "Workspace"),
               folder = Find(dictionary, "ENOFLD_FolderRootReference");
  ASSERT_NE(NULL_var, reference);
  ASSERT_NE(NULL_var, part);
  EXPECT_TRUE(reference->IsATypeOf(reference));
  EXPECT_TRUE(part->IsATypeOf(reference));
  EXPECT_TRUE(part->IsATypeOf(Find(dictionary, "PLMEntity")));
  EXPECT_FALSE(reference->IsATypeOf(part));
  EXPECT_FALSE(bookmark->IsATypeOf(reference));
  EXPECT_FALSE(folder->IsATypeOf(bookmark));
  EXPECT_FALSE(reference->IsATypeOf(CATIType_var()));
  // The same dictionary object on every call, so types compare by identity.
  EXPECT_EQ(dictionary.get(), CATGlobalFunctions::GetTypeDictionary().get());
}

TEST(TypeDictionary, UnknownNamesFailAndNamesAreCaseSensitive) {
  CATITypeDictionary_var dictionary = CATGlobalFunctions::GetTypeDictionary();
  ASSERT_NE(NULL_var, dictionary);
  for (const char* name : {"NoSuchType", "vpmreference", "", "VPMReference ", "String"}) {
    CATIType_var type = Find(dictionary, "VPMReference");
    EXPECT_EQ(E_FAIL, dictionary->FindType(name, type)) << name;
    EXPECT_EQ(NULL_var, type) << name;
  }
}

TEST(TypeDictionary, HierarchyRunsFromTheTopWithSubtypesInFileOrder) {
  CATITypeDictionary_var dictionary = CATGlobalFunctions::GetTypeDictionary();
  CATIType_var type = Find(dictionary, "PLMCoreRepReference");
  ASSERT_NE(NULL_var, type);
  std::vector<std::string> chain;
  for (CATIType_var super; SUCCEEDED(type->GetSupertype(super)); type = super)
    chain.push_back(super->Name().ConvertToUTF8());
  EXPECT_EQ(std::vector<std::string>{"PLMEntity"}, chain);
  EXPECT_EQ("PLM Entity", type->UserName().ConvertToUTF8());

  CATListValCATIType_var subtypes;
  ASSERT_EQ(S_OK, type->ListSubtypes(subtypes));
  EXPECT_EQ((std::vector<std::string>{"PLMCoreReference", "PLMCoreInstance", "PLMCoreRepReference",
                                      "PLMCoreRepInstance"}),
            Names(subtypes));
  subtypes.RemoveAll();
  Find(dictionary, "PLMCoreReference")->ListSubtypes(subtypes);
  EXPECT_EQ((std::vector<std::string>{"VPMReference", "Workspace", "ENOFLD_FolderRootReference"}),
            Names(subtypes));
  subtypes.RemoveAll();
  Find(dictionary, "VPMReference")->ListSubtypes(subtypes);
  EXPECT_EQ((std::vector<std::string>{"PRDAssembly", "PRDPart"}), Names(subtypes));

  int status = -1;
  ASSERT_EQ(S_OK, Find(dictionary, "PLMCoreReference")->GetStatus(status));
  EXPECT_NE(0, status);
  ASSERT_EQ(S_OK, Find(dictionary, "PRDPart")->GetStatus(status));
  EXPECT_EQ(0, status);
  EXPECT_EQ("Bookmark", Find(dictionary, "Workspace")->UserName().ConvertToUTF8());
}

TEST(TypeDictionary, DictionaryFilesAreReadStrictly) {
  zeltest::TempDir dir("zel-plm-types");
  struct Case {
    const char* file;
    const char* text;
    const char* reason;  // null: valid
  };
  const Case cases[] = {
      {"types-ok.txt", "\xEF\xBB\xBF# comment\r\nTop - 1 Top Type\r\n\r\n  B Top 0 Bee  \r\nA Top 0 Ay\r\n",
       nullptr},
      {"types-dup.txt", "Top - 1 Top\nA Top 0 A\nA Top 0 Again\n",
       "types-dup.txt:3: type A is declared twice"},
      {"types-order.txt", "A Top 0 A\nTop - 1 Top\n",
       "types-order.txt:1: supertype Top of A is not declared"},
      {"types-short.txt", "Top - 1\n", "types-short.txt:1: expected"},
      {"types-status.txt", "Top - x1 Top\n", "types-status.txt:1: expected"},
      {"types-status2.txt", "Top - 99999999999999 Top\n", "types-status2.txt:1: expected"},
      {"types-empty.txt", "# nothing\n", "no type declared"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(zeltest::WriteFile(dir / c.file, c.text));
    ScopedEnv env("ZEL_PLM_TYPES", (dir / c.file).c_str());
    CATError::CATCleanLastError();
    CATITypeDictionary_var dictionary = CATGlobalFunctions::GetTypeDictionary();
    if (!c.reason) {
      ASSERT_NE(NULL_var, dictionary) << LastError();
      CATListValCATIType_var subtypes;
      Find(dictionary, "Top")->ListSubtypes(subtypes);
      EXPECT_EQ((std::vector<std::string>{"B", "A"}), Names(subtypes));
      EXPECT_EQ("Bee", Find(dictionary, "B")->UserName().ConvertToUTF8());
      EXPECT_EQ("Top Type", Find(dictionary, "Top")->UserName().ConvertToUTF8());
    } else {
      EXPECT_EQ(NULL_var, dictionary) << c.file;
      EXPECT_NE(std::string::npos, LastError().find(c.reason)) << LastError();
    }
  }
  ScopedEnv missing("ZEL_PLM_TYPES", "/nonexistent/PLMTypes.txt");
  EXPECT_EQ(NULL_var, CATGlobalFunctions::GetTypeDictionary());
  EXPECT_NE(std::string::npos, LastError().find("/nonexistent/PLMTypes.txt"));
}

TEST(TypeDictionary, MajorRevisionAttributeIsNamedForRevisedTypesOnly) {
  CATITypeDictionary_var dictionary = CATGlobalFunctions::GetTypeDictionary();
  CATUnicodeString name;
  EXPECT_EQ(S_OK, CATCkePLMNavPublicServices::GetMajorRevisionAttributeName(CATIType_var(), name));
  EXPECT_EQ("majorrevision", name.ConvertToUTF8());
  name = "";
  EXPECT_EQ(S_OK,
            CATCkePLMNavPublicServices::GetMajorRevisionAttributeName(Find(dictionary, "PRDPart"), name));
  EXPECT_EQ("majorrevision", name.ConvertToUTF8());
  name = "";
  EXPECT_EQ(E_FAIL,
            CATCkePLMNavPublicServices::GetMajorRevisionAttributeName(Find(dictionary, "VPMInstance"), name));
  EXPECT_EQ("", name.ConvertToUTF8());
}
