// The PLM family: queries of the database whose objects are opened in windows, inserted as further roots of
// the current window, or shown as search results.
#include "CATClientNavigation.h"
#include "CATClientScript.h"
#include "CATClientText.h"
#include "CATClientVerbs.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATIAlias.h"
#include "CATPLMOpenServicesFactory.h"

namespace {

enum class Use { Open, OpenExplorer, Insert, Search };

std::string Alias(CATBaseUnknown* object) {
  CATIAlias_var alias(object);
  return CATClientText::Quoted(alias != NULL_var ? alias->GetAlias().ConvertToUTF8() : std::string("?"));
}

// Holds one reference on every component found, released at the end of the verb whatever happens.
struct Found {
  ~Found() {
    for (CATIPLMComponent* component : components) component->Release();
  }
  CATListPtrCATIPLMComponent components;
};

void ShowResults(CATClientScript& script, CATListPtrCATIPLMComponent& found) {
  CATFrmEditor* search = script.Session().GetFrame()->GetSearchEditor();
  search->RemoveAllRoots();
  for (CATIPLMComponent* component : found) search->AddRootComponent(component);
  script.Say("found " + std::to_string(search->GetRootCount()) +
             (search->GetRootCount() == 1 ? " object" : " objects"));
  CATListValCATIPLMNavOccurrence_var roots;
  search->ListRootOccurrences(roots);
  for (int i = 1; i <= roots.Size(); ++i)
    script.Say("  " + std::to_string(i) + " " + CATClientNavigation::PathText(CATPathElement(roots[i])) +
               ": " + CATClientNavigation::Label(roots[i]));
}

void InsertInto(CATClientScript& script, CATFrmWindow* current, CATIPLMComponent* component) {
  const std::string number = std::to_string(CATClientScript::WindowNumber(current));
  HRESULT rc = current->GetEditor()->AddRootComponent(component);
  if (FAILED(rc))
    script.Fail("cannot insert " + Alias(component) + " into window " + number);
  else
    script.Say((rc == S_FALSE ? "already in window " : "inserted into window ") + number + ": " +
               Alias(component));
}

void Query(CATClientScript& script, const std::string& arguments, Use use, const char* verb) {
  std::vector<std::string> words = CATClientText::Words(arguments);
  if (words.size() < 2 || words.size() > 3) {
    script.Fail(std::string("usage: ") + verb + " TYPE EXTERNALID [REVISION]");
    return;
  }
  const std::string revision = words.size() == 3 ? words[2] : std::string();
  const std::string what = words[0] + " " + words[1] + (revision.empty() ? "" : " " + revision);
  Found found;
  std::string error;
  if (!script.Session().Find(words[0], words[1], revision, found.components, error)) {
    script.Fail(error);
    return;
  }
  if (use == Use::Search) {
    ShowResults(script, found.components);
    return;
  }
  if (found.components.Size() == 0) {
    script.Fail("no " + what + " in the PLM database");
    return;
  }
  CATFrmLayout* layout = script.Session().GetFrame()->GetLayout();
  CATIPLMOpenServices_var services;
  if (use == Use::Open && FAILED(CATPLMOpenServicesFactory::GetPLMOpenServices(services))) {
    script.Fail("no open services");
    return;
  }
  CATFrmWindow* current = layout->GetCurrentWindow();
  if (use == Use::Insert && !current) {
    script.Fail("no current window to insert into");
    return;
  }
  for (CATIPLMComponent* component : found.components) {
    if (use == Use::Insert) {
      InsertInto(script, current, component);
      continue;
    }
    HRESULT rc = use == Use::Open ? services->OpenInNewWindow(component)
                                  : layout->OpenWindow(component, CATFrmNavigationEditor);
    CATFrmWindow* window = layout->GetCurrentWindow();
    if (FAILED(rc) || !window) {
      script.Fail("cannot open " + Alias(component) + " in a window");
      continue;
    }
    script.Say("opened window " + std::to_string(CATClientScript::WindowNumber(window)) + " " +
               CATClientScript::KindName(window->GetEditor()->GetKind()) + " " +
               CATClientText::Quoted(window->GetBaseName().ConvertToUTF8()));
  }
}

}  // namespace

namespace CATClientVerbs {

void Open(CATClientScript& script, const std::string& arguments) {
  Query(script, arguments, Use::Open, "open");
}

void OpenExplorer(CATClientScript& script, const std::string& arguments) {
  Query(script, arguments, Use::OpenExplorer, "open-explorer");
}

void Insert(CATClientScript& script, const std::string& arguments) {
  Query(script, arguments, Use::Insert, "insert");
}

void Search(CATClientScript& script, const std::string& arguments) {
  Query(script, arguments, Use::Search, "search");
}

}  // namespace CATClientVerbs
