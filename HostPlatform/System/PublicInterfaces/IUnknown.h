#ifndef IUnknown_h
#define IUnknown_h
// Interface identifiers. An identifier is derived from the interface name, so every library computes the
// same value without a shared registry.
#include <cstdint>

#include "CATDataType.h"

struct IID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
  constexpr bool operator==(const IID& o) const {
    if (Data1 != o.Data1 || Data2 != o.Data2 || Data3 != o.Data3) return false;
    for (int i = 0; i < 8; ++i)
      if (Data4[i] != o.Data4[i]) return false;
    return true;
  }
};
typedef IID CLSID;
typedef IID CATUuid;

constexpr IID CATMakeIID(const char* name) {
  uint64_t h1 = 1469598103934665603ull, h2 = 1099511628211ull * 31;
  for (const char* p = name; *p; ++p) {
    h1 = (h1 ^ static_cast<unsigned char>(*p)) * 1099511628211ull;
    h2 = (h2 ^ static_cast<unsigned char>(*p)) * 6364136223846793005ull + 1442695040888963407ull;
  }
  IID id{static_cast<uint32_t>(h1 >> 32), static_cast<uint16_t>(h1 >> 16), static_cast<uint16_t>(h1), {}};
  for (int i = 0; i < 8; ++i) id.Data4[i] = static_cast<uint8_t>(h2 >> (8 * i));
  return id;
}

// Declares IID_<Name> and makes <Name>::ClassId() return it.
#define CATDeclareIID(Name) inline constexpr IID IID_##Name = CATMakeIID(#Name)
// Declares IID_<Name> with a fixed identifier, for interfaces whose identifier is published.
#define CATDeclareIIDValue(Name, d1, d2, d3, b0, b1, b2, b3, b4, b5, b6, b7) \
  inline constexpr IID IID_##Name = {d1, d2, d3, {b0, b1, b2, b3, b4, b5, b6, b7}}
#define CATDeclareInterfaceId(Name) \
  static const IID& ClassId() {     \
    return IID_##Name;              \
  }

#endif
