#include "ZELUtil.h"

#include <string>

#include "CATAdpPLMComponentInfosIter.h"
#include "CATAdpPLMComponentUniqueKey.h"
#include "CATAdpPLMQueryServices.h"
#include "CATApplicationFrame.h"
#include "CATCSO.h"
#include "CATFrmEditor.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATGlobalFunctions.h"
#include "CATIAlias.h"
#include "CATINavigateObject.h"
#include "CATIPLMNavEntity.h"
#include "CATIPLMNavOccurrence.h"
#include "CATPLMComponentInterfacesServices.h"
#include "CATPLMNavPropertiesAcquisition.h"
#include "CATPathElement.h"
#include "ZELDebug.h"
#include "ZELPathLeaf.h"

namespace {

// The editor of the current window of the current layout, or null.
CATFrmEditor* CurrentWindowEditor() {
  CATFrmLayout* layout = CATFrmLayout::GetCurrentLayout();
  CATFrmWindow* window = layout ? layout->GetCurrentWindow() : nullptr;
  return window ? window->GetEditor() : nullptr;
}

// The editor of the search workbench, through the agent that acquires objects there.
CATFrmEditor* SearchEditor() {
  CATPLMNavPropertiesAcquisition* agent = new CATPLMNavPropertiesAcquisition("NavPropertiesAcquisition");
  CATFrmEditor* editor = agent->GetEditor();
  agent->Release();
  return editor;
}

void ReleaseAll(CATListPtrCATIPLMComponent& roots) {
  for (CATIPLMComponent* root : roots)
    if (root) root->Release();
  roots.RemoveAll();
}

// The navigable object behind a component, reached through its navigation occurrence.
CATINavigateObject_var NavigableOf(CATBaseUnknown* object) {
  CATIPLMNavOccurrence_var occurrence(object);
  return occurrence != NULL_var ? CATINavigateObject_var(occurrence) : CATINavigateObject_var();
}

// Pads text with blanks to width characters (longer texts stay whole).
std::string Padded(const std::string& text, int width) {
  std::string padded = text;
  if (static_cast<int>(padded.size()) < width) padded.resize(static_cast<size_t>(width), ' ');
  return padded;
}

}  // namespace

long ZELUtil::GetSelectedComponent(CATIPLMComponent_var& oComponent, CATIPLMComponent_var* oRelated,
                                   CATUnicodeString* oText, unsigned char iFallBack,
                                   CATListValCATUnicodeString* oNames) {
  ZEL_DEBUG_SCOPE("ZELUtil::GetSelectedComponent");
  // A multiple selection must leave the caller with no component, whatever it held before.
  oComponent = NULL_var;
  CATString workbench;
  if (CATApplicationFrame* frame = CATApplicationFrame::GetFrame()) workbench = frame->GetCurrentWorkbench();
  const unsigned char fromSearch = workbench == "CATImmSearch" || workbench == "3DEXPERIENCEPlatform";
  long rc = fromSearch ? GetSelectionFromSearch(oComponent, oNames)
                       : GetSelection(oComponent, oRelated, oText, oNames);
  if (rc < 0 && iFallBack) rc = GetRootComponent(oComponent, fromSearch, oNames);
  if (rc < 0) ZEL_FAILURE_POINT();
  return rc;
}

long ZELUtil::GetSelection(CATIPLMComponent_var& oComponent, CATIPLMComponent_var* oRelated,
                           CATUnicodeString* oText, CATListValCATUnicodeString* oNames) {
  ZEL_DEBUG_SCOPE("ZELUtil::GetSelection");
  CATFrmLayout* layout = CATFrmLayout::GetCurrentLayout();
  if (!layout) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATFrmWindow* window = layout->GetCurrentWindow();
  if (!window) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATFrmEditor* editor = window->GetEditor();
  if (!editor) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATCSO* cso = editor->GetCSO();
  if (!cso) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  cso->InitElementList();
  if (cso->Size() == 0) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (cso->Size() > 1) return 1;
  CATBaseUnknown_var leaf = ZELPathLeaf(cso->NextElement());
  if (leaf == NULL_var) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }

  // Names are handed out only with a component, never from a failed attempt.
  CATListValCATUnicodeString names;
  CATIPLMComponent_var component;
  CATIPLMNavEntity_var related;
  CATIPLMNavOccurrence_var occurrence(leaf);
  if (occurrence != NULL_var) {
    if (oNames) {
      CATINavigateObject_var navigable(occurrence);
      if (navigable == NULL_var || FAILED(navigable->GetIdentificators(names))) ZEL_FAILURE_POINT();
    }
    if (FAILED(occurrence->GetPLMComponent(component))) {
      ZEL_FAILURE_POINT();
      return E_FAIL;
    }
    if (oRelated && oText && FAILED(occurrence->GetInstance(related))) ZEL_FAILURE_POINT();
  } else {
    component = leaf;
  }
  if (component == NULL_var) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  oComponent = component;

  CATIPLMNavEntity_var entity(related);
  if (entity != NULL_var) {
    CATListValCATUnicodeString values;
    if (SUCCEEDED(entity->GetAttributeValues(CATListValCATUnicodeString{"PLM_ExternalID"}, values)) &&
        values.Size() == 1)
      *oText = values[1];
    else
      ZEL_FAILURE_POINT();
    CATIPLMComponent_var relatedComponent;
    if (SUCCEEDED(entity->GetPLMComponent(relatedComponent)) && relatedComponent != NULL_var)
      *oRelated = relatedComponent;
    else
      ZEL_FAILURE_POINT();
  }
  if (oNames) oNames->Append(names);
  return S_OK;
}

long ZELUtil::GetSelectionFromSearch(CATIPLMComponent_var& oComponent, CATListValCATUnicodeString* oNames) {
  ZEL_DEBUG_SCOPE("ZELUtil::GetSelectionFromSearch");
  CATFrmEditor* editor = SearchEditor();
  if (!editor) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATCSO* cso = editor->GetCSO();
  if (!cso || cso->Size() == 0) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (cso->Size() > 1) return 1;
  cso->InitElementList();
  CATBaseUnknown_var leaf = ZELPathLeaf(cso->NextElement());
  CATIPLMComponent_var component(leaf);
  if (component == NULL_var) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (oNames) {
    CATINavigateObject_var navigable = NavigableOf(leaf);
    if (navigable != NULL_var && FAILED(navigable->GetIdentificators(*oNames))) ZEL_FAILURE_POINT();
  }
  oComponent = component;
  return S_OK;
}

long ZELUtil::GetRootComponent(CATIPLMComponent_var& oComponent, const unsigned char& iFromSearch,
                               CATListValCATUnicodeString* oNames) {
  ZEL_DEBUG_SCOPE("ZELUtil::GetRootComponent");
  CATFrmEditor* editor = iFromSearch ? SearchEditor() : CurrentWindowEditor();
  if (!editor) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATListPtrCATIPLMComponent roots;
  if (FAILED(CATPLMComponentInterfacesServices::GetEditedRootPLMComponents(editor, roots))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATIPLMComponent_var component;
  if (roots.Size() == 1) {
    component = roots[1];
  } else {
    ZEL_FAILURE_POINT();
    ZEL_DETAIL("Current Window uses ", roots.Size(), " root components");
  }
  CATListValCATUnicodeString names;
  if (component != NULL_var && oNames) {
    CATINavigateObject_var navigable = NavigableOf(component);
    CATIAlias_var alias(component);
    if (navigable != NULL_var) {
      if (FAILED(navigable->GetIdentificators(names))) ZEL_FAILURE_POINT();
    } else if (alias != NULL_var) {
      names.Append(alias->GetAlias());
    }
  }
  ReleaseAll(roots);
  if (component == NULL_var) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  oComponent = component;
  if (oNames) oNames->Append(names);
  return S_OK;
}

unsigned char ZELUtil::IsExplorerWindowActive() {
  ZEL_DEBUG_SCOPE("ZELUtil::IsExplorerWindowActive");
  CATFrmEditor* editor = CurrentWindowEditor();
  if (!editor) {
    ZEL_FAILURE_POINT();
    return FALSE;
  }
  CATListPtrCATIPLMComponent roots;
  if (FAILED(CATPLMComponentInterfacesServices::GetEditedRootPLMComponents(editor, roots))) {
    ZEL_FAILURE_POINT();
    return FALSE;
  }
  unsigned char explorer = FALSE;
  if (roots.Size() > 0) explorer = NavigableOf(roots[1]) != NULL_var ? TRUE : FALSE;
  ReleaseAll(roots);
  return explorer;
}

long ZELUtil::IsSubType(const CATUnicodeString& iSuperType, const CATUnicodeString& iType,
                        unsigned char& oFlag) {
  ZEL_DEBUG_SCOPE("ZELUtil::IsSubType");
  CATITypeDictionary_var dictionary = CATGlobalFunctions::GetTypeDictionary();
  if (dictionary == NULL_var) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATIType_var superType;
  if (FAILED(dictionary->FindType(iSuperType, superType)) || superType == NULL_var) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATIType_var type;
  if (FAILED(dictionary->FindType(iType, type)) || type == NULL_var) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  oFlag = type->IsATypeOf(superType) ? TRUE : FALSE;
  return S_OK;
}

void ZELUtil::PrintTypeHirarchy() {
  ZEL_DEBUG_SCOPE("ZELUtil::PrintTypeHirarchy");
  CATITypeDictionary_var dictionary = CATGlobalFunctions::GetTypeDictionary();
  if (dictionary == NULL_var) {
    ZEL_FAILURE_POINT();
    return;
  }
  CATIType_var type;
  if (FAILED(dictionary->FindType("PLMCoreRepReference", type)) || type == NULL_var) {
    ZEL_FAILURE_POINT();
    return;
  }
  for (CATIType_var superType; SUCCEEDED(type->GetSupertype(superType)) && superType != NULL_var;)
    type = superType;
  PrintTypeHirarchyRec(type, 1);
}

void ZELUtil::PrintTypeHirarchyRec(const CATIType_var& iType, int iDepth) {
  ZEL_DEBUG_SCOPE("ZELUtil::PrintTypeHirarchyRec");
  if (iType == NULL_var) {
    ZEL_FAILURE_POINT();
    return;
  }
  CATListValCATIType_var subtypes;
  if (FAILED(iType->ListSubtypes(subtypes))) ZEL_FAILURE_POINT();
  const std::string depth = "(" + std::to_string(iDepth) + ")";
  const int width = 2 * iDepth + 3;
  const std::string text =
      "<" + iType->Name().ConvertToUTF8() + ">  (" + iType->UserName().ConvertToUTF8() + ")";
  if (subtypes.Size() == 0) {
    ZELDebug::PrintLine(Padded(depth, width) + text);
    return;
  }
  ZELDebug::PrintLine(Padded(depth + "+", width) + text);
  for (const CATIType_var& subtype : subtypes) PrintTypeHirarchyRec(subtype, iDepth + 1);
  ZELDebug::PrintLine(Padded(depth + "-", width) + text);
}

long ZELUtil::GetStoredAttributes(CATIAdpPLMIdentificator* iId, CATAdpPLMAttributeSet& oAttributes,
                                  CATIType_var* oType) {
  ZEL_DEBUG_SCOPE("ZELUtil::GetStoredAttributes");
  CATAdpPLMComponentUniqueKey key;
  CATAdpPLMComponentInfosIter infos;
  CATIType_var type;
  if (!iId || FAILED(CATAdpPLMQueryServices::GetUniqueKey(iId, key)) || FAILED(key.MoreInformation(infos)) ||
      FAILED(infos.NextAttributeSet(type, oAttributes))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (oType) *oType = type;
  return S_OK;
}
