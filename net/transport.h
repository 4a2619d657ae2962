// The HTTP transport contract: one complete request through the platform's
// HTTP client (WinINet on Windows, libcurl on Linux). WebRequest builds every
// part of the request; a backend only carries it.
//
// Both backends keep, for the whole process and across threads: one cookie
// store (used by every request without kFlagNoCookies), the connection cache
// and the TLS session cache. Neither uses the system's proxy configuration.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/text.h"

// The request flags, with their WinINet values.
inline constexpr uint32_t kFlagReload = 0x80000000;                // never from a cache
inline constexpr uint32_t kFlagNeedFile = 0x00000010;
inline constexpr uint32_t kFlagSecure = 0x00800000;                // TLS
inline constexpr uint32_t kFlagIgnoreRedirectToHttps = 0x00004000;
inline constexpr uint32_t kFlagNoCookies = 0x00080000;             // no automatic cookies
inline constexpr uint32_t kFlagNoAutoRedirect = 0x00200000;

// A body longer than this is a failure, so that a hostile server cannot
// exhaust the memory.
inline constexpr size_t kMaxBodyBytes = size_t{64} << 20;

struct HttpExchange {
  // The request.
  Text agent;
  Text proxy;  // a WinINet proxy list ("http=host:port" or "host:port"); empty: direct
  Text host;   // non-empty, lower case, no port
  int port = 80;  // 1..65535
  Text verb;
  Text path;
  uint32_t flags = 0;
  Text headers;  // header lines joined by "\r\n", the last one without it
  Bytes body;
  // The response. After a failure (nothing arrived, a time-out, a body over
  // kMaxBodyBytes) both are empty; a connection that breaks off mid-body
  // leaves what arrived.
  Bytes response_body;
  // The final response's status line and header lines, each ending in "\r\n",
  // then an empty line: the form of WinINet's HTTP_QUERY_RAW_HEADERS_CRLF.
  // A backend may leave out a block of 5000 bytes or more.
  Text raw_headers;
};

// Performs the exchange; blocks until the body has been read or the request
// has failed. Returns false when the client could not even be set up (nothing
// was sent); the response fields are then untouched.
bool HttpTransport(HttpExchange& exchange);

// The limits every request runs under: the connection must be made within
// connect_ms, and a transfer during which no byte arrives for idle_ms is
// abandoned (a failure). Defaults: 15 s and 30 s. For tests, which need a
// stall to end quickly.
void SetTransportTimeouts(int connect_ms, int idle_ms);
inline constexpr int kConnectTimeoutMs = 15000;
inline constexpr int kIdleTimeoutMs = 30000;
int TransportConnectTimeoutMs();
int TransportIdleTimeoutMs();

// false: every request opens a connection of its own and does the whole TLS
// handshake. For the benchmark, to measure what the shared caches save.
void SetTransportConnectionReuse(bool reuse);
bool TransportReusesConnections();
