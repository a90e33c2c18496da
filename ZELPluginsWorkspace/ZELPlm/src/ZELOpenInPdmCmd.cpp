#include "ZELOpenInPdmCmd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "CATAdpPLMAttributeSet.h"
#include "CATAfrCommandFactory.h"
#include "CATApplication.h"
#include "CATDlgNotify.h"
#include "CATIAdpPLMIdentificator.h"
#include "CATIPLMComponent.h"
#include "CATLib.h"
#include "CATShellExecute.h"
#include "HtmlRequest.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELPlmCommands.h"
#include "ZELRequestXml.h"
#include "ZELUtil.h"

CATAfrImplementCommandFactory(ZELOpenInPdmCmd)

namespace {

constexpr CATDlgStyle kErrorStyle = 0x10100000UL;
constexpr CATDlgStyle kWarningStyle = 0x8100000UL;
constexpr CATDlgStyle kQuestionStyle = 0x8800000UL;
constexpr int kShowNormal = 1;
constexpr int kAnswerYes = 1;
// The system's error text is cut here, as the box shows one short line.
constexpr size_t kMaxSystemText = 250;

// An empty fallback shows a missing text as "OpenInPdmCmd <key>".
CATUnicodeString Message(const char* key, CATUnicodeString* params = nullptr, int count = 0,
                         const CATUnicodeString& fallback = CATUnicodeString()) {
  return ZELGlobal::BuildMessage("OpenInPdmCmd", key, params, count, fallback);
}

struct Box {
  const char* name = nullptr;
  CATDlgStyle style = 0;
  CATUnicodeString text;
};

Box ErrorBox(const CATUnicodeString& text) {
  return {"ZELError", kErrorStyle, text};
}

CATUnicodeString SystemText(int error) {
  std::string text = std::strerror(error);
  if (text.size() > kMaxSystemText) text.resize(kMaxSystemText);
  return CATUnicodeString(text);
}

std::string Env(const char* name) {
  const char* value = CATGetEnv(name);
  return value ? value : "";
}

// With a browser configured it gets the address as its one argument; otherwise the desktop opens it.
bool OpenAddress(const std::string& address, Box& box) {
  ZEL_DEBUG_SCOPE("ZELOpenInPdmCmd::OpenAddress");
  const std::string browser = Env("ZEL_WEBBROWSER");
  const long launched =
      browser.empty()
          ? ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, kShowNormal)
          : ShellExecuteA(nullptr, "open", browser.c_str(), address.c_str(), nullptr, kShowNormal);
  if (launched > 32) return true;
  const int error = errno;
  ZEL_FAILURE_POINT();
  box = ErrorBox(SystemText(error));
  return false;
}

// A line break in the id would add lines to the session file or break the address.
bool HasLineBreak(const CATUnicodeString& value) {
  const std::string text = value.ConvertToUTF8();
  return text.find_first_of("\r\n") != std::string::npos;
}

// Written to a temporary file beside it and renamed into place, so the portal never reads half a file and
// nothing is written when the file cannot be created.
bool WriteSessionFile(const std::string& path, const std::string& content, int& error) {
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    error = errno;
    return false;
  }
  size_t written = 0;
  errno = 0;
  while (written < content.size()) {
    const ssize_t wrote = write(fd, content.data() + written, content.size() - written);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) break;
    written += static_cast<size_t>(wrote);
  }
  // A write that stops without an error still leaves the file short.
  error = written == content.size() ? 0 : (errno != 0 ? errno : EIO);
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

void OpenTeamcenter(const CATUnicodeString& id, Box& box) {
  ZEL_DEBUG_SCOPE("ZELOpenInPdmCmd::OpenTeamcenter");
  const std::string webClient = Env("ZEL_TEAMCENTER_WEBCLIENT_URL");
  if (!webClient.empty()) {
    OpenAddress(webClient + ZELOpenInPdmCmd::EncodeForAddress(id), box);
    return;
  }
  char temp[CATMaxPathSize] = {};
  int error = 0;
  if (CATGetTempDirectory(temp, sizeof temp) != CATLibSuccess) {
    ZEL_FAILURE_POINT();
    box = ErrorBox(Message("MsgFailed"));
    return;
  }
  const std::string directory = std::string(temp) + "/ZEL";
  const std::string file = directory + "/ZEL.ugs";
  const std::string content = "-s=226TCSession\n-attach\n-o=" + id.ConvertToUTF8() + "\n\n\n";
  if (!ZELOpenInPdmCmd::PrepareSessionDirectory(directory, error) ||
      !WriteSessionFile(file, content, error)) {
    ZEL_DETAIL("cannot write ", file);
    ZEL_FAILURE_POINT();
    box = ErrorBox(SystemText(error));
    return;
  }
  const std::string portal = Env("ZEL_TEAMCENTER_PORTAL");
  const long launched =
      portal.empty() ? ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, kShowNormal)
                     : ShellExecuteA(nullptr, "open", portal.c_str(), file.c_str(), nullptr, kShowNormal);
  if (launched <= 32) {
    error = errno;
    ZEL_FAILURE_POINT();
    box = ErrorBox(SystemText(error));
  }
}

void OpenAras(const CATUnicodeString& type, const CATUnicodeString& id, Box& box) {
  const std::string base = Env("ZEL_ARAS_URL");
  if (base.empty()) {
    box = ErrorBox(Message("MsgArasUrlNotDefined"));
    return;
  }
  OpenAddress(base + "?StartItem=" + ZELOpenInPdmCmd::EncodeForAddress(type) + ":" +
                  ZELOpenInPdmCmd::EncodeForAddress(id),
              box);
}

void OpenCimDatabase(const CATUnicodeString& partNo, const CATUnicodeString& index, Box& box) {
  ZEL_DEBUG_SCOPE("ZELOpenInPdmCmd::OpenCimDatabase");
  const std::string base = Env("ZEL_CIMDB_WEBCLIENT_URL");
  if (base.empty()) {
    box = ErrorBox(Message("MsgCIMDBUrlNotDefined"));
    return;
  }
  // The configured parameters are the administrator's text: appended as they are, separator included.
  const std::string address = base + "/info/part/" + ZELOpenInPdmCmd::EncodeForAddress(partNo) + "@" +
                              ZELOpenInPdmCmd::EncodeForAddress(index) + Env("ZEL_CIMDB_WEBCLIENT_PARAMS");
  if (ShellExecuteA(nullptr, "open", address.c_str(), address.c_str(), nullptr, kShowNormal) <= 32) {
    const int error = errno;
    ZEL_FAILURE_POINT();
    box = ErrorBox(SystemText(error));
  }
}

// Reply attributes an edition reads; a missing one reads as empty.
CATUnicodeString ReplyValue(const ZELRequestXml& reply, const char* name) {
  ZEL_DEBUG_SCOPE("ZELOpenInPdmCmd::ReplyValue");
  CATUnicodeString value;
  if (FAILED(reply.GetResponseAttribute(name, value))) {
    ZEL_DETAIL("no reply attribute ", name);
    value = CATUnicodeString();
  }
  return value;
}

}  // namespace

std::string ZELOpenInPdmCmd::EncodeForAddress(const CATUnicodeString& iValue) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string encoded;
  for (const unsigned char byte : iValue.ConvertToUTF8()) {
    if (byte < 0x20 || byte == 0x7F || std::strchr(" \"#&?%", byte)) {
      encoded += '%';
      encoded += kDigits[byte >> 4];
      encoded += kDigits[byte & 0xF];
    } else {
      encoded += static_cast<char>(byte);
    }
  }
  return encoded;
}

// The session file goes to a directory of our own that nobody else may write to: otherwise the file could be
// swapped between our write and the portal's read.
bool ZELOpenInPdmCmd::PrepareSessionDirectory(const std::string& directory, int& error) {
  if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
    error = errno;
    return false;
  }
  struct stat info {};
  if (lstat(directory.c_str(), &info) != 0) {
    error = errno;
    return false;
  }
  if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    error = EACCES;
    return false;
  }
  return true;
}

ZELOpenInPdmCmd::ZELOpenInPdmCmd() : CATCommand(nullptr, "OpenInPdmCmd") {}

ZELOpenInPdmCmd::~ZELOpenInPdmCmd() = default;

CATStatusChangeRC ZELOpenInPdmCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELOpenInPdmCmd::Activate");
  const CATUnicodeString title = Message("MsgTitle");
  Box box;
  CATIPLMComponent_var component;
  const long selected = ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 0, nullptr);
  // Unset until the type is read: anything but 0 cannot be handled.
  int typeStatus = -1;
  CATUnicodeString revision, externalId;
  bool proceed = true;
  if (selected == 1) {
    box = {"ZELWarning", kWarningStyle, Message("MsgWarnSelection")};
    proceed = false;
  } else if (component == NULL_var) {
    ZEL_FAILURE_POINT();
  } else {
    CATIAdpPLMIdentificator_var id;
    CATBoolean saved = FALSE;
    if (FAILED(component->GetAdpID(id)) || id == NULL_var) {
      ZEL_FAILURE_POINT();
    } else if (FAILED(id->IsSaved(saved))) {
      ZEL_FAILURE_POINT();
    } else if (!saved) {
      box = {"ZELWarning", kWarningStyle,
             Message("MsgWarnSelectedNeverSaved", nullptr, 0, "OpenInPdmCmd MsgWarnSelectedNeverSaved")};
      proceed = false;
    } else {
      CATIType_var type;
      if (FAILED(id->GetPLMType(type)) || type == NULL_var || FAILED(type->GetStatus(typeStatus))) {
        ZEL_FAILURE_POINT();
        typeStatus = -1;
      }
      CATAdpPLMAttributeSet attributes;
      if (SUCCEEDED(ZELUtil::GetStoredAttributes(id, attributes))) {
        if (FAILED(attributes.GetStringAttributeValue("majorrevision", revision))) ZEL_FAILURE_POINT();
        if (FAILED(attributes.GetStringAttributeValue("PLM_ExternalID", externalId))) ZEL_FAILURE_POINT();
      }
    }
  }

  if (proceed && typeStatus != 0) {
    box = {"ZELError", kWarningStyle, Message("MsgTypeNotMapped")};
    proceed = false;
  }
  if (proceed && externalId.IsNull()) {
    ZEL_DETAIL("no PLM_ExternalID");
    proceed = false;
  }

  ZELRequestXml reply;
  if (proceed) {
    ZELRequestXml request("OpenInPdm");
    unsigned char hasErrors = 0;
    CATRawCollint codes;
    CATListValCATUnicodeString texts;
    if (FAILED(request.AddRequestAttribute("PartNumber", externalId)) ||
        FAILED(request.AddRequestAttribute("Revision", revision))) {
      ZEL_FAILURE_POINT();
      box = ErrorBox(Message("MsgFailed"));
      proceed = false;
    } else if (FAILED(HtmlRequest::DoRequest(request, reply))) {
      ZEL_FAILURE_POINT();
      box = ErrorBox(Message("MsgCommunicationFailed"));
      proceed = false;
    } else if (FAILED(reply.GetErrorsNLS(hasErrors, codes, texts))) {
      box = ErrorBox(Message("MsgFailed"));
      proceed = false;
    } else if (hasErrors) {
      box = {"ZELWarning", kWarningStyle, ZELPlmCommands::ErrorLines(codes, texts)};
      proceed = false;
    } else if (FAILED(reply.GetMessagesNLS(codes, texts))) {
      box = ErrorBox(Message("MsgFailed"));
      proceed = false;
    } else {
      CATUnicodeString collected;
      for (int i = 1; i <= codes.Size() && i <= texts.Size(); ++i) {
        if (codes[i] <= 89999 || codes[i] > 99999) continue;
        if (i > 1) collected += "\n";
        CATUnicodeString code;
        code.BuildFromNum(codes[i]);
        collected += texts[i] + " [" + code + "]";
      }
      if (!collected.IsNull()) {
        CATUnicodeString params[] = {collected};
        const CATUnicodeString question =
            Message("ContinueYesNo", params, 1, collected + "\n do you want to continue?");
        CATDlgNotify* ask = new CATDlgNotify(CATApplication::MainApplication(), "ZELWarning", kQuestionStyle);
        const int answer = ask->DisplayBlocked(question, title);
        ask->Release();
        // Only a Yes starts a program: closing the box is no consent either.
        if (answer != kAnswerYes) proceed = false;
      }
    }
  }

  if (proceed) {
    switch (ZELGlobal::GetZELModule()) {
      case ZELModuleAras: {
        const CATUnicodeString id = ReplyValue(reply, "Id");
        if (HasLineBreak(id)) {
          ZEL_DETAIL("line break in the reply's Id");
          box = ErrorBox(Message("MsgFailed"));
        } else {
          OpenAras(ReplyValue(reply, "Type"), id, box);
        }
        break;
      }
      case ZELModuleTeamcenter: {
        const CATUnicodeString id = ReplyValue(reply, "Id");
        if (HasLineBreak(id)) {
          ZEL_DETAIL("line break in the reply's Id");
          box = ErrorBox(Message("MsgFailed"));
        } else {
          OpenTeamcenter(id, box);
        }
        break;
      }
      case ZELModuleCIMDatabase:
        OpenCimDatabase(ReplyValue(reply, "PartNo"), ReplyValue(reply, "TIndex"), box);
        break;
      default:
        break;
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

CATStatusChangeRC ZELOpenInPdmCmd::Desactivate(CATCommand*, CATNotification*) {
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELOpenInPdmCmd::Cancel(CATCommand*, CATNotification*) {
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}
