#ifndef ZELProcessRecord_h
#define ZELProcessRecord_h
// One PDM-side process of the user as the gateway describes it, every value exactly as sent (start and end
// are shown, never parsed).
#include <memory>
#include <vector>

#include "CATUnicodeString.h"

class ZELProcessRecord {
 public:
  ZELProcessRecord(const CATUnicodeString& iActivity, const CATUnicodeString& iStatus,
                   const CATUnicodeString& iDescription, const CATUnicodeString& iStart,
                   const CATUnicodeString& iEnd, const CATUnicodeString& iUser,
                   const CATUnicodeString& iErrorMessage)
      : _activity(iActivity),
        _status(iStatus),
        _description(iDescription),
        _start(iStart),
        _end(iEnd),
        _user(iUser),
        _errorMessage(iErrorMessage) {}

  const CATUnicodeString& GetActivity() const { return _activity; }
  const CATUnicodeString& GetStatus() const { return _status; }
  const CATUnicodeString& GetDescription() const { return _description; }
  const CATUnicodeString& GetStart() const { return _start; }
  const CATUnicodeString& GetEnd() const { return _end; }
  const CATUnicodeString& GetUser() const { return _user; }
  const CATUnicodeString& GetErrorMessage() const { return _errorMessage; }

 private:
  CATUnicodeString _activity;
  CATUnicodeString _status;
  CATUnicodeString _description;
  CATUnicodeString _start;
  CATUnicodeString _end;
  CATUnicodeString _user;
  CATUnicodeString _errorMessage;
};

// The processes of one reply, in the order sent; the list owns them.
typedef std::vector<std::unique_ptr<ZELProcessRecord>> ZELProcessList;

#endif
