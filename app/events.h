// The events of the main window's controls. Backends call these on the UI
// thread; each goes to the one handler bound to that control and event.
#pragma once

#include "app/controls.h"

void WindowCreated();
void ControlClicked(Control c);
void ControlGotFocus(Control c);
void ControlLostFocus(Control c);
void ControlKeyPressed(Control c, int key, int modifiers);
// distance: the raw wheel delta divided by 120, truncated towards zero
// (one notch away from the user is 1, towards the user -1).
void ControlWheel(Control c, int distance, int modifiers);
void ControlMouseMoved(Control c);
void ControlLeftButtonDown(Control c, int x, int y, int modifiers);

// The wheel distance of a raw wheel delta (the signed high word of the
// message's first parameter).
int WheelDistance(int raw_delta);
