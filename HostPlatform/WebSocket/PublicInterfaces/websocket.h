#ifndef websocket_h
#define websocket_h
// The WebSocket Protocol Component: the operations of the operating system's websocket.dll, under their
// names and shapes, as far as a server needs them. The component does no I/O: the caller asks for the next
// action, moves the bytes over its own socket and reports how many it moved.
#include <cstdint>

#include "websocketExport.h"

typedef std::int32_t HRESULT;
typedef std::uint32_t ULONG;
typedef std::uint16_t USHORT;
typedef std::uint8_t BYTE;
typedef BYTE* PBYTE;
typedef char* PCHAR;
typedef const char* PCSTR;
typedef void* PVOID;

#ifndef S_OK
#define S_OK ((HRESULT)0)
#endif
#ifndef E_FAIL
#define E_FAIL ((HRESULT)0x80004005)
#endif
#ifndef E_INVALIDARG
#define E_INVALIDARG ((HRESULT)0x80070057)
#endif
#ifndef E_OUTOFMEMORY
#define E_OUTOFMEMORY ((HRESULT)0x8007000E)
#endif
#ifndef E_NOT_VALID_STATE
#define E_NOT_VALID_STATE ((HRESULT)0x8007139F)
#endif
#ifndef SUCCEEDED
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#endif
// The peer broke the protocol (bad frame, masking, reserved bits, opcode, UTF-8, close status).
#define WEB_SOCKET_E_PROTOCOL ((HRESULT)0x8007000D)
// A message or frame larger than the component accepts.
#define WEB_SOCKET_E_MESSAGE_TOO_BIG ((HRESULT)0x800710F0)
// The network side ended (a receive completed with no bytes).
#define WEB_SOCKET_E_DISCONNECTED ((HRESULT)0x800704CA)
// The upgrade request is not a valid WebSocket handshake.
#define WEB_SOCKET_E_HANDSHAKE ((HRESULT)0x80072F8F)

typedef struct WEB_SOCKET_HANDLE__* WEB_SOCKET_HANDLE;

typedef enum _WEB_SOCKET_PROPERTY_TYPE {
  WEB_SOCKET_RECEIVE_BUFFER_SIZE_PROPERTY_TYPE = 0,
  WEB_SOCKET_SEND_BUFFER_SIZE_PROPERTY_TYPE = 1,
  WEB_SOCKET_DISABLE_MASKING_PROPERTY_TYPE = 2,
  WEB_SOCKET_ALLOCATED_BUFFER_PROPERTY_TYPE = 3,
  WEB_SOCKET_DISABLE_UTF8_VERIFICATION_PROPERTY_TYPE = 4,
  WEB_SOCKET_KEEPALIVE_INTERVAL_PROPERTY_TYPE = 5,
  WEB_SOCKET_SUPPORTED_VERSIONS_PROPERTY_TYPE = 6
} WEB_SOCKET_PROPERTY_TYPE;

typedef struct _WEB_SOCKET_PROPERTY {
  WEB_SOCKET_PROPERTY_TYPE Type;
  PVOID pvValue;
  ULONG ulValueSize;
} WEB_SOCKET_PROPERTY, *PWEB_SOCKET_PROPERTY;

typedef struct _WEB_SOCKET_HTTP_HEADER {
  PCHAR pcName;
  ULONG ulNameLength;
  PCHAR pcValue;
  ULONG ulValueLength;
} WEB_SOCKET_HTTP_HEADER, *PWEB_SOCKET_HTTP_HEADER;

typedef union _WEB_SOCKET_BUFFER {
  struct {
    PBYTE pbBuffer;
    ULONG ulBufferLength;
  } Data;
  struct {
    PBYTE pbReason;
    ULONG ulReasonLength;
    USHORT usStatus;
  } CloseStatus;
} WEB_SOCKET_BUFFER, *PWEB_SOCKET_BUFFER;

typedef enum _WEB_SOCKET_BUFFER_TYPE {
  WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE = (int)0x80000000,
  WEB_SOCKET_UTF8_FRAGMENT_BUFFER_TYPE = (int)0x80000001,
  WEB_SOCKET_BINARY_MESSAGE_BUFFER_TYPE = (int)0x80000002,
  WEB_SOCKET_BINARY_FRAGMENT_BUFFER_TYPE = (int)0x80000003,
  WEB_SOCKET_CLOSE_BUFFER_TYPE = (int)0x80000004,
  WEB_SOCKET_PING_PONG_BUFFER_TYPE = (int)0x80000005,
  WEB_SOCKET_UNSOLICITED_PONG_BUFFER_TYPE = (int)0x80000006
} WEB_SOCKET_BUFFER_TYPE;

typedef enum _WEB_SOCKET_ACTION {
  WEB_SOCKET_NO_ACTION = 0,
  WEB_SOCKET_SEND_TO_NETWORK_ACTION = 1,
  WEB_SOCKET_INDICATE_SEND_COMPLETE_ACTION = 2,
  WEB_SOCKET_RECEIVE_FROM_NETWORK_ACTION = 3,
  WEB_SOCKET_INDICATE_RECEIVE_COMPLETE_ACTION = 4
} WEB_SOCKET_ACTION;

typedef enum _WEB_SOCKET_ACTION_QUEUE {
  WEB_SOCKET_SEND_ACTION_QUEUE = 0x1,
  WEB_SOCKET_RECEIVE_ACTION_QUEUE = 0x2,
  WEB_SOCKET_ALL_ACTION_QUEUE = 0x3
} WEB_SOCKET_ACTION_QUEUE;

// Close statuses of the protocol the component itself uses.
#define WEB_SOCKET_SUCCESS_CLOSE_STATUS ((USHORT)1000)
#define WEB_SOCKET_EMPTY_CLOSE_STATUS ((USHORT)1005)

extern "C" {

// A new server-side handle; no properties are supported (count 0).
ExportedBywebsocket HRESULT WebSocketCreateServerHandle(const PWEB_SOCKET_PROPERTY pProperties,
                                                        ULONG ulPropertyCount,
                                                        WEB_SOCKET_HANDLE* phWebSocket);

// Validates the client's upgrade request headers (names compared case-insensitively) and yields the
// response headers to send, valid until the handle is deleted. No subprotocol and no extensions.
ExportedBywebsocket HRESULT WebSocketBeginServerHandshake(
    WEB_SOCKET_HANDLE hWebSocket, PCSTR pszSubprotocolSelected, PCSTR* pszExtensionSelected,
    ULONG ulExtensionSelectedCount, const PWEB_SOCKET_HTTP_HEADER pRequestHeaders, ULONG ulRequestHeaderCount,
    PWEB_SOCKET_HTTP_HEADER* pResponseHeaders, ULONG* pulResponseHeaderCount);

// After the response was sent: the connection is open for messages.
ExportedBywebsocket HRESULT WebSocketEndServerHandshake(WEB_SOCKET_HANDLE hWebSocket);

// Queues the sending of a UTF-8 message, a binary message or a close frame (status and reason).
ExportedBywebsocket HRESULT WebSocketSend(WEB_SOCKET_HANDLE hWebSocket, WEB_SOCKET_BUFFER_TYPE BufferType,
                                          WEB_SOCKET_BUFFER* pBuffer, PVOID Context);

// Queues a receive; the component supplies the buffers (pBuffer must be null).
ExportedBywebsocket HRESULT WebSocketReceive(WEB_SOCKET_HANDLE hWebSocket, WEB_SOCKET_BUFFER* pBuffer,
                                             PVOID pvContext);

// The next action of a queue. *pulDataBufferCount holds the room in pDataBuffers on entry and the buffers
// filled on return. A protocol violation by the peer or a network end is a failed result.
ExportedBywebsocket HRESULT WebSocketGetAction(WEB_SOCKET_HANDLE hWebSocket,
                                               WEB_SOCKET_ACTION_QUEUE eActionQueue,
                                               WEB_SOCKET_BUFFER* pDataBuffers, ULONG* pulDataBufferCount,
                                               WEB_SOCKET_ACTION* pAction,
                                               WEB_SOCKET_BUFFER_TYPE* pBufferType,
                                               PVOID* pvApplicationContext, PVOID* pvActionContext);

// Reports what the caller did for an action: bytes sent or received (0 received: the network ended).
ExportedBywebsocket void WebSocketCompleteAction(WEB_SOCKET_HANDLE hWebSocket, PVOID pvActionContext,
                                                 ULONG ulBytesTransferred);

// Every later operation on the handle fails.
ExportedBywebsocket void WebSocketAbortHandle(WEB_SOCKET_HANDLE hWebSocket);
ExportedBywebsocket void WebSocketDeleteHandle(WEB_SOCKET_HANDLE hWebSocket);
}

#endif
