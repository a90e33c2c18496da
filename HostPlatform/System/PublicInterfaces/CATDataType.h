#ifndef CATDataType_h
#define CATDataType_h
// Result codes and basic types shared by every platform interface (HRESULT convention).
#include <cstdint>

typedef long HRESULT;
typedef unsigned long ULONG;
typedef unsigned char CATBoolean;

// The failure codes are 32-bit patterns; casting through int keeps them negative in a 64-bit long.
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_FAIL ((HRESULT)(int)0x80004005)
#define E_NOINTERFACE ((HRESULT)(int)0x80004002)
#define E_NOTIMPL ((HRESULT)(int)0x80004001)
#define E_OUTOFMEMORY ((HRESULT)(int)0x8007000E)
#define E_INVALIDARG ((HRESULT)(int)0x80070057)
#define E_UNEXPECTED ((HRESULT)(int)0x8000FFFF)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#include "CATSysTSExport.h"

#endif
