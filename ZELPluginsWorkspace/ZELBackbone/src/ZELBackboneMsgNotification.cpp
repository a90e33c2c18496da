#include "ZELBackboneMsgNotification.h"

#include <cstdlib>
#include <cstring>

#include "ZELDebug.h"

namespace {

char* CopyInto(const char* text, char* buffer, int size) {
  if (!buffer || size <= 0) return buffer;
  const size_t length = text ? strlen(text) : 0;
  const size_t kept = length < static_cast<size_t>(size) ? length : static_cast<size_t>(size) - 1;
  if (kept) memcpy(buffer, text, kept);
  buffer[kept] = '\0';
  return buffer;
}

}  // namespace

ZELBackboneMsgNotification::ZELBackboneMsgNotification(const char* iCommand, CATICommMsg* iMessage,
                                                       const char* iAdditionalInfo)
    : CATNotification("ZELBackboneMsgNotification"),
      _message(iMessage),
      _command(CopyText(iCommand)),
      _additionalInfo(CopyText(iAdditionalInfo)) {}

ZELBackboneMsgNotification::~ZELBackboneMsgNotification() {
  free(_command);
  free(_additionalInfo);
}

char* ZELBackboneMsgNotification::CopyText(const char* iText) {
  if (!iText || !*iText) return nullptr;
  const size_t size = strlen(iText) + 1;
  char* copy = static_cast<char*>(calloc(size, 1));
  if (copy) memcpy(copy, iText, size - 1);
  return copy;
}

int ZELBackboneMsgNotification::GetCommandLength() const {
  ZEL_DEBUG_SCOPE("ZELBackboneMsgNotification::GetCommandLength");
  return _command ? static_cast<int>(strlen(_command)) + 1 : 1;
}

char* ZELBackboneMsgNotification::GetCommand(char* oBuffer, int iSize) const {
  ZEL_DEBUG_SCOPE("ZELBackboneMsgNotification::GetCommand");
  return CopyInto(_command, oBuffer, iSize);
}

int ZELBackboneMsgNotification::GetAdditionalInfoLength() const {
  ZEL_DEBUG_SCOPE("ZELBackboneMsgNotification::GetAdditionalInfoLength");
  return _additionalInfo ? static_cast<int>(strlen(_additionalInfo)) + 1 : 0;
}

char* ZELBackboneMsgNotification::GetAdditionalInfo(char* oBuffer, int iSize) const {
  ZEL_DEBUG_SCOPE("ZELBackboneMsgNotification::GetAdditionalInfo");
  if (!_additionalInfo) return nullptr;
  return CopyInto(_additionalInfo, oBuffer, iSize);
}
