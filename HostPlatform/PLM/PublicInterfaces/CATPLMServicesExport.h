#ifndef CATPLMServicesExport_h
#define CATPLMServicesExport_h
// Export marker of the PLM services library (types, components, navigation, query, open, save, knowledge
// attributes over the PLM database).
#define ExportedByCATPLMServices __attribute__((visibility("default")))
#endif
