// Detached worker threads, counted while they run.
#include "app/workers.h"

#include <atomic>
#include <thread>

namespace {
std::atomic<int> g_running{0};
}  // namespace

void StartWorker(void (*routine)()) {
  ++g_running;
  std::thread([routine] {
    routine();
    --g_running;
  }).detach();
}

int RunningWorkers() { return g_running.load(); }
