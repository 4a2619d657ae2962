// WebRequest: the program's one way to a web server. One complete HTTP or
// HTTPS request with fixed default headers, whose body comes back whole.
#pragma once

#include <cstdint>
#include <optional>

#include "text/text.h"

struct WebRequestOptions {
  int method = 0;  // 0 GET, 1 POST, 2 HEAD; any other value counts as 0
  Text post_text;  // the body of a POST or HEAD when post_bytes is empty
  // Absent: the shared cookie store sends and stores cookies. Given (even
  // empty): the store is left out, and a non-empty text is sent as the
  // Cookie line.
  std::optional<Text> cookies;
  Text* returned_cookies = nullptr;  // "name=value; name=value" of the Set-Cookie lines
  Text extra_headers;                // lines joined by "\r\n"; they pre-empt the defaults
  Text* returned_headers = nullptr;  // the response header block, Set-Cookie normalised
  bool no_redirect = false;
  Bytes post_bytes;
  Text proxy;  // "host:port"; empty: direct, the system's proxy is never used
};

// The body of the final response (after redirects), whatever its status, or
// the empty sequence when nothing could be fetched. Blocks; never fails
// otherwise. When the request cannot even be set up (no host, a port outside
// 1..65535), the out texts are left as the caller passed them; any later
// failure sets them to what arrived, which may be nothing.
Bytes WebRequest(const Text& url, const WebRequestOptions& options = {});

// The host name in lower case, without port.
Text UrlHost(const Text& url);
// The port after the host's last ":" (no digits give 0), else 443 for an
// "https" URL and 80 for any other.
int UrlPort(const Text& url);
// The path with query, from the first "/" after the host; "/" when there is none.
Text UrlPath(const Text& url);

// The steps of WebRequest on their own, for the tests.
Text RequestAgent(const Text& extra_headers);
Text RequestHeaderText(const Text& url, const Text& extra_headers,
                       const std::optional<Text>& cookies);
uint32_t RequestFlags(bool https, bool cookies_given, bool no_redirect);
// The returned headers from a raw header block: the block itself, or the
// empty text when it does not fit a 5000-byte buffer with its terminating
// zero; every "Set-Cookie" in any letter case written "Set-Cookie".
Text ReturnedHeaders(const Text& raw_headers);
// The returned cookies of normalised headers: the name=value pair of every
// Set-Cookie line, in order, joined by "; ".
Text ReturnedCookies(const Text& headers);
