#ifndef CATClientSession_h
#define CATClientSession_h
// The interactive session of the client program: the application with its arguments, the application
// frame, and the PLM database it works on. Without a database named by the caller or by ZEL_PLM_DATABASE,
// the session seeds a private copy of the demo database in a new temporary directory and removes it at the
// end, so a demo never writes into the runtime tree.
#include <string>
#include <vector>

#include "CATApplication.h"
#include "CATApplicationFrame.h"
#include "CATFrmEditor.h"
#include "CATListPtrCATIPLMComponent.h"

class CATClientSession {
 public:
  CATClientSession() = default;
  ~CATClientSession();
  CATClientSession(const CATClientSession&) = delete;
  CATClientSession& operator=(const CATClientSession&) = delete;

  // Creates the application (args after the program name; "3DEXPERIENCE" when there are none) and the
  // frame, and connects the PLM database (plmFile when not empty). False with the reason in error.
  bool Start(const std::vector<std::string>& args, const std::string& plmFile, std::string& error);

  CATApplication* GetApplication() const { return application_; }
  CATApplicationFrame* GetFrame() const { return frame_; }
  // Whether the database is the session's private copy of the demo.
  bool UsesPrivateDemo() const { return !privateDirectory_.empty(); }

  // The stored objects of the type (or a subtype) with that external id and, when given, major revision,
  // opened into the session, in database order; each with one reference for the caller. False with the
  // reason when the type is unknown or the query or an open fails.
  bool Find(const std::string& type, const std::string& externalId, const std::string& revision,
            CATListPtrCATIPLMComponent& found, std::string& error);

  // The editor a selection is made in: the search's in the search workbenches, else the current window's.
  CATFrmEditor* SelectionEditor() const;

 private:
  CATApplication* application_ = nullptr;
  CATApplicationFrame* frame_ = nullptr;
  std::string privateDirectory_;
};

#endif
