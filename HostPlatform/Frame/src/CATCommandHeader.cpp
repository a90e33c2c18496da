#include "CATCommandHeader.h"

#include "CATAfrCommandFactory.h"
#include "CATApplicationFrame.h"

CATCommandHeader::CATCommandHeader(const CATString& id, const CATString& library, const CATString& className,
                                   void* argument, const CATString& resource, const CATString& framework,
                                   int state)
    : id_(id),
      library_(library),
      className_(className),
      resource_(resource),
      framework_(framework),
      argument_(argument),
      available_(state == CATFrmUnavailable ? 0 : 1) {}

HRESULT CATCommandHeader::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATCommandHeader, CATIAfrCommandHeader>(this, iid, out);
}

HRESULT CATCommandHeader::StartCommand(CATCommand** oCommand) {
  if (oCommand) *oCommand = nullptr;
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  if (!available_ || !frame) return E_FAIL;
  CATCommand* command = nullptr;
  if (FAILED(CATAfrCommandFactory::CreateCommand(className_, library_, command))) return E_FAIL;
  std::weak_ptr<const int> alive = command->LifeToken();
  HRESULT hr = frame->StartCommand(command);
  if (oCommand && !alive.expired()) *oCommand = command;
  return hr;
}

CATCommandHeader* CreateCmdHdrArgs(const CATString& id, const CATString& library, const CATString& className,
                                   void* argument, const CATString& resource, const CATString& framework,
                                   int state) {
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  if (!frame || id.IsNull()) return nullptr;
  if (CATCommandHeader* existing = frame->FindHeader(id)) return existing;
  CATCommandHeader* header =
      new CATCommandHeader(id, library, className, argument, resource, framework, state);
  frame->AddHeader(header);
  header->Release();
  return frame->FindHeader(id);
}

CATCommandHeader* GetCmdHdr(const CATString& id) {
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  return frame ? frame->FindHeader(id) : nullptr;
}
