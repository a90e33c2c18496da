// The component's operations under their system names: argument checks, then the connection's own steps.
#include <new>

#include "WebSocketConnection.h"
#include "websocket.h"

struct WEB_SOCKET_HANDLE__ {
  WebSocketConnection connection;
};

namespace {
WebSocketConnection* Connection(WEB_SOCKET_HANDLE handle) {
  return handle ? &handle->connection : nullptr;
}
}  // namespace

extern "C" {

HRESULT WebSocketCreateServerHandle(const PWEB_SOCKET_PROPERTY pProperties, ULONG ulPropertyCount,
                                    WEB_SOCKET_HANDLE* phWebSocket) {
  if (!phWebSocket) return E_INVALIDARG;
  *phWebSocket = nullptr;
  if (ulPropertyCount != 0 || pProperties) return E_INVALIDARG;
  auto* handle = new (std::nothrow) WEB_SOCKET_HANDLE__;
  if (!handle) return E_OUTOFMEMORY;
  if (!handle->connection.Initialized()) {
    delete handle;
    return E_OUTOFMEMORY;
  }
  *phWebSocket = handle;
  return S_OK;
}

HRESULT WebSocketBeginServerHandshake(WEB_SOCKET_HANDLE hWebSocket, PCSTR pszSubprotocolSelected,
                                      PCSTR* pszExtensionSelected, ULONG ulExtensionSelectedCount,
                                      const PWEB_SOCKET_HTTP_HEADER pRequestHeaders,
                                      ULONG ulRequestHeaderCount, PWEB_SOCKET_HTTP_HEADER* pResponseHeaders,
                                      ULONG* pulResponseHeaderCount) {
  WebSocketConnection* connection = Connection(hWebSocket);
  if (!connection) return E_INVALIDARG;
  // Neither subprotocols nor extensions are offered.
  if (pszSubprotocolSelected || pszExtensionSelected || ulExtensionSelectedCount) return E_INVALIDARG;
  try {
    return connection->BeginServerHandshake(pRequestHeaders, ulRequestHeaderCount, pResponseHeaders,
                                            pulResponseHeaderCount);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT WebSocketEndServerHandshake(WEB_SOCKET_HANDLE hWebSocket) {
  WebSocketConnection* connection = Connection(hWebSocket);
  return connection ? connection->EndServerHandshake() : E_INVALIDARG;
}

HRESULT WebSocketSend(WEB_SOCKET_HANDLE hWebSocket, WEB_SOCKET_BUFFER_TYPE BufferType,
                      WEB_SOCKET_BUFFER* pBuffer, PVOID Context) {
  WebSocketConnection* connection = Connection(hWebSocket);
  if (!connection) return E_INVALIDARG;
  try {
    return connection->Send(BufferType, pBuffer, Context);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT WebSocketReceive(WEB_SOCKET_HANDLE hWebSocket, WEB_SOCKET_BUFFER* pBuffer, PVOID pvContext) {
  WebSocketConnection* connection = Connection(hWebSocket);
  // The component supplies the receive buffers itself.
  if (!connection || pBuffer) return E_INVALIDARG;
  try {
    return connection->Receive(pvContext);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT WebSocketGetAction(WEB_SOCKET_HANDLE hWebSocket, WEB_SOCKET_ACTION_QUEUE eActionQueue,
                           WEB_SOCKET_BUFFER* pDataBuffers, ULONG* pulDataBufferCount,
                           WEB_SOCKET_ACTION* pAction, WEB_SOCKET_BUFFER_TYPE* pBufferType,
                           PVOID* pvApplicationContext, PVOID* pvActionContext) {
  WebSocketConnection* connection = Connection(hWebSocket);
  if (!connection) return E_INVALIDARG;
  try {
    return connection->GetAction(eActionQueue, pDataBuffers, pulDataBufferCount, pAction, pBufferType,
                                 pvApplicationContext, pvActionContext);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

void WebSocketCompleteAction(WEB_SOCKET_HANDLE hWebSocket, PVOID pvActionContext, ULONG ulBytesTransferred) {
  if (WebSocketConnection* connection = Connection(hWebSocket))
    connection->CompleteAction(pvActionContext, ulBytesTransferred);
}

void WebSocketAbortHandle(WEB_SOCKET_HANDLE hWebSocket) {
  if (WebSocketConnection* connection = Connection(hWebSocket)) connection->Abort();
}

void WebSocketDeleteHandle(WEB_SOCKET_HANDLE hWebSocket) {
  delete hWebSocket;
}
}
