#ifndef CATLib_h
#define CATLib_h
// Process environment, process id and temporary directory.
#include <cstddef>

#include "CATDataType.h"

enum CATLibStatus { CATLibSuccess = 0, CATLibError = 1 };
#define CATMaxPathSize 4096

// The variable's value, or null when unset. The pointer belongs to the environment.
ExportedByCATSysTS const char* CATGetEnv(const char* name);
// A malloc'd copy of the value (caller frees); CATLibError and null when unset.
ExportedByCATSysTS CATLibStatus CATGetEnvValue(const char* name, char** value);
// Sets or, with a null value, removes a variable.
ExportedByCATSysTS CATLibStatus CATSetEnv(const char* name, const char* value);
ExportedByCATSysTS unsigned int CATGetProcessId();
// Writes the temporary directory (TMPDIR, else /tmp) without a trailing slash into path.
ExportedByCATSysTS CATLibStatus CATGetTempDirectory(char* path, size_t size = CATMaxPathSize);

#endif
