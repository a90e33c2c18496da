#ifndef CATAfrCommandFactory_h
#define CATAfrCommandFactory_h
// Commands created by class name: a command library exports, for each command class, the C function
// fctCreate<Class> returning a new command (null when it cannot make one). The client finds it by name in
// the library, loaded by its short name from the runtime tree, and never links the library.
#include <new>

#include "CATAfrFoundationExport.h"
#include "CATCommand.h"

typedef CATCommand* (*CATAfrCommandCreator)();

class ExportedByCATAfrFoundation CATAfrCommandFactory {
 public:
  // The factory of className in library; with an empty library name, in the program and the libraries it
  // was linked with. E_INVALIDARG for a class name that is not an identifier; E_FAIL when the library
  // cannot be loaded or has no such factory.
  static HRESULT FindCreator(const CATString& className, const CATString& library,
                             CATAfrCommandCreator& oCreator);
  // A new command from that factory (owned by the caller until started); E_FAIL when the factory gives none.
  static HRESULT CreateCommand(const CATString& className, const CATString& library, CATCommand*& oCommand);
};

// Defines the exported factory of a command class with a default constructor.
#define CATAfrImplementCommandFactory(Class)                                         \
  extern "C" __attribute__((visibility("default"))) CATCommand* fctCreate##Class() { \
    return new (std::nothrow) Class();                                               \
  }

#endif
