// The window layer: every part of the program reads and writes the controls
// through these calls, by name, from any thread. The state kept here is the
// truth: a write is in effect when the call returns, and the next read from
// any thread sees it. The window backend mirrors it into real widgets.
#pragma once

#include <cstdint>

#include "app/controls.h"
#include "text/text.h"

using NativeHandle = intptr_t;

// Colours are 0x00BBGGRR; 255 is pure red.
constexpr uint32_t kColorRed = 0x000000FF;
constexpr uint32_t kColorDefault = 0x00000000;

// Text of an edit box or label, caption of a button.
Text GetText(Control c);
void SetText(Control c, const Text& text);
bool IsVisible(Control c);
void SetVisible(Control c, bool visible);
int GetWidth(Control c);
void SetWidth(Control c, int width);
uint32_t GetTextColor(Control c);
void SetTextColor(Control c, uint32_t color);

// The control's native window handle (what the platform's messages address).
NativeHandle GetNativeHandle(Control c);
// Sends a message to 窗口 and waits until it is handled.
intptr_t SendMainWindowMessage(uint32_t message, uintptr_t wparam, intptr_t lparam);
// Queues a message to a native handle and returns at once; false when it could not be queued.
bool PostWindowMessage(NativeHandle handle, uint32_t message, uintptr_t wparam, intptr_t lparam);
void DestroyMainWindow();

// Shows a message to the user: the caption of 提示_标签, then makes it visible.
void ShowMessage(const Text& message);
// Hands an address to the system shell's "open" action (the default browser).
void OpenInBrowser(const Text& url);

// Puts every control back to the window table's initial state.
void ResetWindowState();

// For the backends: what the user typed into an edit box. It updates the
// state without being mirrored back into the widget.
void StoreUserText(Control c, const Text& text);

// Windows message values the program uses.
constexpr uint32_t kWmNcLButtonDown = 0x00A1;
constexpr uintptr_t kHtCaption = 2;
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr int kVkDown = 0x28;
constexpr int kVkUp = 0x26;
constexpr int kKeyEnter = 13;
constexpr int kWheelUnit = 120;
