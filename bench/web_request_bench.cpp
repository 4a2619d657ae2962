// WebRequest over HTTPS from the loopback test site: 300 pages fetched by three
// threads (as the three chapter workers do), once through the shared
// connection and TLS session caches, once with a new connection and a full
// handshake per request. Prints requests per second for each.
//
//   web_request_bench [sites.env]
//
// Without an argument it starts the test sites itself (python3; not possible
// under wine, which must be given the file) and stops them after. libcurl must trust the sites' CA: run as root (the sites install it
// in the system store) or set SSL_CERT_FILE to the ca.pem beside sites.env.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "net/transport.h"
#include "net/web_request.h"

namespace {

constexpr int kPages = 300;
constexpr int kThreads = 3;
constexpr char kPage[] = "/large?bytes=20000";  // about one chapter

std::string SiteHost(const std::string& env_file, const std::string& name) {
  std::ifstream file(env_file);
  for (std::string line; std::getline(file, line);)
    if (line.rfind(name + "=", 0) == 0) return line.substr(name.size() + 1);
  return {};
}

// Requests per second, or -1 when a page did not arrive whole.
double Run(const std::string& url) {
  std::atomic<int> next{0};
  std::atomic<bool> bad{false};
  auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      while (next.fetch_add(1) < kPages)
        if (WebRequest(url).size() != 20000) bad = true;
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  return bad ? -1 : kPages / seconds.count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string server =
      std::string("python3 ") + LANTISK_SOURCE_DIR + "/tests/sites/server.py";
  const std::string state = std::string(LANTISK_BINARY_DIR) + "/bench-sites";
  std::string env_file = argc > 1 ? argv[1] : state + "/sites.env";
  if (argc <= 1 && std::system((server + " start --state " + state).c_str()) != 0) {
    std::fprintf(stderr, "could not start the test sites\n");
    return 1;
  }

  const std::string url = "https://" + SiteHost(env_file, "webs") + kPage;
  SetTransportConnectionReuse(true);
  double shared = Run(url);
  SetTransportConnectionReuse(false);
  double fresh = Run(url);

  if (argc <= 1) std::system((server + " stop --state " + state).c_str());
  if (shared < 0 || fresh < 0) {
    std::fprintf(stderr, "pages did not arrive from %s (is the CA trusted?)\n", url.c_str());
    return 1;
  }
  std::printf("%d HTTPS pages of 20000 bytes, %d threads:\n", kPages, kThreads);
  std::printf("  shared connections and TLS sessions: %8.1f requests/s\n", shared);
  std::printf("  new connection per request:          %8.1f requests/s\n", fresh);
  return 0;
}
