// A clock the tests move by hand (SleepMs blocks until the test advances it
// far enough), and the start of an offline program that uses it.
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>

#include "platform/headless/driver.h"
#include "text/text.h"

class FakeClock {
 public:
  static void Install() {
    {
      FakeClock& c = Get();
      std::lock_guard<std::mutex> lock(c.mutex_);
      c.now_ = 0;
      c.free_ = false;
    }
    SetSleepHook(&FakeClock::Sleep);
  }
  // From now on every sleep returns at once, so that running workers finish.
  static void Release() {
    FakeClock& c = Get();
    std::lock_guard<std::mutex> lock(c.mutex_);
    c.free_ = true;
    c.changed_.notify_all();
  }
  static void Advance(int ms) {
    FakeClock& c = Get();
    std::lock_guard<std::mutex> lock(c.mutex_);
    c.now_ += ms;
    c.changed_.notify_all();
  }
  // Advances the clock and waits until a sleeper has started its next sleep.
  static bool AdvanceToNextSleep(int ms) {
    FakeClock& c = Get();
    std::unique_lock<std::mutex> lock(c.mutex_);
    const long long calls = c.calls_;
    c.now_ += ms;
    c.changed_.notify_all();
    return c.changed_.wait_for(lock, std::chrono::seconds(10), [&] { return c.calls_ > calls; });
  }
  // Waits until `count` threads sleep; false after a few seconds.
  static bool WaitForSleepers(int count) {
    FakeClock& c = Get();
    std::unique_lock<std::mutex> lock(c.mutex_);
    return c.changed_.wait_for(lock, std::chrono::seconds(10), [&] { return c.sleepers_ == count; });
  }

 private:
  static FakeClock& Get() {
    static FakeClock* clock = new FakeClock();
    return *clock;
  }
  static void Sleep(int ms) {
    FakeClock& c = Get();
    std::unique_lock<std::mutex> lock(c.mutex_);
    const long long until = c.now_ + ms;
    ++c.sleepers_;
    ++c.calls_;
    c.changed_.notify_all();
    c.changed_.wait(lock, [&] { return c.free_ || c.now_ >= until; });
    --c.sleepers_;
    c.changed_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  long long now_ = 0;
  int sleepers_ = 0;
  long long calls_ = 0;
  bool free_ = false;
};

// Settings under which every site refuses at once: nothing listens on port 1.
inline const char* UnreachableSites(const char* name) {
  return std::strncmp(name, "LANTISK_", 8) == 0 ? "127.0.0.1:1" : nullptr;
}

// A fresh program start with unreachable sites whose cool-down runs on the
// fake clock; every worker has ended when the test does.
class OfflineProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeClock::Install();
    headless::StartProgram(UnreachableSites);
  }
  void TearDown() override {
    FakeClock::Release();
    EXPECT_TRUE(headless::WaitForWorkers());
  }
};
