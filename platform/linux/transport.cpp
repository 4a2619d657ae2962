// The HTTP transport contract on Linux: libcurl, made to behave as WinINet
// does for WebRequest (redirects, one cookie store, system CA store, no proxy
// from the environment, the raw header block of the final response).
//
// Cookies, DNS and TLS sessions live in one curl share. The connection cache
// does not: libcurl documents a shared connection cache as unsafe between
// concurrent threads, so connections stay with the easy handles, which are
// kept in a pool and reused. A reused handle gets every option set again
// rather than curl_easy_reset, which leaks in libcurl 7.88 once the cookie
// engine is on.
#include "net/transport.h"

#include <curl/curl.h>

#include <atomic>
#include <condition_variable>  // std::chrono, which cannot be included directly
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

// A header block longer than this is abandoned: no server sends one honestly.
constexpr size_t kMaxHeaderBytes = size_t{1} << 20;
// As many as the Windows backend follows; a loop must end.
constexpr long kMaxRedirects = 30;


class Client {
 public:
  Client() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    share_ = curl_share_init();
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &Client::Lock);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &Client::Unlock);
    curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
  }

  // A handle of the pool for requests with or without the cookie engine: a
  // handle keeps the engine once it has it, so the two kinds never mix.
  CURL* Take(bool cookies) {
    {
      std::lock_guard<std::mutex> lock(pool_mutex_);
      std::vector<CURL*>& pool = pools_[cookies];
      if (!pool.empty()) {
        CURL* handle = pool.back();
        pool.pop_back();
        return handle;
      }
    }
    CURL* handle = curl_easy_init();
    if (!handle) return nullptr;
    curl_easy_setopt(handle, CURLOPT_SHARE, share_);
    if (cookies) curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
    return handle;
  }

  void Give(CURL* handle, bool cookies) {
    std::lock_guard<std::mutex> lock(pool_mutex_);
    pools_[cookies].push_back(handle);
  }

 private:
  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
    static_cast<Client*>(self)->locks_[data].lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* self) {
    static_cast<Client*>(self)->locks_[data].unlock();
  }

  CURLSH* share_;
  std::mutex locks_[CURL_LOCK_DATA_LAST];
  std::mutex pool_mutex_;
  std::vector<CURL*> pools_[2];
};

// Never destroyed: detached workers may still be in a request at exit.
Client& TheClient() {
  static Client* client = new Client;
  return *client;
}

using Clock = std::chrono::steady_clock;

struct Received {
  Bytes body;
  Text headers;
  bool too_large = false;
  bool timed_out = false;
  // The idle time-out: the transfer ends when no byte has moved for idle.
  Clock::duration idle{};
  Clock::time_point last_activity = Clock::now();
  curl_off_t last_count = -1;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  Received& received = *static_cast<Received*>(user);
  size_t n = size * count;
  if (received.body.size() + n > kMaxBodyBytes) {
    received.too_large = true;
    return 0;
  }
  received.body.append(data, n);
  return n;
}

// Keeps the block of the last response only: each status line (of a redirect,
// a "100 Continue", the final response) starts a new block.
size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  Received& received = *static_cast<Received*>(user);
  size_t n = size * count;
  if (n >= 5 && Text(data, 5) == "HTTP/") received.headers.clear();
  if (received.headers.size() + n > kMaxHeaderBytes) {
    received.too_large = true;
    return 0;
  }
  received.headers.append(data, n);
  return n;
}

// libcurl's own low-speed check averages over several seconds, so it lets a
// server that sent a little and then stalled hold on longer than the idle
// time-out; counting from the last byte is exact.
int OnProgress(void* user, curl_off_t down_total, curl_off_t down_now, curl_off_t up_total,
               curl_off_t up_now) {
  (void)down_total;
  (void)up_total;
  Received& received = *static_cast<Received*>(user);
  Clock::time_point now = Clock::now();
  if (down_now + up_now != received.last_count) {
    received.last_count = down_now + up_now;
    received.last_activity = now;
  } else if (now - received.last_activity > received.idle) {
    received.timed_out = true;
    return 1;
  }
  return 0;
}

// The header text as curl lines, plus blank entries that switch off what curl
// would add by itself and WinINet does not send.
curl_slist* HeaderList(const Text& headers) {
  curl_slist* list = nullptr;
  bool accept = false;
  for (const Text& line : Split(headers, "\r\n")) {
    if (line.empty()) continue;
    if (ToLower(Left(line, 7)) == "accept:") accept = true;
    list = curl_slist_append(list, line.c_str());
  }
  if (!accept) list = curl_slist_append(list, "Accept:");
  list = curl_slist_append(list, "Expect:");
  return list;
}

}  // namespace

bool HttpTransport(HttpExchange& exchange) {
  Client& client = TheClient();
  bool cookies = (exchange.flags & kFlagNoCookies) == 0;
  CURL* curl = client.Take(cookies);
  if (!curl) return false;

  bool secure = (exchange.flags & kFlagSecure) != 0;
  // The default port stays out of the URL, as it does from a proxy's request line.
  Text url = (secure ? "https://" : "http://") + exchange.host;
  if (exchange.port != (secure ? 443 : 80)) url += ":" + std::to_string(exchange.port);
  url += exchange.path;
  Text proxy = exchange.proxy.rfind("http=", 0) == 0 ? exchange.proxy.substr(5) : exchange.proxy;
  curl_slist* headers = HeaderList(exchange.headers);
  Received received;

  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(curl, CURLOPT_USERAGENT, exchange.agent.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  // An empty proxy text makes curl ignore the proxy environment variables.
  curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, (exchange.flags & kFlagNoAutoRedirect) ? 0L : 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  // libcurl's built-in CA path wins over OpenSSL's SSL_CERT_FILE, so it is
  // handed over explicitly.
  if (const char* ca = std::getenv("SSL_CERT_FILE"); ca && *ca)
    curl_easy_setopt(curl, CURLOPT_CAINFO, ca);

  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
  if (exchange.verb == "HEAD") curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  if (exchange.verb != "GET") {
    // Set after NOBODY: a HEAD still sends its body, and awaits none.
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(exchange.body.size()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, exchange.body.data());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, exchange.verb.c_str());
  }

  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(TransportConnectTimeoutMs()));
  received.idle = std::chrono::milliseconds(TransportIdleTimeoutMs());
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &received);
  const bool reuse = TransportReusesConnections();
  curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, reuse ? 0L : 1L);
  curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, reuse ? 0L : 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_SESSIONID_CACHE, reuse ? 1L : 0L);

  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &received);

  CURLcode result = curl_easy_perform(curl);
  curl_slist_free_all(headers);
  client.Give(curl, cookies);

  // A time-out, a redirect loop or an oversized response is a failure; a
  // connection that breaks off keeps what arrived, as WinINet's reads do.
  if (result == CURLE_OPERATION_TIMEDOUT || result == CURLE_TOO_MANY_REDIRECTS ||
      received.timed_out || received.too_large)
    return true;
  exchange.response_body = std::move(received.body);
  exchange.raw_headers = std::move(received.headers);
  return true;
}
