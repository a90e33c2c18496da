#ifndef ZELCommandsExport_h
#define ZELCommandsExport_h
#define ExportedByZELCommands __attribute__((visibility("default")))
// Tests reach private statics through this class; the product never defines it.
class ZELTestAccess;
#endif
