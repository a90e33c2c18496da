#ifndef CATInstantiateComponent_h
#define CATInstantiateComponent_h
// Components created by class name. A class not yet known is looked up in the dictionary files
// (lines "<Class> <Interface> <library>"), whose library is loaded so that it registers its classes.
#include <string>
#include <vector>

#include "CATBaseUnknown.h"

CATDeclareIID(CATICreateInstance);

// Creates a new object of an implementation class.
class ExportedByCATSysTS CATICreateInstance : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATICreateInstance);
  // *out: the new object as a CATBaseUnknown*, with one reference for the caller.
  virtual HRESULT CreateInstance(void** out) = 0;
};
CATDeclareHandler(CATICreateInstance);

typedef CATBaseUnknown* (*CATComponentCreator)();

// Registers a creator under a class name (normally from a library's static initialiser).
ExportedByCATSysTS void CATRegisterComponent(const char* className, CATComponentCreator creator);
// Whether a class is registered in this process, without loading anything.
ExportedByCATSysTS bool CATIsComponentRegistered(const char* className);

// Creates the named component and queries it for iid. E_FAIL when the class is unknown or its library
// cannot be loaded, E_NOINTERFACE when the object lacks the interface.
ExportedByCATSysTS HRESULT CATInstantiateComponent(const char* className, const IID& iid, void** out);

// Loads a library of the runtime tree by its short name ("ZELBackboneMessage" or "libZELBackboneMessage").
ExportedByCATSysTS HRESULT CATLoadLibrary(const char* libraryName);

// Runtime tree: the directory holding the platform's shared libraries, and the dictionary directories
// ("CATDictionaryPath", colon-separated, else <lib>/../dictionary).
ExportedByCATSysTS std::string CATGetRuntimeLibraryDirectory();
ExportedByCATSysTS std::vector<std::string> CATGetDictionaryDirectories();
// The components that dictionary lines declare for an interface name, each once, in dictionary order.
ExportedByCATSysTS std::vector<std::string> CATListComponentsOfInterface(const char* interfaceName);

// Registers Class (default-constructible, deriving from CATBaseUnknown) under its own name.
#define CATImplementComponent(Class)                                                 \
  namespace {                                                                        \
  struct Class##_Registrar {                                                         \
    Class##_Registrar() {                                                            \
      CATRegisterComponent(#Class, []() -> CATBaseUnknown* { return new Class(); }); \
    }                                                                                \
  } Class##_registrar_instance;                                                      \
  }

// Registers Class as made by its factory extension Factory, a default-constructible CATICreateInstance.
#define CATImplementFactory(Class, Factory)                                    \
  namespace {                                                                  \
  struct Class##_FactoryRegistrar {                                            \
    Class##_FactoryRegistrar() {                                               \
      CATRegisterComponent(#Class, []() -> CATBaseUnknown* {                   \
        Factory* factory = new Factory();                                      \
        void* object = nullptr;                                                \
        HRESULT rc = factory->CreateInstance(&object);                         \
        factory->Release();                                                    \
        return SUCCEEDED(rc) ? static_cast<CATBaseUnknown*>(object) : nullptr; \
      });                                                                      \
    }                                                                          \
  } Class##_factory_registrar_instance;                                        \
  }

#endif
