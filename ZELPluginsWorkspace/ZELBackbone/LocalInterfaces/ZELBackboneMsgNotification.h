#ifndef ZELBackboneMsgNotification_h
#define ZELBackboneMsgNotification_h
// What the handler publishes for each received message: the message itself (borrowed for the dispatch) and
// copies of its two texts, each null when empty.
#include "CATICommMsg.h"
#include "CATNotification.h"
#include "ZELBackboneExport.h"

class ExportedByZELBackbone ZELBackboneMsgNotification : public CATNotification {
 public:
  ZELBackboneMsgNotification(const char* iCommand, CATICommMsg* iMessage, const char* iAdditionalInfo);
  ZELBackboneMsgNotification(const ZELBackboneMsgNotification&) = delete;
  ZELBackboneMsgNotification& operator=(const ZELBackboneMsgNotification&) = delete;

  CATICommMsg* GetMessage() const { return _message; }
  // Length of the command text plus one (1 when there is none).
  int GetCommandLength() const;
  // Copies the command text, cut to fit and zero-terminated, into a buffer of iSize bytes; returns oBuffer.
  char* GetCommand(char* oBuffer, int iSize) const;
  // Length of the additional-info text plus one, 0 when there is none.
  int GetAdditionalInfoLength() const;
  // As GetCommand; null (and the buffer untouched) when there is no additional-info text.
  char* GetAdditionalInfo(char* oBuffer, int iSize) const;

 protected:
  ~ZELBackboneMsgNotification() override;

 private:
  static char* CopyText(const char* iText);

  CATICommMsg* _message;
  char* _command;
  char* _additionalInfo;
};

#endif
