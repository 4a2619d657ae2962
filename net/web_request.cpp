// WebRequest and the URL splitting: the request is built here, step by step;
// the platform's transport (net/transport.h) carries it.
#include "net/web_request.h"

#include <climits>
#include <utility>

#include "net/transport.h"

namespace {

constexpr char kDefaultAgent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
// HttpQueryInfoA gets a buffer of this size; the block and its zero must fit.
constexpr size_t kHeaderBufferSize = 5000;

// The host text of a URL: what stands between the scheme marker and the next
// "/", port included, in lower case.
Text HostText(const Text& url) {
  Text lower = ToLower(url);
  if (lower.empty() || lower.back() != '/') lower += "/";
  Text marker = "https://";
  if (Left(lower, 8) != marker) {
    if (Find(lower, "http://") == -1) lower = "http://" + lower;
    marker = "http://";
  }
  return TextBetween(lower, marker, "/");
}

// Addresses come from the sites' own pages too. A control character would
// break the request line or smuggle in a header line, so such an address is
// refused; a space, which would split the request line, goes as %20, as a
// browser sends it.
bool SafeAddress(const Text& url, Text& safe) {
  safe.clear();
  for (char c : url) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) return false;
    if (c == ' ')
      safe += "%20";
    else
      safe += c;
  }
  return true;
}

}  // namespace

Text UrlHost(const Text& url) {
  Text host = HostText(url);
  int colon = Find(host, ":");
  return colon == -1 ? host : Left(host, colon - 1);
}

int UrlPort(const Text& url) {
  Text host = HostText(url);
  int colon = FindFromEnd(host, ":");
  if (colon == -1) return ToLower(Left(url, 5)) == "https" ? 443 : 80;
  // Saturates, so that a long run of digits stays out of range.
  long long port = 0;
  for (size_t i = static_cast<size_t>(colon); i < host.size() && host[i] >= '0' && host[i] <= '9';
       ++i) {
    port = port * 10 + (host[i] - '0');
    if (port > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(port);
}

Text UrlPath(const Text& url) {
  int host = Find(url, UrlHost(url), 1, true);
  int slash = host == -1 ? -1 : Find(url, "/", host);
  return slash == -1 ? Text("/") : url.substr(static_cast<size_t>(slash - 1));
}

Text RequestAgent(const Text& extra_headers) {
  if (Find(extra_headers, "User-Agent:", 1, true) == -1) return kDefaultAgent;
  Text agent = Trim(TextBetween(extra_headers + "\r\n", "User-Agent:", "\r\n"));
  if (!agent.empty()) return agent;
  return Trim(extra_headers.substr(extra_headers.find(':') + 1));
}

Text RequestHeaderText(const Text& url, const Text& extra_headers,
                       const std::optional<Text>& cookies) {
  Text headers = extra_headers;
  if (headers.empty()) {
    headers = "Accept: */*";
  } else if (Find(headers, "Accept:") == -1) {
    headers += "\r\nAccept: */*";
  }
  if (Find(headers, "Referer:") == -1) headers += "\r\nReferer: " + url;
  if (Find(headers, "Accept-Language:") == -1) headers += "\r\nAccept-Language: zh-cn";
  if (Find(headers, "Content-Type:") == -1)
    headers += "\r\nContent-Type: application/x-www-form-urlencoded";
  if (cookies && !cookies->empty()) {
    headers += Find(*cookies, "Cookie:") != -1 ? "\r\n" + *cookies : "\r\nCookie: " + *cookies;
  }
  return headers;
}

uint32_t RequestFlags(bool https, bool cookies_given, bool no_redirect) {
  uint32_t flags = kFlagReload | kFlagNeedFile;
  if (cookies_given) flags |= kFlagNoCookies;
  if (no_redirect) flags |= kFlagNoAutoRedirect;
  flags |= https ? kFlagSecure : kFlagIgnoreRedirectToHttps;
  return flags;
}

Text ReturnedHeaders(const Text& raw_headers) {
  if (raw_headers.size() + 1 > kHeaderBufferSize) return {};
  return Replace(raw_headers, "Set-Cookie", Text("Set-Cookie"), 1, std::nullopt, false);
}

Text ReturnedCookies(const Text& headers) {
  Text cookies;
  for (const Text& line : Split(headers, "\r\n")) {
    if (Find(line, "Set-Cookie") == -1) continue;
    if (Find(line, ";") != -1) {
      cookies += Trim(TextBetween(line, "Set-Cookie:", ";"));
    } else {
      cookies += Trim(Replace(line, "Set-Cookie:", Text(), 1, std::nullopt, false));
    }
    cookies += "; ";
  }
  return Left(cookies, static_cast<int>(cookies.size()) - 2);
}

Bytes WebRequest(const Text& address, const WebRequestOptions& options) {
  static const char* const kVerbs[] = {"GET", "POST", "HEAD"};
  Text url;
  if (!SafeAddress(address, url)) return {};
  int method = options.method < 0 || options.method > 2 ? 0 : options.method;
  bool https = ToLower(Left(url, 8)) == "https://";

  HttpExchange exchange;
  exchange.verb = kVerbs[method];
  exchange.agent = RequestAgent(options.extra_headers);
  if (!options.proxy.empty()) exchange.proxy = https ? options.proxy : "http=" + options.proxy;
  exchange.host = UrlHost(url);
  exchange.port = UrlPort(url);
  // No connection can be opened to these; WinINet would take port 0 for the
  // default port and cut a larger one to 16 bits, so both backends refuse
  // them here alike.
  if (exchange.host.empty() || exchange.port < 1 || exchange.port > 65535) return {};
  exchange.flags = RequestFlags(https, options.cookies.has_value(), options.no_redirect);
  exchange.path = UrlPath(url);
  exchange.headers = RequestHeaderText(url, options.extra_headers, options.cookies);
  if (method != 0) exchange.body = options.post_bytes.empty() ? options.post_text : options.post_bytes;

  if (!HttpTransport(exchange)) return {};

  Text headers = ReturnedHeaders(exchange.raw_headers);
  if (options.returned_headers) *options.returned_headers = headers;
  if (options.returned_cookies) *options.returned_cookies = ReturnedCookies(headers);
  return std::move(exchange.response_body);
}
