// The HTTP client stand-in on its own: handle rules, argument checks, error texts, a body read in bounded
// pieces, and handles closed in the middle of a transfer.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "TestHttpServer.h"
#include "TransportFixture.h"
#include "winhttp.h"

using namespace zeltest;

namespace {
// Session, connection and request for a loopback server, closed at the end of the scope.
struct Exchange {
  explicit Exchange(int port, int receiveMs = 30000, int sendMs = 10000) {
    session = WinHttpOpen(L"probe/1", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    WinHttpSetTimeouts(session, 0, 10000, sendMs, receiveMs);
    connection = WinHttpConnect(session, L"127.0.0.1", static_cast<INTERNET_PORT>(port), 0);
    request = WinHttpOpenRequest(connection, L"POST", L"/x", nullptr, nullptr, nullptr, 0);
  }
  ~Exchange() {
    if (request) WinHttpCloseHandle(request);
    WinHttpCloseHandle(connection);
    WinHttpCloseHandle(session);
  }
  bool Send(const wchar_t* headers = nullptr) {
    return WinHttpSendRequest(request, headers, static_cast<DWORD>(-1), const_cast<char*>("body"), 4, 4, 0) &&
           WinHttpReceiveResponse(request, nullptr);
  }
  HINTERNET session = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
};

std::string Text(DWORD code) {
  wchar_t buffer[256];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                GetModuleHandleW(L"WinHttp.dll"), code, 0, buffer, 256, nullptr);
  return length ? std::string(buffer, buffer + length) : std::string();
}
// The same clean environment, named apart from the transport's own tests.
class WinHttpTest : public TransportTest {};
}  // namespace

TEST_F(WinHttpTest, HandlesAreCheckedNotTrusted) {
  int local = 0;
  EXPECT_FALSE(WinHttpCloseHandle(&local));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(WinHttpCloseHandle(nullptr));

  HINTERNET session = WinHttpOpen(L"a", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr, nullptr, 0);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(WinHttpOpen(L"a", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr, nullptr, WINHTTP_FLAG_ASYNC),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  // A session is no connection, and an empty server name names nothing.
  EXPECT_EQ(WinHttpOpenRequest(session, L"POST", L"/", nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE));
  EXPECT_EQ(WinHttpConnect(session, L"", 80, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(WinHttpSetTimeouts(session, 0, -2, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(WinHttpSetTimeouts(session, -1, 0, 1, 2));

  HINTERNET connection = WinHttpConnect(session, L"127.0.0.1", 9, 0);
  HINTERNET request = WinHttpOpenRequest(connection, L"POST", L"/", nullptr, nullptr, nullptr, 0);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(WinHttpOpenRequest(connection, L"PO ST", L"/", nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(WinHttpOpenRequest(connection, L"POST", L"/", L"HTTP/9", nullptr, nullptr, 0), nullptr);
  // Steps out of order are refused, not attempted.
  EXPECT_FALSE(WinHttpReceiveResponse(request, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WINHTTP_INCORRECT_HANDLE_STATE));
  DWORD available = 0;
  EXPECT_FALSE(WinHttpQueryDataAvailable(request, &available));
  // More body than given is not offered.
  EXPECT_FALSE(WinHttpSendRequest(request, nullptr, 0, const_cast<char*>("ab"), 2, 3, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));

  // Parents may go first; a closed handle stays closed.
  EXPECT_TRUE(WinHttpCloseHandle(session));
  EXPECT_TRUE(WinHttpCloseHandle(connection));
  EXPECT_TRUE(WinHttpCloseHandle(request));
  EXPECT_FALSE(WinHttpCloseHandle(request));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(WinHttpTest, ErrorCodesHaveTexts) {
  for (DWORD code : {12002u, 12005u, 12007u, 12029u, 12030u, 12152u, 12175u})
    EXPECT_FALSE(Text(code).empty()) << code;
  EXPECT_EQ(Text(12002), "The operation timed out.");
  EXPECT_EQ(Text(4711), "");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
  // System codes are only in the system's table.
  EXPECT_EQ(Text(ERROR_INVALID_PARAMETER), "");
  wchar_t small[8];
  EXPECT_EQ(
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_INVALID_PARAMETER, 0, small, 8, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  wchar_t enough[64];
  EXPECT_GT(
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_INVALID_PARAMETER, 0, enough, 64, nullptr),
      0u);
}

TEST_F(WinHttpTest, HeaderLinesCannotBeSmuggled) {
  TestHttpServer server(Answer(200, "ok"));
  {
    Exchange exchange(server.Port());
    EXPECT_FALSE(WinHttpSendRequest(exchange.request, L"X-A: 1\rInjected: yes\r\n", static_cast<DWORD>(-1),
                                    nullptr, 0, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WINHTTP_INVALID_HEADER));
  }
  {
    Exchange exchange(server.Port());
    EXPECT_FALSE(
        WinHttpSendRequest(exchange.request, L"no colon here\r\n", static_cast<DWORD>(-1), nullptr, 0, 0, 0));
  }
  {
    Exchange exchange(server.Port());
    ASSERT_TRUE(exchange.Send(L"X-One: 1\r\nX-Two: 2\r\n"));
  }
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].Header("X-Two"), "2");
  EXPECT_EQ(server.Requests()[0].body, "body");
  // Without the refresh flag no cache directive is added, and no default content type either.
  EXPECT_TRUE(server.Requests()[0].Values("Pragma").empty());
  EXPECT_TRUE(server.Requests()[0].Values("Content-Type").empty());
}

TEST_F(WinHttpTest, BodyIsHeldInBoundedPieces) {
  const size_t total = 20u << 20;
  TestHttpServer server([&](TestConnection& connection, const RecordedRequest&) {
    connection.Write("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(total) + "\r\n\r\n");
    const std::string block(1 << 20, 'z');
    for (size_t sent = 0; sent < total; sent += block.size())
      if (!connection.Write(block)) return;
  });
  Exchange exchange(server.Port());
  ASSERT_TRUE(exchange.Send());
  size_t received = 0;
  DWORD largest = 0;
  std::string piece;
  for (;;) {
    DWORD available = 0;
    ASSERT_TRUE(WinHttpQueryDataAvailable(exchange.request, &available));
    if (!available) break;
    largest = std::max(largest, available);
    piece.resize(available);
    DWORD read = 0;
    ASSERT_TRUE(WinHttpReadData(exchange.request, piece.data(), available, &read));
    ASSERT_EQ(read, available);
    received += read;
  }
  EXPECT_EQ(received, total);
  EXPECT_LE(largest, 1u << 20);
}

TEST_F(WinHttpTest, ClosingARequestMidTransferIsSafe) {
  TestHttpServer server([](TestConnection& connection, const RecordedRequest&) {
    connection.Write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nfirst");
    connection.WaitForClose();
  });
  {
    // Closed from another thread while the reader waits without a time-out.
    Exchange exchange(server.Port(), 0);
    ASSERT_TRUE(exchange.Send());
    DWORD available = 0;
    ASSERT_TRUE(WinHttpQueryDataAvailable(exchange.request, &available));
    std::string first(available, '\0');
    DWORD read = 0;
    ASSERT_TRUE(WinHttpReadData(exchange.request, first.data(), available, &read));
    auto waiting = std::async(std::launch::async, [request = exchange.request] {
      DWORD more = 0;
      BOOL ok = WinHttpQueryDataAvailable(request, &more);
      return std::make_pair(ok, GetLastError());
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_TRUE(WinHttpCloseHandle(exchange.request));
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    auto [ok, error] = waiting.get();
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_WINHTTP_OPERATION_CANCELLED));
    DWORD more = 0;
    EXPECT_FALSE(WinHttpQueryDataAvailable(exchange.request, &more));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    exchange.request = nullptr;
  }
  {
    // Closed between two reads on the same thread; the server sees the connection go.
    Exchange exchange(server.Port(), 0);
    ASSERT_TRUE(exchange.Send());
  }
  EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(WinHttpTest, LimitsBoundEachWaitNotTheWholeExchange) {
  {
    // An answer later than the send limit but within the receive limit arrives.
    TestHttpServer slow([](TestConnection& connection, const RecordedRequest&) {
      connection.Pause(1500);
      connection.Write(HttpReply(200, "late"));
    });
    Exchange exchange(slow.Port(), 20000, 500);
    ASSERT_TRUE(exchange.Send()) << GetLastError();
    char reply[16] = {};
    DWORD read = 0;
    ASSERT_TRUE(WinHttpReadData(exchange.request, reply, sizeof reply, &read));
    EXPECT_EQ(std::string(reply, read), "late");
  }
  {
    // A body that stops coming ends by the receive limit, after what did come.
    TestHttpServer stalled([](TestConnection& connection, const RecordedRequest&) {
      connection.Write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npart");
      connection.WaitForClose();
    });
    Exchange exchange(stalled.Port(), 500);
    ASSERT_TRUE(exchange.Send());
    DWORD available = 0;
    ASSERT_TRUE(WinHttpQueryDataAvailable(exchange.request, &available));
    EXPECT_EQ(available, 4u);
    char part[4];
    DWORD read = 0;
    ASSERT_TRUE(WinHttpReadData(exchange.request, part, 4, &read));
    EXPECT_FALSE(WinHttpQueryDataAvailable(exchange.request, &available));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WINHTTP_TIMEOUT));
  }
  {
    // A server that never takes the request: the kernel completes the connection, the body fills the
    // buffers, and the send limit ends the wait.
    IdleListener listener;
    Exchange exchange(listener.Port(), 30000, 500);
    std::string body(64u << 20, 'b');
    EXPECT_FALSE(WinHttpSendRequest(exchange.request, nullptr, 0, body.data(),
                                    static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WINHTTP_TIMEOUT));
  }
}
