#ifndef CATAfrFoundationExport_h
#define CATAfrFoundationExport_h
// Export marker of the application frame library.
#define ExportedByCATAfrFoundation __attribute__((visibility("default")))
#endif
