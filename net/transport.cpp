// The limits and the connection switch that both transports read.
#include "net/transport.h"

#include <atomic>

namespace {
std::atomic<int> g_connect_ms{kConnectTimeoutMs};
std::atomic<int> g_idle_ms{kIdleTimeoutMs};
std::atomic<bool> g_reuse{true};
}  // namespace

void SetTransportTimeouts(int connect_ms, int idle_ms) {
  g_connect_ms = connect_ms;
  g_idle_ms = idle_ms;
}

int TransportConnectTimeoutMs() { return g_connect_ms; }
int TransportIdleTimeoutMs() { return g_idle_ms; }

void SetTransportConnectionReuse(bool reuse) { g_reuse = reuse; }
bool TransportReusesConnections() { return g_reuse; }
