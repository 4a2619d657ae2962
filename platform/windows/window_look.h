// The look of the Win32 window: fonts with their fallback faces, colours,
// and the drawing of the owner-drawn buttons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/controls.h"

// The font of a control at its height in the window table, created once.
HFONT ControlFont(Control c);
// The height of one line of text in the font.
int LineHeight(HFONT font);

HBRUSH WindowBrush();
HBRUSH PanelBrush();
// Answers WM_CTLCOLOR* for the control: sets the DC's colours and returns
// the background brush. state_color is the control's text colour in the
// window state; kColorDefault leaves the control's own colour.
HBRUSH ColorControl(Control c, HDC dc, uint32_t state_color);
// Fills the margin an edit box keeps around its text.
void PaintEditMargin(HWND edit);
void PaintPanelFrame(HWND panel, HDC dc);
void DrawButton(Control c, const DRAWITEMSTRUCT& item, const std::wstring& caption);
