// The headless window's test driver: starts the program without a screen and
// acts as its user, by control name, on the calling thread (which plays the
// UI thread). It records what the program sent, posted and opened.
#pragma once

#include <cstdint>
#include <vector>

#include "app/settings.h"
#include "app/window.h"

namespace headless {

// A fresh start: new shared state, the window table's initial state, the
// settings read through `lookup`, then the creation event.
void StartProgram(EnvironmentLookup lookup = nullptr);

void Click(Control c);
// Moves the focus to c (the control that had it loses it first); nullptr-like
// Control::窗口 takes the focus away from every control.
void Focus(Control c);
void Unfocus();
// Focuses 搜索_编辑框 and types text into it, replacing what it held.
void Type(const Text& text);
void PressKey(Control c, int key);
// A wheel message with the raw delta (120 per notch, positive away from the user).
void Wheel(Control c, int raw_delta);
void MoveOver(Control c);
void PressLeftButton(Control c);

struct Message {
  NativeHandle handle;
  uint32_t message;
  uintptr_t wparam;
  intptr_t lparam;
};
std::vector<Message> PostedMessages();
std::vector<Message> SentMessages();
std::vector<Text> OpenedUrls();
// Every message that became visible in 提示_标签 since the start, in order.
std::vector<Text> MessagesShown();
bool WindowDestroyed();

// Waits until no more than `remaining` workers run; false when more still
// run after timeout_ms.
bool WaitForWorkers(int remaining = 0, int timeout_ms = 60000);

}  // namespace headless
