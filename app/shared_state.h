// The program-wide values every part reads or writes. Arrays are numbered
// from 1 and keep their sizes; an element outside the range reads as empty
// (or 0) and is not written.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "text/text.h"

// A fixed array of N elements, 1-based, whose every read and write holds the
// mutex it is given. Several arrays can share one mutex, so that a group of
// writes (one result slot) is seen whole or not at all.
template <typename T, int N>
class GuardedArray {
 public:
  explicit GuardedArray(std::mutex& mutex) : mutex_(mutex) {}
  static constexpr int size() { return N; }
  T operator[](int i) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Valid(i) ? values_[i] : T{};
  }
  void Set(int i, const T& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (Valid(i)) values_[i] = value;
  }
  // For arrays of texts: appends to element i.
  void Append(int i, const T& more) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (Valid(i)) values_[i] += more;
  }
  // Element access for a caller that already holds the mutex.
  T& Locked(int i) { return values_[Valid(i) ? i : 0]; }

 private:
  static bool Valid(int i) { return i >= 1 && i <= N; }
  std::mutex& mutex_;
  std::array<T, N + 1> values_{};  // element 0 is unused
};

// A growable 1-based list of texts, replaced as a whole.
class GuardedList {
 public:
  int32_t Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int32_t>(values_.size());
  }
  Text operator[](int i) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return (i >= 1 && i <= static_cast<int>(values_.size())) ? values_[i - 1] : Text();
  }
  void Replace(TextList values) {
    std::lock_guard<std::mutex> lock(mutex_);
    values_ = std::move(values);
  }

 private:
  mutable std::mutex mutex_;
  TextList values_;
};

// A guarded single text.
class GuardedText {
 public:
  Text Get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return value_;
  }
  void Set(const Text& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    value_ = value;
  }

 private:
  mutable std::mutex mutex_;
  Text value_;
};

// The five texts of one result slot.
struct ResultSlot {
  Text title, author, latest, intro, link;
};

struct SharedState {
  // Guards the five result arrays and SourceAInfo: an old and a new search
  // may write the same slot at once.
  std::mutex results_mutex;
  GuardedArray<Text, 5> ResultTitles{results_mutex};
  GuardedArray<Text, 5> ResultAuthors{results_mutex};
  GuardedArray<Text, 5> ResultLatest{results_mutex};
  GuardedArray<Text, 5> ResultIntros{results_mutex};
  std::mutex counters_mutex;
  GuardedArray<int32_t, 5> DownloadCounters{counters_mutex};
  std::mutex books_mutex;
  GuardedArray<Text, 4> BookTexts{books_mutex};
  GuardedArray<Text, 3> SourceAInfo{results_mutex};
  GuardedArray<Text, 5> ResultLinks{results_mutex};
  GuardedList ChapterUrls;
  GuardedText CatalogueHtml;
  GuardedText OutputPath;

  std::atomic<int32_t> SelectedSlot{0};
  std::atomic<int32_t> SearchCooldown{0};
  std::atomic<int32_t> SearchFailures{0};
  std::atomic<int32_t> ChaptersDone{0};

  // Writes slot s of the five result arrays as one step.
  void WriteSlot(int s, const ResultSlot& slot);
  ResultSlot ReadSlot(int s);
};

// The one instance. It is made by the start routine (or on first use) and
// never destroyed while the process runs: detached workers may still use it
// when the window is gone.
SharedState& State();
// Replaces the instance by a fresh one (tests: a new program start). The old
// one is left to any worker that still holds it.
void ResetSharedState();
