#include "GetLastVersionCmd.h"

#include "CATAdpPLMAttributeSet.h"
#include "CATAfrCommandFactory.h"
#include "CATApplication.h"
#include "CATDlgNotify.h"
#include "CATIAdpPLMIdentificator.h"
#include "CATIPLMComponent.h"
#include "HtmlRequest.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELLoginData.h"
#include "ZELPlmCommands.h"
#include "ZELRequestXml.h"
#include "ZELUtil.h"

CATAfrImplementCommandFactory(GetLastVersionCmd)

namespace {

constexpr CATDlgStyle kErrorStyle = 0x10100000UL;
constexpr CATDlgStyle kWarningStyle = 0x8100000UL;
constexpr CATDlgStyle kMessageStyle = 0x100000UL;

// An empty fallback shows a missing text as "GetLastVersionCmd <key>".
CATUnicodeString Message(const char* key) {
  return ZELGlobal::BuildMessage("GetLastVersionCmd", key, nullptr, 0, CATUnicodeString());
}

struct Box {
  const char* name = nullptr;
  CATDlgStyle style = 0;
  CATUnicodeString text;
};

}  // namespace

GetLastVersionCmd::GetLastVersionCmd() : CATCommand(nullptr, "GetLastVersionCmd") {}

GetLastVersionCmd::~GetLastVersionCmd() = default;

CATStatusChangeRC GetLastVersionCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("GetLastVersionCmd::Activate");
  const CATUnicodeString title = Message("MsgTitle");
  Box box;

  CATIPLMComponent_var component;
  const long selected = ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 0, nullptr);
  CATIAdpPLMIdentificator_var id;
  CATAdpPLMAttributeSet attributes;
  CATUnicodeString revision, partNumber;
  if (selected == 1) {
    box = {"ZELWarning", kWarningStyle, Message("MsgWarnSelection")};
  } else if (selected < 0 || component == NULL_var) {
    ZEL_FAILURE_POINT();
    box = {"ZELError", kWarningStyle, Message("MsgTypeNotMapped")};
  } else if (FAILED(component->GetAdpID(id)) || id == NULL_var) {
    ZEL_FAILURE_POINT();
  } else if (SUCCEEDED(ZELUtil::GetStoredAttributes(id, attributes))) {
    if (FAILED(attributes.GetStringAttributeValue("majorrevision", revision))) ZEL_FAILURE_POINT();
    if (FAILED(attributes.GetStringAttributeValue("PLM_ExternalID", partNumber))) {
      ZEL_FAILURE_POINT();
    } else {
      ZELRequestXml request("GetPartVersion");
      ZELPlmCommands::SetCredentialsToRequest(ZELLoginData::GetUser(), ZELLoginData::GetPassword(),
                                              ZELLoginData::GetGroup(), ZELLoginData::GetRole(),
                                              ZELLoginData::GetLoginLocale(), request);
      ZELRequestXml reply;
      unsigned char hasErrors = 0;
      CATRawCollint codes;
      CATListValCATUnicodeString texts;
      if (FAILED(request.AddRequestAttribute("PartNumber", partNumber)) ||
          FAILED(request.AddRequestAttribute("Version", revision)) ||
          FAILED(request.AddRequestAttribute("TC_Revision", "ZEL_LAST")) ||
          FAILED(request.AddRequestAttribute("Level", "ALL"))) {
        ZEL_FAILURE_POINT();
        box = {"ZELError", kErrorStyle, Message("MsgFailed")};
      } else if (FAILED(HtmlRequest::DoRequest(request, reply))) {
        ZEL_FAILURE_POINT();
        box = {"ZELError", kErrorStyle, Message("MsgCommunicationFailed")};
      } else if (FAILED(reply.GetErrorsNLS(hasErrors, codes, texts))) {
        box = {"ZELError", kErrorStyle, Message("MsgFailed")};
      } else if (hasErrors) {
        box = {"ZELWarning", kWarningStyle, ZELPlmCommands::ErrorLines(codes, texts)};
      } else {
        CATRawCollint messageCodes;
        CATListValCATUnicodeString messages;
        if (FAILED(reply.GetMessagesNLS(messageCodes, messages))) {
          box = {"ZELError", kErrorStyle, Message("MsgFailed")};
        } else if (messages.Size() == 0) {
          box = {"ZELMessage", kMessageStyle, Message("MsgFinishedOK")};
        } else {
          CATUnicodeString text;
          for (int i = 1; i <= messages.Size(); ++i) {
            if (i > 1) text += "\n";
            text += messages[i];
          }
          box = {"ZELMessage", kMessageStyle, text};
        }
      }
    }
  }

  if (box.name) {
    CATDlgNotify* notify = new CATDlgNotify(CATApplication::MainApplication(), box.name, box.style);
    notify->DisplayBlocked(box.text, title);
    notify->Release();
  }
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

// Deactivation by another command must not ask the PDM for a second delivery.
CATStatusChangeRC GetLastVersionCmd::Desactivate(CATCommand*, CATNotification*) {
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC GetLastVersionCmd::Cancel(CATCommand*, CATNotification*) {
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}
