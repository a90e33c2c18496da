#include "CATInstantiateComponent.h"
#include "CATSearchPath.h"

#include <dirent.h>
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>

#include "CATLib.h"

namespace {

class ComponentRegistry {
 public:
  void Register(const std::string& name, CATComponentCreator creator) {
    std::lock_guard<std::mutex> lock(mutex_);
    // A library reached twice under two paths registers again; the first creator stays authoritative.
    creators_.emplace(name, creator);
  }
  CATComponentCreator Find(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = creators_.find(name);
    return it == creators_.end() ? nullptr : it->second;
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::string, CATComponentCreator> creators_;
};

// Never destroyed: libraries may register or instantiate from their own static initialisers and finalisers.
ComponentRegistry& Registry() {
  static ComponentRegistry* registry = new ComponentRegistry;
  return *registry;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Every well-formed dictionary line ("<Class> <Interface> <library>"), in directory order, then file name
// order, then line order; comments and malformed lines are skipped.
template <class Visit>
void ForEachDictionaryLine(Visit visit) {
  for (const std::string& dir : CATGetDictionaryDirectories()) {
    DIR* handle = opendir(dir.c_str());
    if (!handle) continue;
    std::vector<std::string> files;
    while (dirent* entry = readdir(handle)) {
      std::string name = entry->d_name;
      if (EndsWith(name, ".dico") && name.size() > 5) files.push_back(dir + "/" + name);
    }
    closedir(handle);
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
      std::ifstream in(file);
      std::string line;
      while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<std::string> tokens;
        std::string token;
        while (fields >> token && token[0] != '#') tokens.push_back(token);
        if (tokens.size() == 3) visit(tokens[0], tokens[1], tokens[2]);
      }
    }
  }
}

void AppendOnce(std::vector<std::string>& list, const std::string& value) {
  if (std::find(list.begin(), list.end(), value) == list.end()) list.push_back(value);
}

// Libraries named by every dictionary line of className.
std::vector<std::string> LibrariesFromDictionaries(const std::string& className) {
  std::vector<std::string> libraries;
  ForEachDictionaryLine([&](const std::string& component, const std::string&, const std::string& library) {
    if (component == className) AppendOnce(libraries, library);
  });
  return libraries;
}

}  // namespace

void CATRegisterComponent(const char* className, CATComponentCreator creator) {
  if (!className || !*className || !creator) return;
  Registry().Register(className, creator);
}

bool CATIsComponentRegistered(const char* className) {
  return className && *className && Registry().Find(className) != nullptr;
}

std::string CATGetRuntimeLibraryDirectory() {
  static const std::string directory = []() -> std::string {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&CATGetRuntimeLibraryDirectory), &info) || !info.dli_fname)
      return std::string();
    std::string path = info.dli_fname;
    if (path.empty() || path[0] != '/') {
      char resolved[PATH_MAX];
      if (!realpath(path.c_str(), resolved)) return std::string();
      path = resolved;
    }
    return path.substr(0, path.rfind('/'));
  }();
  return directory;
}

std::vector<std::string> CATListComponentsOfInterface(const char* interfaceName) {
  std::vector<std::string> components;
  if (!interfaceName || !*interfaceName) return components;
  ForEachDictionaryLine([&](const std::string& component, const std::string& itf, const std::string&) {
    if (itf == interfaceName) AppendOnce(components, component);
  });
  return components;
}

std::vector<std::string> CATGetDictionaryDirectories() {
  std::vector<std::string> dirs = CATSplitSearchPath(CATGetEnv("CATDictionaryPath"));
  if (dirs.empty()) {
    std::string lib = CATGetRuntimeLibraryDirectory();
    if (!lib.empty()) dirs.push_back(lib + "/../dictionary");
  }
  return dirs;
}

HRESULT CATLoadLibrary(const char* libraryName) {
  if (!libraryName || !*libraryName) return E_FAIL;
  std::string base = libraryName;
  // Short names only: a dictionary must not be able to load an arbitrary file.
  if (base.find('/') != std::string::npos) {
    std::cerr << "CATLoadLibrary: refusing library name with a path: " << base << std::endl;
    return E_FAIL;
  }
  if (EndsWith(base, ".so")) base.resize(base.size() - 3);
  if (base.compare(0, 3, "lib") != 0) base = "lib" + base;
  const std::string file = base + ".so";

  std::vector<std::string> candidates;
  std::string dir = CATGetRuntimeLibraryDirectory();
  if (!dir.empty()) candidates.push_back(dir + "/" + file);
  candidates.push_back(file);
  std::string errors;
  for (const std::string& candidate : candidates) {
    if (dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return S_OK;
    const char* error = dlerror();
    if (error) errors += std::string("\n  ") + error;
  }
  std::cerr << "CATLoadLibrary: cannot load " << libraryName << ":" << errors << std::endl;
  return E_FAIL;
}

HRESULT CATInstantiateComponent(const char* className, const IID& iid, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (!className || !*className) return E_FAIL;

  CATComponentCreator creator = Registry().Find(className);
  if (!creator) {
    for (const std::string& library : LibrariesFromDictionaries(className)) {
      if (FAILED(CATLoadLibrary(library.c_str()))) continue;
      creator = Registry().Find(className);
      if (creator) break;
      std::cerr << "CATInstantiateComponent: library " << library << " does not provide " << className
                << std::endl;
    }
    if (!creator) return E_FAIL;
  }

  CATBaseUnknown* object = nullptr;
  try {
    object = creator();
  } catch (...) {
    object = nullptr;
  }
  if (!object) return E_FAIL;
  HRESULT rc = object->QueryInterface(iid, out);
  // The creation reference is dropped either way: on success the caller holds the interface's reference.
  object->Release();
  if (FAILED(rc) || !*out) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  return S_OK;
}
