#ifndef CATIBBStreamer_h
#define CATIBBStreamer_h
// Writes and reads the body of a backbone message as a sequence of items. Items come back in the order they
// were put; a string item reports the size to allocate for it, terminating zero included, and 0 for a null
// or empty string. The streamer owns the buffer it builds until FreeStreamedBuffer or its object goes.
#include <cstdint>

#include "CATBackboneExport.h"
#include "CATBaseUnknown.h"

CATDeclareIID(CATIBBStreamer);

class ExportedByCATBackbone CATIBBStreamer : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIBBStreamer);
  // Starts a new body, dropping any earlier one.
  virtual HRESULT BeginStream() = 0;
  // Appends a string item; a null text is streamed as an empty item.
  virtual HRESULT StreamString(const char* iText) = 0;
  // Ends the body: *oBuffer (owned by the streamer) and *oLength describe it.
  virtual HRESULT EndStream(void** oBuffer, uint32_t* oLength) = 0;

  // Starts reading a body; E_FAIL when the items do not fill the buffer exactly (the buffer is not kept).
  virtual HRESULT BeginUnstream(const void* iBuffer, uint32_t iLength) = 0;
  // Size to allocate for the next string item (terminating zero included), 0 for an empty one or when no
  // item is left.
  virtual uint32_t GetStringLength() = 0;
  // Copies the next string item into a block of iSize bytes, zero-terminated and cut to fit, and moves on.
  // E_FAIL when no item is left.
  virtual HRESULT UnstreamString(char* oText, uint32_t iSize) = 0;
  virtual HRESULT EndUnstream() = 0;

  // Frees the buffer the streamer built.
  virtual HRESULT FreeStreamedBuffer() = 0;
};
CATDeclareHandler(CATIBBStreamer);

#endif
