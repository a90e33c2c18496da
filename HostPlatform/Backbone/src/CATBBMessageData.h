#ifndef CATBBMessageData_h
#define CATBBMessageData_h
// The bus's state of one message: its CATICommMsg and CATIBBStreamer facets, what it was sent or received
// as, and the item codec the streamer uses.
//
// Item encoding (little-endian): each item is a uint32 "size to allocate" that counts the terminating zero,
// followed by size - 1 bytes of text; a null or empty text is the single size 0. The items of a body follow
// one another with nothing around them, so a body is valid exactly when its items fill it to the last byte.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CATBBMessage.h"
#include "CATIBBStreamer.h"
#include "CATICommMsg.h"

// Appends one item; false when the text is too long for the encoding.
bool CATBBEncodeItem(std::string& body, std::string_view text);
// The items of a body, or false when the body is not a whole sequence of items.
bool CATBBDecodeItems(std::string_view body, std::vector<std::string>* items);

class CATBBCommMsgTie : public CATTie<CATICommMsg> {
 public:
  explicit CATBBCommMsgTie(CATBBMessage* owner) : CATTie<CATICommMsg>(owner), message_(owner) {}
  HRESULT SetMessageClass(const char* iClassName) override;
  const char* GetMessageClass() override;
  HRESULT SetMessageSpecifications(int iSpecifications) override;
  int GetMessageSpecifications() override;
  HRESULT SendAnswer(CATICommMsg* iAnswer) override;
  CATBBMessage* Message() const { return message_; }

 private:
  CATBBMessage* message_;
};

class CATBBStreamerTie : public CATTie<CATIBBStreamer> {
 public:
  explicit CATBBStreamerTie(CATBBMessage* owner) : CATTie<CATIBBStreamer>(owner), message_(owner) {}
  HRESULT BeginStream() override;
  HRESULT StreamString(const char* iText) override;
  HRESULT EndStream(void** oBuffer, uint32_t* oLength) override;
  HRESULT BeginUnstream(const void* iBuffer, uint32_t iLength) override;
  uint32_t GetStringLength() override;
  HRESULT UnstreamString(char* oText, uint32_t iSize) override;
  HRESULT EndUnstream() override;
  HRESULT FreeStreamedBuffer() override;

 private:
  CATBBMessage* message_;
};

class CATBBMessageData {
 public:
  explicit CATBBMessageData(CATBBMessage* owner) : commTie(owner), streamerTie(owner) {}
  ~CATBBMessageData();
  CATBBMessageData(const CATBBMessageData&) = delete;
  CATBBMessageData& operator=(const CATBBMessageData&) = delete;

  // The message behind a CATICommMsg of this library, or null for a foreign implementation.
  static CATBBMessage* FromCommMsg(CATICommMsg* message);

  CATBBCommMsgTie commTie;
  CATBBStreamerTie streamerTie;

  std::string messageClass;
  int specifications = 0;

  // Streamer: the body being built, and the body being read with the position of the next item.
  std::string streamed;
  bool streaming = false;
  std::string unstreamed;
  size_t unstreamPos = 0;
  bool unstreaming = false;

  // A request the bus received: the connection its answer goes back on (owned by the bus, -1 once the bus
  // has closed it), its request id and its journal entry.
  bool received = false;
  bool answerWanted = false;
  bool answered = false;
  int replyFd = -1;
  uint32_t replyRequestId = 0;
  uint64_t journalEntry = 0;

  // A request this process sent: the connection its answer arrives on (owned here) and its id.
  bool sent = false;
  bool sentWantsAnswer = false;
  int answerFd = -1;
  uint32_t sentRequestId = 0;
};

// Validates a message class name (1 to 64 characters of [A-Za-z0-9_]).
bool CATBBIsValidClassName(std::string_view name);
// Validates an application name (1 to 64 characters of [A-Za-z0-9_.-]).
bool CATBBIsValidApplicationName(std::string_view name);

#endif
