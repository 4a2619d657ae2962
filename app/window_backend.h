// The window-backend contract: what a window toolkit provides to the window
// layer. The headless backend (tests), FLTK (Linux) and Win32 (Windows) each
// implement it in a window.cpp of their platform folder.
#pragma once

#include <cstdint>

#include "app/window.h"

// A property of the control changed in the window state (called from any
// thread, never with the state locked). The backend brings the widget up to
// date on the UI thread; it must not wait for the UI thread.
void BackendPropertyChanged(Control c);

NativeHandle BackendNativeHandle(Control c);
intptr_t BackendSendMainWindowMessage(uint32_t message, uintptr_t wparam, intptr_t lparam);
bool BackendPostMessage(NativeHandle handle, uint32_t message, uintptr_t wparam, intptr_t lparam);
void BackendDestroyMainWindow();
void BackendOpenInBrowser(const Text& url);

// Builds and shows the main window from the window table and the current
// state, runs the creation event (WindowCreated) before any input, then runs
// the message loop until the window is destroyed.
void BackendRunWindow();

// Handles the window events pending for the calling thread.
void BackendProcessEvents();
