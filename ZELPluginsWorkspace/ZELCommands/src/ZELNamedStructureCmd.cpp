#include "ZELNamedStructureCmd.h"

#include <memory>
#include <vector>

#include "CATAfrCommandFactory.h"
#include "CATAfrStartCommand.h"
#include "CATApplication.h"
#include "CATApplicationFrame.h"
#include "CATCSO.h"
#include "CATCkeObjectAttrReadServices.h"
#include "CATDlgNotify.h"
#include "CATFrmEditor.h"
#include "CATIAdpPLMIdentificator.h"
#include "CATIBuildPath.h"
#include "CATIDOMElement.h"
#include "CATIDOMNode.h"
#include "CATIDOMNodeList.h"
#include "CATListPtrCATIPLMComponent.h"
#include "CATPLMComponentInterfacesServices.h"
#include "CATPathElement.h"
#include "HtmlRequest.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELNamedStructureInfoDialog.h"
#include "ZELNamedStructureObject.h"
#include "ZELNamesSelectDialog.h"
#include "ZELRequestXml.h"

CATAfrImplementCommandFactory(ZELNamedStructureCmd)

namespace {

constexpr CATDlgStyle kWrongWorkshopStyle = 0x10100000UL;
const char* const kExternalId = "PLM_ExternalID";

CATUnicodeString Message(const char* key, const char* fallback) {
  return ZELGlobal::BuildMessage("NamedStructureCmd", key, nullptr, 0, fallback);
}

// The object behind an interface pointer, so that two interfaces of one object compare equal.
CATBaseUnknown* Identity(CATBaseUnknown* object) {
  if (!object) return nullptr;
  CATBaseUnknown* base = nullptr;
  if (FAILED(object->QueryInterface(IID_CATBaseUnknown, reinterpret_cast<void**>(&base))) || !base)
    return nullptr;
  base->Release();
  return base;
}

// The single "PLM_ExternalID" of a navigation entity; empty unless exactly one value comes back.
CATUnicodeString ExternalIdOf(const CATIPLMNavEntity_var& entity) {
  if (entity == NULL_var) return CATUnicodeString();
  CATListValCATUnicodeString names, values;
  names.Append(kExternalId);
  if (FAILED(entity->GetAttributeValues(names, values)) || values.Size() != 1) return CATUnicodeString();
  return values[1];
}

// The child elements of element named name, in document order.
std::vector<CATIDOMElement_var> ChildElementsNamed(CATIDOMElement* element, const char* name) {
  std::vector<CATIDOMElement_var> found;
  CATIDOMNodeList_var children;
  unsigned int count = 0;
  if (!element || FAILED(element->GetChildNodes(children)) || children == NULL_var ||
      FAILED(children->GetLength(count)))
    return found;
  for (unsigned int i = 0; i < count; ++i) {
    CATIDOMNode_var node;
    unsigned short type = 0;
    CATUnicodeString nodeName;
    if (FAILED(children->Item(i, node)) || node == NULL_var || FAILED(node->GetNodeType(type)) ||
        type != CATIDOMNode::ELEMENT_NODE || FAILED(node->GetNodeName(nodeName)) || !(nodeName == name))
      continue;
    CATIDOMElement_var child(node);
    if (child != NULL_var) found.push_back(child);
  }
  return found;
}

}  // namespace

ZELNamedStructureCmd::ZELNamedStructureCmd()
    : CATCommand(nullptr, "ZELNamedStructureCmd"), _pEditor(CATFrmEditor::GetCurrentEditor()) {}

ZELNamedStructureCmd::~ZELNamedStructureCmd() {
  _spRoot = NULL_var;
  _pEditor = nullptr;
}

CATStatusChangeRC ZELNamedStructureCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELNamedStructureCmd::Activate");
  // A run already under way waits for its names dialog; a second one would offer the names again.
  if (_spRoot != NULL_var) return CATStatusChangeRCCompleted;

  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  if (frame && !(frame->GetCurrentWorkshop() == "ImmNavWorkshop")) {
    ZEL_DETAIL("workshop: ", frame->GetCurrentWorkshop().CastToCharPtr());
    CATDlgNotify* box =
        new CATDlgNotify(CATApplication::MainApplication(), "ZELWarning", kWrongWorkshopStyle);
    box->DisplayBlocked(Message("MsgWrongWorkshop", "MsgWrongWorkshop"), Message("MsgTitle", "MsgTitle"));
    box->Release();
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }

  CATListValCATUnicodeString lines;
  bool success = false;
  CATListPtrCATIPLMComponent roots;
  if (FAILED(CATPLMComponentInterfacesServices::GetEditedRootPLMComponents(_pEditor, roots)) ||
      roots.Size() == 0) {
    ZEL_FAILURE_POINT();
  } else {
    _spRoot = roots[1];
  }
  for (int i = 1; i <= roots.Size(); ++i)
    if (roots[i]) roots[i]->Release();
  roots.RemoveAll();

  CATUnicodeString partNumber;
  if (_spRoot == NULL_var) {
    ZEL_FAILURE_POINT();
  } else if (FAILED(ReadRootPartNumber(partNumber))) {
    lines.Append(Message("RootNotExpanded", "RootNotExpanded"));
    success = true;
  } else {
    ZELRequestXml request("GetStructureNames");
    ZELRequestXml reply;
    unsigned char hasErrors = 0;
    CATRawCollint codes;
    CATListValCATUnicodeString texts;
    if (FAILED(request.AddRequestAttribute("ContextPartNumber", partNumber))) {
      ZEL_FAILURE_POINT();
    } else if (FAILED(HtmlRequest::DoRequest(request, reply))) {
      ZEL_FAILURE_POINT();
    } else if (FAILED(reply.GetErrors(hasErrors, &codes, &texts))) {
      // A reply that cannot say whether it holds errors is no list of names.
      ZEL_FAILURE_POINT();
    } else {
      ZEL_DETAIL("bHasErrors [", hasErrors ? "TRUE" : "FALSE", "]");
      for (int i = 1; i <= codes.Size() && i <= texts.Size(); ++i) {
        ZEL_DETAIL("error [", codes[i], "]: ", texts[i].ConvertToUTF8());
        lines.Append(texts[i]);
      }
      CATRawCollint messageCodes;
      CATListValCATUnicodeString messageTexts;
      if (SUCCEEDED(reply.GetMessages(messageCodes, messageTexts)))
        for (int i = 1; i <= messageCodes.Size() && i <= messageTexts.Size(); ++i)
          ZEL_DETAIL("message [", messageCodes[i], "]: ", messageTexts[i].ConvertToUTF8());

      CATListValCATUnicodeString names;
      if (hasErrors) {
        ZEL_FAILURE_POINT();
      } else if (FAILED(reply.GetResponseAttributeList("VboNames", names, nullptr)) || names.Size() == 0) {
        lines.Append(Message("NoStoredNamesFound", "NoStoredNamesFound"));
        success = true;
      } else {
        CATDlgDialog* window = frame ? frame->GetApplicationDocument() : nullptr;
        CATIAdpPLMIdentificator_var id;
        if (window && SUCCEEDED(_spRoot->GetAdpID(id)) && id != NULL_var) {
          auto* dialog = new ZELNamesSelectDialog(window, "vbo_names_select");
          dialog->Build();
          dialog->SetZELNames(names);
          dialog->SetCommandData(this);
          dialog->SetVisibility(CATDlgShow);
          return CATStatusChangeRCCompleted;
        }
        ZEL_FAILURE_POINT();
      }
    }
  }
  ShowInfo(lines, success);
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

// Running Activate again would open a second names dialog bound to a command the first one ends.
CATStatusChangeRC ZELNamedStructureCmd::Desactivate(CATCommand*, CATNotification*) {
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELNamedStructureCmd::Cancel(CATCommand*, CATNotification*) {
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

void ZELNamedStructureCmd::CancelCommand() {
  ZEL_DEBUG_SCOPE("ZELNamedStructureCmd::CancelCommand");
  RequestDelayedDestruction();
}

long ZELNamedStructureCmd::ExpandAndFilter(CATUnicodeString iName) {
  ZEL_DEBUG_SCOPE("ZELNamedStructureCmd::ExpandAndFilter");
  CATListValCATUnicodeString lines;
  bool success = false;
  // The names dialog is modeless: the window may have been closed or changed while it waited.
  CATFrmEditor* editor = CATFrmEditor::GetCurrentEditor();
  CATUnicodeString partNumber;
  if (_spRoot == NULL_var || iName.IsNull()) {
    ZEL_FAILURE_POINT();
  } else if (!EditsRoot(editor)) {
    ZEL_DETAIL("the current window no longer shows the product");
    ZEL_FAILURE_POINT();
  } else if (FAILED(ReadRootPartNumber(partNumber))) {
    ZEL_FAILURE_POINT();
  } else {
    _pEditor = editor;
    success = Filter(partNumber, iName, lines);
  }
  ShowInfo(lines, success);
  RequestDelayedDestruction();
  return 0;
}

bool ZELNamedStructureCmd::Filter(const CATUnicodeString& iPartNumber, const CATUnicodeString& iName,
                                  CATListValCATUnicodeString& oLines) {
  ZEL_DEBUG_SCOPE("ZELNamedStructureCmd::Filter");
  ZELRequestXml request("GetStructureForName");
  ZELRequestXml reply;
  CATIDOMElement_var response;
  if (FAILED(request.AddRequestAttribute("ContextPartNumber", iPartNumber)) ||
      FAILED(request.AddRequestAttribute("VboName", iName)) ||
      FAILED(HtmlRequest::DoRequest(request, reply)) || FAILED(reply.GetResponse(response)) ||
      response == NULL_var) {
    ZEL_FAILURE_POINT();
    return false;
  }
  std::unique_ptr<ZELNamedStructureObject> tree;
  // Several structures in one reply: the last one counts.
  for (const CATIDOMElement_var& structure : ChildElementsNamed(response, "ZELNamedStructure")) {
    tree = std::make_unique<ZELNamedStructureObject>("ROOT", "ROOT");
    RetrieveObjectsRecursive(tree.get(), structure);
  }

  bool success = false;
  CATIPLMNavOccurrence_var rootOccurrence(_spRoot);
  CATListValCATIPLMNavOccurrence_var removal;
  ZELNamedStructureObject* top = tree ? tree->GetElement(1) : nullptr;
  if (rootOccurrence != NULL_var && top) {
    SilverBrowseOccurrence(rootOccurrence, top, removal);
    CATListValCATUnicodeString unhandled;
    top->GetUnhandledObjects(unhandled);
    if (unhandled.Size() > 0) {
      ZEL_DETAIL("Unhandled Elements found:");
      oLines.Append(Message("UnhandledElementsFound", "Unhandled Elements found:"));
      for (int i = 1; i <= unhandled.Size(); ++i) {
        ZEL_DETAIL("Unhandled: [", unhandled[i].ConvertToUTF8(), "]");
        oLines.Append(unhandled[i]);
      }
    }
    success = true;
  } else {
    ZEL_FAILURE_POINT();
  }

  if (_pEditor && removal.Size() > 0) {
    CATPathElement active(_pEditor->GetUIActiveObject());
    CATCSO* cso = _pEditor->GetCSO();
    cso->Empty();
    for (int i = 1; i <= removal.Size(); ++i) {
      CATIBuildPath_var builder(removal[i]);
      CATPathElement* path = nullptr;
      if (builder == NULL_var || FAILED(builder->ExtractPathElement(&active, &path)) || !path) {
        ZEL_FAILURE_POINT();
        continue;
      }
      cso->AddElement(path);
      path->Release();
    }
    if (FAILED(CATAfrStartCommand("CATImmRemoveBranchCmd"))) ZEL_FAILURE_POINT();
  }
  return success;
}

void ZELNamedStructureCmd::RetrieveObjectsRecursive(ZELNamedStructureObject* iParent,
                                                    CATIDOMElement* iElement) {
  ZEL_DEBUG_SCOPE("ZELNamedStructureCmd::RetrieveObjectsRecursive");
  if (!iParent || !iElement) return;
  // Own stack instead of recursion: the depth is the server's to choose.
  struct Pending {
    ZELNamedStructureObject* node;
    CATIDOMElement_var element;
  };
  std::vector<Pending> pending{{iParent, iElement}};
  while (!pending.empty()) {
    Pending current = pending.back();
    pending.pop_back();
    std::vector<Pending> children;
    for (const CATIDOMElement_var& element : ChildElementsNamed(current.element, "O")) {
      CATUnicodeString partNumber, instanceName;
      if (FAILED(element->GetAttribute("pn", partNumber))) partNumber = CATUnicodeString();
      if (FAILED(element->GetAttribute("in", instanceName))) instanceName = CATUnicodeString();
      auto* node = new ZELNamedStructureObject(partNumber, instanceName);
      current.node->AddChild(node);
      children.push_back({node, element});
    }
    // Every child is already in place, so the order the subtrees are filled in does not matter.
    for (Pending& child : children) pending.push_back(std::move(child));
  }
}

void ZELNamedStructureCmd::SilverBrowseOccurrence(const CATIPLMNavOccurrence_var& iOccurrence,
                                                  ZELNamedStructureObject* iNode,
                                                  CATListValCATIPLMNavOccurrence_var& oRemoval) {
  ZEL_DEBUG_SCOPE("ZELNamedStructureCmd::SilverBrowseOccurrence");
  // One frame per occurrence being examined, as a recursion would keep them, but on the heap.
  struct Frame {
    CATIPLMNavOccurrence_var occurrence;
    ZELNamedStructureObject* node;
    CATListValCATIPLMNavOccurrence_var children;
    int next;
  };
  std::vector<Frame> frames;
  auto enter = [&](const CATIPLMNavOccurrence_var& occurrence, ZELNamedStructureObject* node) {
    const CATUnicodeString partNumber = GetPartnumberFromOccurrence(occurrence);
    CATUnicodeString instanceName = GetInstanceNameFromOccurrence(occurrence);
    ZEL_DETAIL("PartNmuber: [", partNumber.ConvertToUTF8(), "]");
    ZEL_DETAIL("InstanceName: [", instanceName.ConvertToUTF8(), "]");
    // Only the root occurrence has no instance; it stands for the top entry.
    if (instanceName.IsNull() && node) {
      instanceName = partNumber;
      node->SetHandled();
    }
    if (!node || !(node->GetPartNumber() == partNumber) || !(node->GetInstanceName() == instanceName)) return;
    Frame frame{occurrence, node, {}, 1};
    if (occurrence == NULL_var || FAILED(occurrence->ListChildren(frame.children))) return;
    frames.push_back(std::move(frame));
  };

  enter(iOccurrence, iNode);
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.next > frame.children.Size()) {
      frames.pop_back();
      continue;
    }
    const CATIPLMNavOccurrence_var child = frame.children[frame.next++];
    ZELNamedStructureObject* node = frame.node;
    CATIPLMNavEntity_var reference;
    if (child == NULL_var || FAILED(child->GetReference(reference)) || reference == NULL_var) continue;
    // Representations are no product structure: a named structure never lists them.
    CATBoolean isRepresentation = FALSE;
    if (FAILED(reference->IsRepresentation(isRepresentation)) || isRepresentation) continue;
    ZELNamedStructureObject* match =
        node->GetChildObject(GetPartnumberFromOccurrence(child), GetInstanceNameFromOccurrence(child));
    if (match) {
      match->SetHandled();
      enter(child, match);  // may move frames: nothing of the old back() is used after this
    } else {
      oRemoval.Append(child);
    }
  }
}

CATUnicodeString ZELNamedStructureCmd::GetPartnumberFromOccurrence(
    const CATIPLMNavOccurrence_var& iOccurrence) {
  CATIPLMNavEntity_var reference;
  if (iOccurrence == NULL_var || FAILED(iOccurrence->GetReference(reference))) return CATUnicodeString();
  return ExternalIdOf(reference);
}

CATUnicodeString ZELNamedStructureCmd::GetInstanceNameFromOccurrence(
    const CATIPLMNavOccurrence_var& iOccurrence) {
  CATIPLMNavEntity_var instance;
  if (iOccurrence == NULL_var || FAILED(iOccurrence->GetInstance(instance))) return CATUnicodeString();
  return ExternalIdOf(instance);
}

HRESULT ZELNamedStructureCmd::ReadRootPartNumber(CATUnicodeString& oPartNumber) {
  ZEL_DEBUG_SCOPE("ZELNamedStructureCmd::ReadRootPartNumber");
  oPartNumber = CATUnicodeString();
  if (_spRoot == NULL_var ||
      FAILED(CATCkeObjectAttrReadServices::ShowAttributeValue(CATICkeObject_var(_spRoot), kExternalId,
                                                              oPartNumber)) ||
      oPartNumber.IsNull()) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  return S_OK;
}

bool ZELNamedStructureCmd::EditsRoot(CATFrmEditor* iEditor) const {
  if (!iEditor || _spRoot == NULL_var) return false;
  CATListPtrCATIPLMComponent roots;
  if (FAILED(CATPLMComponentInterfacesServices::GetEditedRootPLMComponents(iEditor, roots))) return false;
  const CATBaseUnknown* root = Identity(_spRoot);
  bool found = false;
  for (int i = 1; i <= roots.Size(); ++i) {
    if (roots[i] && Identity(roots[i]) == root) found = true;
    if (roots[i]) roots[i]->Release();
  }
  return found;
}

void ZELNamedStructureCmd::ShowInfo(CATListValCATUnicodeString& ioLines, bool iSuccess) {
  ZEL_DEBUG_SCOPE("ZELNamedStructureCmd::ShowInfo");
  ioLines.InsertAt(1, CATUnicodeString());
  ioLines.InsertAt(1, iSuccess ? Message("MsgFinishedOK", "ZELNamedStructureCmd MsgFinishedOK")
                               : Message("MsgFailed", "ZELNamedStructureCmd MsgFailed"));
  for (int i = 1; i <= ioLines.Size(); ++i) ZEL_DETAIL(ioLines[i].ConvertToUTF8());
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  CATDlgDialog* window = frame ? frame->GetApplicationDocument() : nullptr;
  if (!window) {
    ZEL_FAILURE_POINT();
    return;
  }
  auto* dialog = new ZELNamedStructureInfoDialog(window, "vbo_named_structure_infos");
  dialog->Build();
  dialog->AddMessages(ioLines);
  dialog->SetVisibility(CATDlgShow);
}
