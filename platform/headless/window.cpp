// The headless window backend: the window state alone, with the test driver
// that plays the user and records what reached the window.
#include <mutex>
#include <thread>

#include "app/events.h"
#include "app/shell.h"
#include "app/window_backend.h"
#include "app/workers.h"
#include "platform/headless/driver.h"

namespace {

struct Record {
  std::mutex mutex;
  std::vector<headless::Message> posted;
  std::vector<headless::Message> sent;
  std::vector<Text> opened;
  std::vector<Text> messages;
  bool message_visible = false;
  bool destroyed = false;
  Control focus = Control::窗口;
};

Record& Recorded() {
  static Record* record = new Record();
  return *record;
}

constexpr NativeHandle kHandleBase = 0x1000;

// A copy of one recorded list, taken under the record's lock.
template <typename T>
T Copy(T Record::*field) {
  Record& r = Recorded();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.*field;
}

}  // namespace

// The message label's changes are kept as the messages a user would have seen.
void BackendPropertyChanged(Control c) {
  if (c != Control::提示_标签) return;
  Record& r = Recorded();
  std::lock_guard<std::mutex> lock(r.mutex);
  const bool visible = IsVisible(c);
  if (visible) {
    const Text text = GetText(c);
    if (!r.message_visible || r.messages.empty() || r.messages.back() != text) r.messages.push_back(text);
  }
  r.message_visible = visible;
}

NativeHandle BackendNativeHandle(Control c) { return kHandleBase + static_cast<int>(c); }

intptr_t BackendSendMainWindowMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  Record& r = Recorded();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.sent.push_back({BackendNativeHandle(Control::窗口), message, wparam, lparam});
  return 0;
}

bool BackendPostMessage(NativeHandle handle, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  Record& r = Recorded();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.posted.push_back({handle, message, wparam, lparam});
  return true;
}

void BackendDestroyMainWindow() {
  Record& r = Recorded();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.destroyed = true;
}

void BackendOpenInBrowser(const Text& url) {
  Record& r = Recorded();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.opened.push_back(url);
}

void BackendRunWindow() { WindowCreated(); }

void BackendProcessEvents() {}

namespace headless {

void StartProgram(EnvironmentLookup lookup) {
  {
    Record& r = Recorded();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.posted.clear();
    r.sent.clear();
    r.opened.clear();
    r.messages.clear();
    r.message_visible = false;
    r.destroyed = false;
    r.focus = Control::窗口;
  }
  PrepareProgram(lookup);
  SetProcessEventsHook(BackendProcessEvents);
  BackendRunWindow();
}

void Click(Control c) { ControlClicked(c); }

void Focus(Control c) {
  Control previous;
  {
    Record& r = Recorded();
    std::lock_guard<std::mutex> lock(r.mutex);
    previous = r.focus;
    r.focus = c;
  }
  if (previous == c) return;
  if (previous != Control::窗口) ControlLostFocus(previous);
  if (c != Control::窗口) ControlGotFocus(c);
}

void Unfocus() { Focus(Control::窗口); }

void Type(const Text& text) {
  Focus(Control::搜索_编辑框);
  StoreUserText(Control::搜索_编辑框, text);
}

void PressKey(Control c, int key) { ControlKeyPressed(c, key, 0); }

void Wheel(Control c, int raw_delta) { ControlWheel(c, WheelDistance(raw_delta), 0); }

void MoveOver(Control c) { ControlMouseMoved(c); }

void PressLeftButton(Control c) { ControlLeftButtonDown(c, 1, 1, 0); }

std::vector<Message> PostedMessages() { return Copy(&Record::posted); }

std::vector<Message> SentMessages() { return Copy(&Record::sent); }

std::vector<Text> OpenedUrls() { return Copy(&Record::opened); }

std::vector<Text> MessagesShown() { return Copy(&Record::messages); }

bool WindowDestroyed() {
  Record& r = Recorded();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.destroyed;
}

bool WaitForWorkers(int remaining, int timeout_ms) {
  for (int waited = 0; RunningWorkers() > remaining; waited += 5) {
    if (waited >= timeout_ms) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace headless
