#include "CATAfrCommandFactory.h"

#include <dlfcn.h>

#include <string>
#include <vector>

#include "CATInstantiateComponent.h"

namespace {

bool IsIdentifier(const std::string& name) {
  if (name.empty() || name.size() > 200 || (name[0] >= '0' && name[0] <= '9')) return false;
  for (char c : name)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
      return false;
  return true;
}

// The symbol in a library CATLoadLibrary has loaded: the same file names, asked without loading again.
void* FindInLibrary(const std::string& library, const std::string& symbol) {
  std::string base = library;
  if (base.size() > 3 && base.compare(base.size() - 3, 3, ".so") == 0) base.resize(base.size() - 3);
  if (base.compare(0, 3, "lib") != 0) base = "lib" + base;
  std::vector<std::string> candidates;
  std::string directory = CATGetRuntimeLibraryDirectory();
  if (!directory.empty()) candidates.push_back(directory + "/" + base + ".so");
  candidates.push_back(base + ".so");
  for (const std::string& candidate : candidates) {
    void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) continue;
    void* address = dlsym(handle, symbol.c_str());
    // The library stays loaded: CATLoadLibrary keeps its own handle for the life of the process.
    dlclose(handle);
    if (address) return address;
  }
  return nullptr;
}

}  // namespace

HRESULT CATAfrCommandFactory::FindCreator(const CATString& className, const CATString& library,
                                          CATAfrCommandCreator& oCreator) {
  oCreator = nullptr;
  if (!IsIdentifier(className.str())) return E_INVALIDARG;
  const std::string symbol = "fctCreate" + className.str();
  void* address = nullptr;
  if (library.IsNull()) {
    address = dlsym(RTLD_DEFAULT, symbol.c_str());
  } else {
    if (FAILED(CATLoadLibrary(library))) return E_FAIL;
    address = FindInLibrary(library.str(), symbol);
  }
  if (!address) return E_FAIL;
  oCreator = reinterpret_cast<CATAfrCommandCreator>(address);
  return S_OK;
}

HRESULT CATAfrCommandFactory::CreateCommand(const CATString& className, const CATString& library,
                                            CATCommand*& oCommand) {
  oCommand = nullptr;
  CATAfrCommandCreator creator = nullptr;
  HRESULT hr = FindCreator(className, library, creator);
  if (FAILED(hr)) return hr;
  try {
    oCommand = creator();
  } catch (...) {
    oCommand = nullptr;
  }
  return oCommand ? S_OK : E_FAIL;
}
