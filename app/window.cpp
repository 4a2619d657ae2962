// The window state behind one mutex, and the calls that reach the backend.
#include "app/window.h"

#include <mutex>

#include "app/window_backend.h"

namespace {

struct ControlState {
  Text text;
  bool visible = false;
  int width = 0;
  uint32_t color = kColorDefault;
};

struct WindowState {
  std::mutex mutex;
  ControlState controls[kControlCount];

  WindowState() { Reset(); }
  void Reset() {
    for (int i = 0; i < kControlCount; ++i) {
      const ControlEntry& entry = TableEntry(static_cast<Control>(i));
      controls[i] = ControlState{entry.text, entry.visible, entry.width, kColorDefault};
    }
  }
};

// Never destroyed: detached workers may still write controls while the
// process ends.
WindowState& Controls() {
  static WindowState* state = new WindowState();
  return *state;
}

template <typename F>
auto Read(Control c, F f) {
  WindowState& s = Controls();
  std::lock_guard<std::mutex> lock(s.mutex);
  return f(s.controls[static_cast<int>(c)]);
}

template <typename F>
void Write(Control c, F f, bool mirror = true) {
  WindowState& s = Controls();
  bool changed;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    changed = f(s.controls[static_cast<int>(c)]);
  }
  if (changed && mirror) BackendPropertyChanged(c);
}

// Writes one property; the backend hears of it only when it changed.
template <typename T>
void Assign(Control c, T ControlState::*field, const T& value) {
  Write(c, [&](ControlState& s) {
    if (s.*field == value) return false;
    s.*field = value;
    return true;
  });
}

template <typename T>
T Property(Control c, T ControlState::*field) {
  return Read(c, [&](const ControlState& s) { return s.*field; });
}

}  // namespace

Text GetText(Control c) { return Property(c, &ControlState::text); }
void SetText(Control c, const Text& text) { Assign(c, &ControlState::text, text); }
bool IsVisible(Control c) { return Property(c, &ControlState::visible); }
void SetVisible(Control c, bool visible) { Assign(c, &ControlState::visible, visible); }
int GetWidth(Control c) { return Property(c, &ControlState::width); }
void SetWidth(Control c, int width) { Assign(c, &ControlState::width, width); }
uint32_t GetTextColor(Control c) { return Property(c, &ControlState::color); }
void SetTextColor(Control c, uint32_t color) { Assign(c, &ControlState::color, color); }

void StoreUserText(Control c, const Text& text) {
  Write(
      c,
      [&](ControlState& s) {
        s.text = text;
        return true;
      },
      false);
}

NativeHandle GetNativeHandle(Control c) { return BackendNativeHandle(c); }

intptr_t SendMainWindowMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return BackendSendMainWindowMessage(message, wparam, lparam);
}

bool PostWindowMessage(NativeHandle handle, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return BackendPostMessage(handle, message, wparam, lparam);
}

void DestroyMainWindow() { BackendDestroyMainWindow(); }

void ShowMessage(const Text& message) {
  SetText(Control::提示_标签, message);
  SetVisible(Control::提示_标签, true);
}

void OpenInBrowser(const Text& url) { BackendOpenInBrowser(url); }

void ResetWindowState() {
  WindowState& s = Controls();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.Reset();
  }
  for (int i = 0; i < kControlCount; ++i) BackendPropertyChanged(static_cast<Control>(i));
}
