// WebRequest: its steps on their own, and whole requests against the loopback
// test sites (tests/sites/handlers/web.py), on the platform's transport.
#include "net/web_request.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "net/transport.h"
#include "tests/sites.h"

namespace {

constexpr char kAgent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

#define REQUIRE_HTTPS()                                                   \
  if (std::string why = HttpsUnavailable(); !why.empty()) GTEST_SKIP() << why

Text Web(const Text& path) { return "http://" + SiteHost("web") + path; }
Text Webs(const Text& path) { return "https://" + SiteHost("webs") + path; }

// An echoed request: its header lines (request line first), and its body.
struct Echo {
  TextList lines;
  Bytes body;
};
Echo ParseEcho(const Bytes& echoed) {
  size_t end = echoed.find("\r\n\r\n");
  if (end == Bytes::npos) return {};
  return {Split(echoed.substr(0, end), "\r\n"), echoed.substr(end + 4)};
}

int CountLinesStarting(const TextList& lines, const Text& start) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const Text& line) {
    return ToLower(Left(line, static_cast<int>(start.size()))) == ToLower(start);
  }));
}

// Where `sequence` stands in `lines` as consecutive lines, or -1.
int FindSequence(const TextList& lines, const TextList& sequence) {
  auto found = std::search(lines.begin(), lines.end(), sequence.begin(), sequence.end());
  return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

TextList DefaultLines(const Text& url) {
  return {"Accept: */*", "Referer: " + url, "Accept-Language: zh-cn",
          "Content-Type: application/x-www-form-urlencoded"};
}

// What the header query gives when no response arrived: no header lines
// (wine's WinINet gives a lone "\r\n").
bool NoHeaderLines(const Text& headers) {
  TextList lines = Split(headers, "\r\n");
  return std::all_of(lines.begin(), lines.end(), [](const Text& line) { return line.empty(); });
}

Text ReadFixture(const Text& relative) {
  std::ifstream file(Text(std::getenv("LANTISK_TEST_DATA")) + "/" + relative, std::ios::binary);
  return Text(std::istreambuf_iterator<char>(file), {});
}

// --- the steps on their own --------------------------------------------------

struct UrlCase {
  Text url;
  Text host;
  int port;
  Text path;
};

TEST(WebRequest, UrlSplitting) {
  const UrlCase cases[] = {
      {"https://WWW.Example.COM/a/B?c=D", "www.example.com", 443, "/a/B?c=D"},
      {"http://Example.com:8080/x", "example.com", 8080, "/x"},
      {"http://example.com", "example.com", 80, "/"},
      {"example.com/page", "example.com", 80, "/page"},
      {"HTTPS://Host/p", "host", 443, "/p"},
      {"http://host:8080", "host", 8080, "/"},
      {"http://a.com:81:82/x", "a.com", 82, "/x"},
      {"http://host:abc/", "host", 0, "/"},
      {"http://host:99999/", "host", 99999, "/"},
      {"http://host:99999999999999999999/", "host", 2147483647, "/"},
      {"", "", 80, "/"},
  };
  for (const UrlCase& c : cases) {
    EXPECT_EQ(UrlHost(c.url), c.host) << c.url;
    EXPECT_EQ(UrlPort(c.url), c.port) << c.url;
    EXPECT_EQ(UrlPath(c.url), c.path) << c.url;
  }
}

TEST(WebRequest, UserAgent) {
  const std::pair<Text, Text> cases[] = {
      {"", kAgent},
      {"Accept: text/html", kAgent},
      {"User-Agent: Foo/1.0", "Foo/1.0"},
      {"User-Agent:Foo", "Foo"},
      {"Accept: a\r\nUser-Agent:   Bar  \r\nX-B: y", "Bar"},
      // Found ignoring letter case but cut in exact case: the fallback takes
      // everything after the first ":".
      {"user-agent: Baz", "Baz"},
      {"X-A: 1\r\nuser-agent: Q", "1\r\nuser-agent: Q"},
  };
  for (const auto& [extra, agent] : cases) EXPECT_EQ(RequestAgent(extra), agent) << extra;
}

TEST(WebRequest, HeaderText) {
  const Text url = "http://h/p";
  const Text defaults =
      "Accept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
      "Content-Type: application/x-www-form-urlencoded";
  const Text rest =
      "\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
      "Content-Type: application/x-www-form-urlencoded";
  struct Case {
    Text extra;
    std::optional<Text> cookies;
    Text expected;
  };
  const Case cases[] = {
      {"", std::nullopt, defaults},
      {"Accept: text/html", std::nullopt, "Accept: text/html" + rest},
      {"X-A: 1", std::nullopt, "X-A: 1\r\nAccept: */*" + rest},
      {"Referer: r\r\nAccept-Language: en\r\nContent-Type: text/plain", std::nullopt,
       "Referer: r\r\nAccept-Language: en\r\nContent-Type: text/plain\r\nAccept: */*"},
      {"accept: x", std::nullopt, "accept: x\r\nAccept: */*" + rest},
      {"", Text("a=1"), defaults + "\r\nCookie: a=1"},
      {"", Text("Cookie: a=1; b=2"), defaults + "\r\nCookie: a=1; b=2"},
      {"", Text(""), defaults},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RequestHeaderText(url, c.extra, c.cookies), c.expected) << c.extra;
}

TEST(WebRequest, Flags) {
  EXPECT_EQ(RequestFlags(false, false, false), 0x80004010u);
  EXPECT_EQ(RequestFlags(true, false, false), 0x80800010u);
  EXPECT_EQ(RequestFlags(false, true, true), 0x80284010u);
  EXPECT_EQ(RequestFlags(true, true, false), 0x80880010u);
}

TEST(WebRequest, ReturnedHeadersAndCookies) {
  struct Case {
    Text raw;
    Text headers;
    Text cookies;
  };
  const Text status = "HTTP/1.1 200 OK\r\n";
  const Case cases[] = {
      {status + "Set-Cookie: a=1; Path=/\r\nset-cookie: b=2\r\n\r\n",
       status + "Set-Cookie: a=1; Path=/\r\nSet-Cookie: b=2\r\n\r\n", "a=1; b=2"},
      {status + "SET-COOKIE:  c=3 ; HttpOnly\r\nSet-cookie: d=4\r\n\r\n",
       status + "Set-Cookie:  c=3 ; HttpOnly\r\nSet-Cookie: d=4\r\n\r\n", "c=3; d=4"},
      {status + "Set-Cookie: a=1\r\nSet-Cookie: a=2; Path=/\r\n\r\n",
       status + "Set-Cookie: a=1\r\nSet-Cookie: a=2; Path=/\r\n\r\n", "a=1; a=2"},
      {status + "Content-Length: 0\r\n\r\n", status + "Content-Length: 0\r\n\r\n", ""},
      {"", "", ""},
      // The block and its zero must fit 5000 bytes.
      {Text(4999, 'x'), Text(4999, 'x'), ""},
      {Text(5000, 'x'), "", ""},
  };
  for (const Case& c : cases) {
    Text headers = ReturnedHeaders(c.raw);
    EXPECT_EQ(headers, c.headers) << c.raw.substr(0, 200);
    EXPECT_EQ(ReturnedCookies(headers), c.cookies) << c.raw.substr(0, 200);
  }
}

// --- whole requests ---------------------------------------------------------------

// The request of the program's only call, WebRequest(url): the request line
// with the path as written, the fixed user agent, the four default lines in
// order; any other line is one the HTTP layer adds by itself.
TEST(WebRequest, UrlAloneIsTheDefaultRequest) {
  std::vector<Text> urls = {Web("/echo?Q=Ab&c=%41")};
  if (HttpsUnavailable().empty()) urls.push_back(Webs("/echo?Q=Ab&c=%41"));
  for (const Text& url : urls) {
    Echo echo = ParseEcho(WebRequest(url));
    ASSERT_FALSE(echo.lines.empty()) << url;
    EXPECT_EQ(echo.lines[0], "GET /echo?Q=Ab&c=%41 HTTP/1.1") << url;
    EXPECT_EQ(echo.body, "") << url;
    EXPECT_EQ(CountLinesStarting(echo.lines, "User-Agent:"), 1) << url;
    EXPECT_NE(FindSequence(echo.lines, {Text("User-Agent: ") + kAgent}), -1) << url;
    EXPECT_NE(FindSequence(echo.lines, DefaultLines(url)), -1) << url;
    for (const char* start : {"Accept:", "Referer:", "Accept-Language:", "Content-Type:"})
      EXPECT_EQ(CountLinesStarting(echo.lines, start), 1) << url << " " << start;
    for (size_t i = 1; i < echo.lines.size(); ++i) {
      const Text& line = echo.lines[i];
      bool known = std::find(DefaultLines(url).begin(), DefaultLines(url).end(), line) !=
                   DefaultLines(url).end();
      for (const char* own : {"User-Agent:", "Host:", "Connection:", "Cache-Control:", "Pragma:"})
        known = known || Left(line, static_cast<int>(std::strlen(own))) == own;
      EXPECT_TRUE(known) << url << ": " << line;
    }
  }
}

TEST(WebRequest, Methods) {
  struct Case {
    int method;
    Text post_text;
    Bytes post_bytes;
    Text verb;
    Bytes body;
  };
  const Case cases[] = {
      {5, "ignored", "", "GET", ""},
      {-1, "ignored", "", "GET", ""},
      {0, "ignored", "x", "GET", ""},
      {1, "a=1&b=%D6%D0", "", "POST", "a=1&b=%D6%D0"},
      {1, "text", Bytes("\0\x01\xFF", 3), "POST", Bytes("\0\x01\xFF", 3)},
      {1, "", "", "POST", ""},
  };
  for (const Case& c : cases) {
    WebRequestOptions options;
    options.method = c.method;
    options.post_text = c.post_text;
    options.post_bytes = c.post_bytes;
    Echo echo = ParseEcho(WebRequest(Web("/echo"), options));
    ASSERT_FALSE(echo.lines.empty()) << c.method;
    EXPECT_EQ(echo.lines[0], c.verb + " /echo HTTP/1.1") << c.method;
    EXPECT_EQ(echo.body, c.body) << c.method;
    EXPECT_NE(FindSequence(echo.lines, DefaultLines(Web("/echo"))), -1) << c.method;
  }
}

TEST(WebRequest, HeadSendsItsBodyAndGetsNone) {
  ClearSiteLog("web");
  Text headers;
  WebRequestOptions options;
  options.method = 2;
  options.post_text = "q=1";
  options.returned_headers = &headers;
  EXPECT_EQ(WebRequest(Web("/echo?head"), options), "");
  EXPECT_EQ(Left(headers, 15), "HTTP/1.1 200 OK");
  std::vector<std::string> log = SiteLog("web");
  EXPECT_NE(std::find(log.begin(), log.end(), "HEAD /echo?head HTTP/1.1"), log.end());
}

TEST(WebRequest, ExtraHeadersComeFirstAndPreempt) {
  WebRequestOptions options;
  options.extra_headers = "Accept: text/html\r\nX-Test: 1";
  Echo echo = ParseEcho(WebRequest(Web("/echo"), options));
  EXPECT_NE(FindSequence(echo.lines, {"Accept: text/html", "X-Test: 1", "Referer: " + Web("/echo"),
                                      "Accept-Language: zh-cn",
                                      "Content-Type: application/x-www-form-urlencoded"}),
            -1);
  EXPECT_EQ(CountLinesStarting(echo.lines, "Accept:"), 1);
}

TEST(WebRequest, UserAgentFromTheExtraHeaders) {
  WebRequestOptions options;
  options.extra_headers = "User-Agent: Lantisk-Test/1.0";
  Echo echo = ParseEcho(WebRequest(Web("/echo"), options));
  EXPECT_EQ(CountLinesStarting(echo.lines, "User-Agent:"), 1);
  EXPECT_NE(FindSequence(echo.lines, {"User-Agent: Lantisk-Test/1.0"}), -1);
}

TEST(WebRequest, CookieText) {
  const std::pair<std::optional<Text>, Text> cases[] = {
      {Text("a=1"), "Cookie: a=1"},
      {Text("Cookie: x=9; y=8"), "Cookie: x=9; y=8"},
  };
  for (const auto& [cookies, line] : cases) {
    WebRequestOptions options;
    options.cookies = cookies;
    Echo echo = ParseEcho(WebRequest(Web("/echo"), options));
    EXPECT_EQ(CountLinesStarting(echo.lines, "Cookie:"), 1) << line;
    EXPECT_NE(FindSequence(echo.lines, {line}), -1) << line;
  }
}

// With the cookie text absent every request shares one store; a given cookie
// text, even an empty one, keeps the request out of it both ways.
TEST(WebRequest, SharedCookieStore) {
  WebRequest(Web("/setcookie?shared=1"));
  EXPECT_EQ(WebRequest(Web("/cookies")), "shared=1");

  WebRequestOptions given;
  given.cookies = Text("");
  EXPECT_EQ(WebRequest(Web("/cookies"), given), "");
  WebRequest(Web("/setcookie?ignored=2"), given);
  given.cookies = Text("mine=3");
  EXPECT_EQ(WebRequest(Web("/cookies"), given), "mine=3");
  WebRequest(Web("/setcookie?ignored2=4"), given);

  EXPECT_EQ(WebRequest(Web("/cookies")), "shared=1");

  std::thread([] { WebRequest(Web("/setcookie?other=5")); }).join();
  Bytes seen;
  std::thread([&seen] { seen = WebRequest(Web("/cookies")); }).join();
  EXPECT_EQ(seen, "shared=1; other=5");
}

TEST(WebRequest, ReturnedCookiesAndHeaders) {
  Text cookies = "junk", headers = "junk";
  WebRequestOptions options;
  options.returned_cookies = &cookies;
  options.returned_headers = &headers;
  EXPECT_EQ(WebRequest(Web("/setcookie?a=1&b=2&c=3&d=4"), options), "set");
  EXPECT_EQ(cookies, "a=1; b=2; c=3; d=4");
  EXPECT_EQ(Left(headers, 17), "HTTP/1.1 200 OK\r\n");
  EXPECT_EQ(Right(headers, 4), "\r\n\r\n");
  EXPECT_NE(Find(headers, "\r\nSet-Cookie: a=1; Path=/\r\nSet-Cookie: b=2\r\n"), -1);
  EXPECT_NE(Find(headers, "\r\nSet-Cookie: c=3; HttpOnly; Path=/\r\nSet-Cookie: d=4; Max-Age"), -1);

  EXPECT_EQ(WebRequest(Web("/final"), options), "final");
  EXPECT_EQ(cookies, "");
  EXPECT_EQ(Left(headers, 17), "HTTP/1.1 200 OK\r\n");
}

TEST(WebRequest, Redirects) {
  Text headers;
  WebRequestOptions options;
  options.returned_headers = &headers;
  EXPECT_EQ(WebRequest(Web("/redirect/3"), options), "final");
  EXPECT_EQ(Left(headers, 15), "HTTP/1.1 200 OK");

  options.no_redirect = true;
  EXPECT_EQ(WebRequest(Web("/redirect/3"), options), "<html>moved</html>");
  EXPECT_EQ(Left(headers, 12), "HTTP/1.1 302");
  EXPECT_NE(Find(headers, "\r\nLocation: /redirect/2\r\n"), -1);
}

TEST(WebRequest, RedirectFromHttpToHttps) {
  REQUIRE_HTTPS();
  EXPECT_EQ(WebRequest(Web("/tohttps?to=/final")), "final");
  Echo echo = ParseEcho(WebRequest(Web("/tohttps?to=/echo")));
  ASSERT_FALSE(echo.lines.empty());
  EXPECT_EQ(echo.lines[0], "GET /echo HTTP/1.1");
}

// A loop is given up after 30 hops, with the empty result.
TEST(WebRequest, RedirectLoopEnds) {
  const Text id = "loop" + std::to_string(std::rand());
  EXPECT_EQ(WebRequest(Web("/loop?id=" + id)), "");
  std::vector<std::string> log = SiteLog("web");
  auto hops = std::count(log.begin(), log.end(), "GET /loop?id=" + id + " HTTP/1.1");
  EXPECT_EQ(hops, 31);
}

TEST(WebRequest, ErrorPageBodyIsReturned) {
  Text headers;
  WebRequestOptions options;
  options.returned_headers = &headers;
  Bytes body = WebRequest(Web("/no/such/page"), options);
  EXPECT_EQ(body, ReadFixture("sites/web/404.html"));
  EXPECT_NE(Find(body, "<h1>Not Found</h1>"), -1);
  EXPECT_EQ(Left(headers, 12), "HTTP/1.1 404");
}

TEST(WebRequest, BodiesComeWhole) {
  const Bytes nul = Bytes("a\0b\0\0c", 6) + Bytes(100, '\0') + "end";
  EXPECT_EQ(WebRequest(Web("/nul")), nul);
  Bytes large;
  for (int i = 0; i < 300000; ++i) large += "0123456789";
  EXPECT_EQ(WebRequest(Web("/large?bytes=3000000")), large);
  if (HttpsUnavailable().empty()) {
    EXPECT_EQ(WebRequest(Webs("/nul")), nul);
    EXPECT_EQ(WebRequest(Webs("/large?bytes=3000000")), large);
  }
}

TEST(WebRequest, BodyOverTheLimitIsAFailure) {
  Text headers = "junk";
  WebRequestOptions options;
  options.returned_headers = &headers;
  EXPECT_EQ(WebRequest(Web("/large?bytes=" + std::to_string(kMaxBodyBytes + 1)), options), "");
  EXPECT_EQ(headers, "");
}

TEST(WebRequest, HeaderBlockMustFitFiveThousandBytes) {
  const std::pair<int, bool> cases[] = {{4999, true}, {5000, false}, {20000, false}};
  for (const auto& [size, fits] : cases) {
    Text cookies = "junk", headers = "junk";
    WebRequestOptions options;
    options.returned_cookies = &cookies;
    options.returned_headers = &headers;
    EXPECT_EQ(WebRequest(Web("/headers?size=" + std::to_string(size)), options), "ok") << size;
    EXPECT_EQ(headers.size(), fits ? static_cast<size_t>(size) : 0u) << size;
    EXPECT_EQ(cookies, fits ? "big=1" : "") << size;
  }
}

// Every fault ends in an empty (or, for a cut body, partial) result and
// empty returned texts, and nothing hangs.
TEST(WebRequest, ServerFaults) {
  SetTransportTimeouts(kConnectTimeoutMs, 1000);
  const std::pair<Text, Bytes> cases[] = {
      {Web("/stall?after=body"), ""},
      {Web("/stall?after=nothing"), ""},
      {Web("/reset"), ""},
      {Web("/cut"), Bytes(500, 'y')},
      {"http://localhost:1/", ""},
  };
  for (const auto& [url, body] : cases) {
    Text cookies = "junk", headers = "junk";
    WebRequestOptions options;
    options.returned_cookies = &cookies;
    options.returned_headers = &headers;
    EXPECT_EQ(WebRequest(url, options), body) << url;
    EXPECT_EQ(cookies, "") << url;
    if (body.empty()) {
      EXPECT_TRUE(NoHeaderLines(headers)) << url << ": " << headers;
    }
  }
  SetTransportTimeouts(kConnectTimeoutMs, kIdleTimeoutMs);
}

// A URL no connection can be opened to: empty result, out texts untouched.
TEST(WebRequest, BadUrls) {
  for (const Text url : {"", "http://", "https:///x", "http://localhost:abc/",
                         "http://localhost:0/", "http://localhost:70000/",
                         "http://localhost:99999999999999/"}) {
    Text cookies = "keep", headers = "keep";
    WebRequestOptions options;
    options.returned_cookies = &cookies;
    options.returned_headers = &headers;
    EXPECT_EQ(WebRequest(url, options), "") << url;
    EXPECT_EQ(cookies, "keep") << url;
    EXPECT_EQ(headers, "keep") << url;
  }
}

TEST(WebRequest, AddressesFromPagesCannotBreakTheRequest) {
  // A control character anywhere refuses the address before anything is sent.
  for (const Text& url : {Web("/refused\r\nX-Injected: 1"), Web("/refused\nx"),
                          Web(Text("/refused\0x", 10)), Web("/refused\tx"), Web("/refused\x7F")}) {
    Text headers = "keep";
    WebRequestOptions options;
    options.returned_headers = &headers;
    EXPECT_EQ(WebRequest(url, options), "");
    EXPECT_EQ(headers, "keep");
  }
  for (const std::string& line : SiteLog("web")) EXPECT_EQ(line.find("refused"), std::string::npos) << line;
  // A space goes as %20, in the request line and in the Referer alike.
  Echo echo = ParseEcho(WebRequest(Web("/echo?a b")));
  ASSERT_FALSE(echo.lines.empty());
  EXPECT_EQ(echo.lines[0], "GET /echo?a%20b HTTP/1.1");
  EXPECT_NE(FindSequence(echo.lines, {"Referer: " + Web("/echo?a%20b")}), -1);
}

TEST(WebRequest, Proxy) {
  WebRequestOptions options;
  options.proxy = SiteHost("web");
  Echo echo = ParseEcho(WebRequest("http://proxied.invalid/echo", options));
  ASSERT_FALSE(echo.lines.empty());
  // WinINet names the default port, libcurl does not.
  EXPECT_TRUE(echo.lines[0] == "GET http://proxied.invalid/echo HTTP/1.1" ||
              echo.lines[0] == "GET http://proxied.invalid:80/echo HTTP/1.1")
      << echo.lines[0];
}

// Several threads at once over both schemes, through the shared cookie store
// and connections; each sees its own cookie and its own echo.
TEST(WebRequest, ConcurrentRequests) {
  const bool https = HttpsUnavailable().empty();
  constexpr int kThreads = 4, kRounds = 10;
  std::vector<int> good(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, https, &good] {
      const Text name = "t" + std::to_string(t);
      for (int i = 0; i < kRounds; ++i) {
        WebRequest(Web("/setcookie?" + name + "=" + std::to_string(i)));
        bool cookie = Find(WebRequest(Web("/cookies")), name + "=" + std::to_string(i)) != -1;
        const Text path = "/echo?" + name + "_" + std::to_string(i);
        Echo echo = ParseEcho(WebRequest(https ? Webs(path) : Web(path)));
        if (cookie && !echo.lines.empty() && echo.lines[0] == "GET " + path + " HTTP/1.1")
          ++good[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(good[t], kRounds) << t;
}

}  // namespace
