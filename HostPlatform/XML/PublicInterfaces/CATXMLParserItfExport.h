#ifndef CATXMLParserItfExport_h
#define CATXMLParserItfExport_h
// Export marker of the XML stand-in library (DOM, SAX2 input sources, XPath over pugixml).
#define ExportedByCATXMLParserItf __attribute__((visibility("default")))
#endif
