#ifndef ZELBackboneUtil_h
#define ZELBackboneUtil_h
// The in-process companion of the session's receiver: tells whether one exists, checks it over the bus and
// sends it requests from inside the session.
#include "CATICommunicator.h"
#include "ZELIBackboneUtil.h"

class ExportedByZELBackbone ZELBackboneUtil : public ZELIBackboneUtil {
 public:
  ZELBackboneUtil() = default;
  ZELBackboneUtil(const ZELBackboneUtil&) = delete;
  ZELBackboneUtil& operator=(const ZELBackboneUtil&) = delete;

  HRESULT QueryInterface(const IID& iid, void** out) override;
  int IsReceiverMissing() override;
  int CheckReceiver() override;
  int SendToReceiver(unsigned char iAnswerWanted, const char* iCommand, const char* iInfo,
                     char** oAnswer) override;

 protected:
  ~ZELBackboneUtil() override;

 private:
  void ReleaseCommunicator();

  CATICommunicator* _communicator = nullptr;
};

#endif
