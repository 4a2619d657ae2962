// The shared state's one instance.
#include "app/shared_state.h"

#include <vector>

namespace {
std::atomic<SharedState*> g_state{nullptr};
std::mutex g_create_mutex;
}  // namespace

void SharedState::WriteSlot(int s, const ResultSlot& slot) {
  if (s < 1 || s > 5) return;
  std::lock_guard<std::mutex> lock(results_mutex);
  ResultTitles.Locked(s) = slot.title;
  ResultAuthors.Locked(s) = slot.author;
  ResultLatest.Locked(s) = slot.latest;
  ResultIntros.Locked(s) = slot.intro;
  ResultLinks.Locked(s) = slot.link;
}

ResultSlot SharedState::ReadSlot(int s) {
  if (s < 1 || s > 5) return {};
  std::lock_guard<std::mutex> lock(results_mutex);
  return {ResultTitles.Locked(s), ResultAuthors.Locked(s), ResultLatest.Locked(s),
          ResultIntros.Locked(s), ResultLinks.Locked(s)};
}

SharedState& State() {
  SharedState* state = g_state.load();
  if (state) return *state;
  std::lock_guard<std::mutex> lock(g_create_mutex);
  if (!g_state.load()) g_state.store(new SharedState());
  return *g_state.load();
}

void ResetSharedState() {
  // The instances replaced stay reachable: a worker of an earlier start may
  // still be using one.
  static std::vector<SharedState*>* retired = new std::vector<SharedState*>();
  std::lock_guard<std::mutex> lock(g_create_mutex);
  if (SharedState* old = g_state.load()) retired->push_back(old);
  g_state.store(new SharedState());
}
