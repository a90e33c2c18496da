#ifndef CATDialogDefs_h
#define CATDialogDefs_h
#include "CATDataType.h"
#define ExportedByCATDialog __attribute__((visibility("default")))
typedef unsigned long CATDlgStyle;
#endif
