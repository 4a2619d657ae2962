// The HTTP transport contract on Windows: WinINet, declared here and loaded
// from wininet.dll at run time. WinINet itself keeps the cookie store, the
// connection cache and the TLS sessions for the whole process.
//
// Redirects are followed here, hop by hop, rather than by WinINet: wine's
// WinINet follows a redirect loop for ever, and nothing can stop it from
// outside. So every request is opened with INTERNET_FLAG_NO_AUTO_REDIRECT
// added, and each hop with the flags of its own scheme.
#include "net/transport.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <utility>

#include "net/web_request.h"

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
constexpr DWORD kQueryStatusCode = 19 | 0x20000000;  // HTTP_QUERY_STATUS_CODE as a number
constexpr DWORD kQueryLocation = 33;
// A read that runs out of time fails with ERROR_INTERNET_TIMEOUT on Windows,
// with WSAETIMEDOUT under wine.
constexpr DWORD kErrorTimeout = 12002;
constexpr DWORD kErrorSocketTimeout = 10060;
constexpr int kMaxRedirects = 30;
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


// Set on every handle: Windows hands them down from the Internet handle, wine
// takes them only where they are set.
void SetTimeouts(const WinInet& api, HINTERNET handle) {
  const std::pair<DWORD, int> timeouts[] = {{kOptionConnectTimeout, TransportConnectTimeoutMs()},
                                             {kOptionSendTimeout, TransportIdleTimeoutMs()},
                                             {kOptionReceiveTimeout, TransportIdleTimeoutMs()}};
  for (auto [option, ms] : timeouts) {
    DWORD value = static_cast<DWORD>(ms);
    api.InternetSetOptionA(handle, option, &value, sizeof value);
  }
}

struct Target {
  bool secure;
  Text host;
  int port;
  Text path;
};

// Where a Location header points, from the request that received it; empty
// host when it cannot be followed.
Target Resolve(const Target& from, Text location) {
  location = location.substr(0, location.find('#'));
  Text scheme = from.secure ? "https:" : "http:";
  Text url;
  Text lower = ToLower(Left(location, 8));
  if (Left(lower, 7) == "http://" || lower == "https://") {
    url = location;
  } else if (Left(location, 2) == "//") {
    url = scheme + location;
  } else {
    Text base = scheme + "//" + from.host + ":" + std::to_string(from.port);
    if (Left(location, 1) == "/") {
      url = base + location;
    } else {
      Text directory = from.path.substr(0, from.path.find('?'));
      url = base + directory.substr(0, directory.rfind('/') + 1) + location;
    }
  }
  Target to{ToLower(Left(url, 8)) == "https://", UrlHost(url), UrlPort(url), UrlPath(url)};
  if (to.port < 1 || to.port > 65535) to.host.clear();
  return to;
}

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

struct Handles {
  const WinInet& api;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  void Close() {
    if (request) api.InternetCloseHandle(request);
    if (connection) api.InternetCloseHandle(connection);
    request = connection = nullptr;
  }
};

}  // namespace

bool HttpTransport(HttpExchange& exchange) {
  const WinInet& api = TheWinInet();
  if (!api.loaded) return false;

  HINTERNET internet =
      exchange.proxy.empty()
          ? api.InternetOpenA(exchange.agent.c_str(), kOpenTypeDirect, "", "", 0)
          : api.InternetOpenA(exchange.agent.c_str(), kOpenTypeProxy, exchange.proxy.c_str(), "",
                              0);
  if (!internet) return false;
  SetTimeouts(api, internet);

  const bool follow = (exchange.flags & kFlagNoAutoRedirect) == 0;
  Text headers = exchange.headers;
  if (!TransportReusesConnections()) headers += "\r\nConnection: close";
  Target target{(exchange.flags & kFlagSecure) != 0, exchange.host, exchange.port, exchange.path};
  Text verb = exchange.verb;
  Bytes sent = exchange.body;
  Handles handles{api};
  bool failed = false;

  for (int hop = 0;; ++hop) {
    handles.connection =
        api.InternetConnectA(internet, target.host.c_str(), static_cast<WORD>(target.port), "", "",
                             kServiceHttp, 0, 0);
    if (handles.connection) {
      SetTimeouts(api, handles.connection);
      DWORD flags = (exchange.flags & ~(kFlagSecure | kFlagIgnoreRedirectToHttps)) |
                    (target.secure ? kFlagSecure : kFlagIgnoreRedirectToHttps) |
                    kFlagNoAutoRedirect;
      handles.request = api.HttpOpenRequestA(handles.connection, verb.c_str(), target.path.c_str(),
                                             "HTTP/1.1", nullptr, nullptr, flags, 0);
    }
    if (!handles.request) {
      handles.Close();
      if (hop == 0) {
        api.InternetCloseHandle(internet);
        return false;
      }
      failed = true;
      break;
    }
    SetTimeouts(api, handles.request);
    // The outcome is not examined: a failed send shows up as nothing to read.
    api.HttpSendRequestA(handles.request, headers.c_str(), static_cast<DWORD>(headers.size()),
                         sent.empty() ? nullptr : sent.data(), static_cast<DWORD>(sent.size()));
    if (!follow) break;

    DWORD status = 0, length = sizeof status;
    if (!api.HttpQueryInfoA(handles.request, kQueryStatusCode, &status, &length, nullptr) ||
        !IsRedirect(status))
      break;
    char location[4096] = {};
    length = sizeof location - 1;
    if (!api.HttpQueryInfoA(handles.request, kQueryLocation, location, &length, nullptr)) break;
    Target next = Resolve(target, Text(location, length));
    if (next.host.empty()) break;
    if (hop == kMaxRedirects) {
      failed = true;  // a loop
      break;
    }
    handles.Close();
    target = next;
    if (status <= 303 && verb == "POST") {
      verb = "GET";
      sent.clear();
    }
  }

  Bytes body;
  char buffer[kReadSize];
  while (!failed) {
    DWORD read = 0;
    BOOL ok = api.InternetReadFile(handles.request, buffer, kReadSize, &read);
    if (!ok && (GetLastError() == kErrorTimeout || GetLastError() == kErrorSocketTimeout))
      failed = true;
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
    if (api.HttpQueryInfoA(handles.request, kQueryRawHeadersCrlf, block, &length, nullptr))
      raw.assign(block, length);
  }

  handles.Close();
  api.InternetCloseHandle(internet);
  if (failed) return true;
  exchange.response_body = std::move(body);
  exchange.raw_headers = std::move(raw);
  return true;
}
