// The HTTP transport contract on Windows: WinINet, declared here and loaded
// from wininet.dll at run time. WinINet itself keeps the cookie store, the
// connection cache and the TLS sessions for the whole process.
#include "net/transport.h"

#include <windows.h>

#include <atomic>
#include <utility>

namespace {

using HINTERNET = void*;
using InternetOpenAFn = HINTERNET(WINAPI*)(LPCSTR agent, DWORD access, LPCSTR proxy,
                                           LPCSTR bypass, DWORD flags);
using InternetConnectAFn = HINTERNET(WINAPI*)(HINTERNET internet, LPCSTR server, WORD port,
                                              LPCSTR user, LPCSTR password, DWORD service,
                                              DWORD flags, DWORD_PTR context);
using HttpOpenRequestAFn = HINTERNET(WINAPI*)(HINTERNET connection, LPCSTR verb, LPCSTR object,
                                              LPCSTR version, LPCSTR referrer,
                                              LPCSTR* accept_types, DWORD flags,
                                              DWORD_PTR context);
using HttpSendRequestAFn = BOOL(WINAPI*)(HINTERNET request, LPCSTR headers, DWORD headers_length,
                                         LPVOID body, DWORD body_length);
using InternetReadFileFn = BOOL(WINAPI*)(HINTERNET request, LPVOID buffer, DWORD to_read,
                                         LPDWORD read);
using HttpQueryInfoAFn = BOOL(WINAPI*)(HINTERNET request, DWORD level, LPVOID buffer,
                                       LPDWORD length, LPDWORD index);
using InternetCloseHandleFn = BOOL(WINAPI*)(HINTERNET handle);
using InternetSetOptionAFn = BOOL(WINAPI*)(HINTERNET handle, DWORD option, LPVOID buffer,
                                           DWORD length);

constexpr DWORD kOpenTypeDirect = 1;  // INTERNET_OPEN_TYPE_DIRECT
constexpr DWORD kOpenTypeProxy = 3;   // INTERNET_OPEN_TYPE_PROXY
constexpr DWORD kServiceHttp = 3;     // INTERNET_SERVICE_HTTP
constexpr DWORD kQueryRawHeadersCrlf = 22;
constexpr DWORD kOptionConnectTimeout = 2;
constexpr DWORD kOptionSendTimeout = 5;
constexpr DWORD kOptionReceiveTimeout = 6;
constexpr DWORD kErrorTimeout = 12002;  // ERROR_INTERNET_TIMEOUT
constexpr DWORD kReadSize = 1024;
constexpr DWORD kHeaderBufferSize = 5000;

struct WinInet {
  InternetOpenAFn InternetOpenA = nullptr;
  InternetConnectAFn InternetConnectA = nullptr;
  HttpOpenRequestAFn HttpOpenRequestA = nullptr;
  HttpSendRequestAFn HttpSendRequestA = nullptr;
  InternetReadFileFn InternetReadFile = nullptr;
  HttpQueryInfoAFn HttpQueryInfoA = nullptr;
  InternetCloseHandleFn InternetCloseHandle = nullptr;
  InternetSetOptionAFn InternetSetOptionA = nullptr;
  bool loaded = false;
};

template <typename Fn>
void Load(HMODULE module, const char* name, Fn& fn) {
  fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Loaded once and never released: detached workers may be in a request at exit.
const WinInet& TheWinInet() {
  static const WinInet api = [] {
    WinInet w;
    HMODULE module = LoadLibraryA("wininet.dll");
    if (!module) return w;
    Load(module, "InternetOpenA", w.InternetOpenA);
    Load(module, "InternetConnectA", w.InternetConnectA);
    Load(module, "HttpOpenRequestA", w.HttpOpenRequestA);
    Load(module, "HttpSendRequestA", w.HttpSendRequestA);
    Load(module, "InternetReadFile", w.InternetReadFile);
    Load(module, "HttpQueryInfoA", w.HttpQueryInfoA);
    Load(module, "InternetCloseHandle", w.InternetCloseHandle);
    Load(module, "InternetSetOptionA", w.InternetSetOptionA);
    w.loaded = w.InternetOpenA && w.InternetConnectA && w.HttpOpenRequestA &&
               w.HttpSendRequestA && w.InternetReadFile && w.HttpQueryInfoA &&
               w.InternetCloseHandle && w.InternetSetOptionA;
    return w;
  }();
  return api;
}

std::atomic<int> g_connect_ms{kConnectTimeoutMs};
std::atomic<int> g_idle_ms{kIdleTimeoutMs};
std::atomic<bool> g_reuse{true};

void SetTimeout(const WinInet& api, HINTERNET handle, DWORD option, int ms) {
  DWORD value = static_cast<DWORD>(ms);
  api.InternetSetOptionA(handle, option, &value, sizeof value);
}

}  // namespace

void SetTransportTimeouts(int connect_ms, int idle_ms) {
  g_connect_ms = connect_ms;
  g_idle_ms = idle_ms;
}

void SetTransportConnectionReuse(bool reuse) { g_reuse = reuse; }

bool HttpTransport(HttpExchange& exchange) {
  const WinInet& api = TheWinInet();
  if (!api.loaded) return false;

  HINTERNET internet =
      exchange.proxy.empty()
          ? api.InternetOpenA(exchange.agent.c_str(), kOpenTypeDirect, "", "", 0)
          : api.InternetOpenA(exchange.agent.c_str(), kOpenTypeProxy, exchange.proxy.c_str(), "",
                              0);
  if (!internet) return false;
  SetTimeout(api, internet, kOptionConnectTimeout, g_connect_ms);
  SetTimeout(api, internet, kOptionSendTimeout, g_idle_ms);
  SetTimeout(api, internet, kOptionReceiveTimeout, g_idle_ms);

  HINTERNET connection =
      api.InternetConnectA(internet, exchange.host.c_str(), static_cast<WORD>(exchange.port), "",
                           "", kServiceHttp, 0, 0);
  if (!connection) {
    api.InternetCloseHandle(internet);
    return false;
  }
  HINTERNET request =
      api.HttpOpenRequestA(connection, exchange.verb.c_str(), exchange.path.c_str(), "HTTP/1.1",
                           nullptr, nullptr, exchange.flags, 0);
  if (!request) {
    api.InternetCloseHandle(connection);
    api.InternetCloseHandle(internet);
    return false;
  }

  Text headers = exchange.headers;
  if (!g_reuse) headers += "\r\nConnection: close";
  // The outcome is not examined: a failed send shows up as nothing to read.
  api.HttpSendRequestA(request, headers.c_str(), static_cast<DWORD>(headers.size()),
                       exchange.body.empty() ? nullptr : exchange.body.data(),
                       static_cast<DWORD>(exchange.body.size()));

  Bytes body;
  bool failed = false;
  char buffer[kReadSize];
  for (;;) {
    DWORD read = 0;
    BOOL ok = api.InternetReadFile(request, buffer, kReadSize, &read);
    if (!ok && GetLastError() == kErrorTimeout) failed = true;
    if (!ok || read == 0) break;
    if (body.size() + read > kMaxBodyBytes) {
      failed = true;
      break;
    }
    body.append(buffer, read);
  }

  Text raw;
  if (!failed) {
    char block[kHeaderBufferSize] = {};
    DWORD length = kHeaderBufferSize;
    if (api.HttpQueryInfoA(request, kQueryRawHeadersCrlf, block, &length, nullptr))
      raw.assign(block, length);
  }

  api.InternetCloseHandle(request);
  api.InternetCloseHandle(connection);
  api.InternetCloseHandle(internet);
  if (failed) return true;
  exchange.response_body = std::move(body);
  exchange.raw_headers = std::move(raw);
  return true;
}
