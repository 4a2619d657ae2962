// The window backend on Win32: builds the main window and its controls from the
// window table, mirrors the window state into them and delivers their events.
#include <windows.h>
#include <windowsx.h>
#include <shellapi.h>

#include <atomic>
#include <string>

#include "app/events.h"
#include "app/window_backend.h"
#include "platform/windows/window_look.h"
#include "text/codepage.h"

namespace {

// Posted to the main window: wParam is the control whose state changed.
constexpr UINT kWmApplyState = WM_APP + 1;
// Posted to the main window when another thread asks to destroy it.
constexpr UINT kWmDestroyMain = WM_APP + 2;
// Child window ids are kFirstId + the control's number.
constexpr int kFirstId = 100;

const wchar_t kMainClass[] = L"LantiskWindow";
const wchar_t kPanelClass[] = L"LantiskPanel";
const wchar_t kWindowTitle[] = L"Lantisk";

std::atomic<HWND> g_hwnd[kControlCount];
// Set while a state change of the control is posted and not yet applied, so a
// burst of writes from a worker queues one message.
std::atomic<bool> g_pending[kControlCount];
std::atomic<DWORD> g_ui_thread{0};
// The subclassed controls' own window procedures.
WNDPROC g_base_proc[kControlCount];
// The width and text colour last given to each widget.
int g_applied_width[kControlCount];
COLORREF g_applied_color[kControlCount];
// Above zero while the backend itself writes an edit box, whose EN_CHANGE is
// then no user input.
int g_setting_text = 0;
// While the creation event runs, user input waits in the queue.
bool g_holding_input = false;

HWND Handle(Control c) { return g_hwnd[static_cast<int>(c)].load(); }

bool OnUiThread() { return GetCurrentThreadId() == g_ui_thread.load(); }

// The control a window handle belongs to; 窗口 for anything else.
Control ControlOf(HWND hwnd) {
  if (!hwnd) return Control::窗口;
  const int index = GetDlgCtrlID(hwnd) - kFirstId;
  if (index > 0 && index < kControlCount && g_hwnd[index].load() == hwnd) return static_cast<Control>(index);
  return Control::窗口;
}

bool Bound(Control c, ControlEvent event) { return (TableEntry(c).events & event) != 0; }

bool IsEdit(ControlKind kind) {
  return kind == ControlKind::kEditMultiLine || kind == ControlKind::kEditReadOnly ||
         kind == ControlKind::kEditEditable;
}

bool ShowsText(ControlKind kind) {
  return kind != ControlKind::kWindow && kind != ControlKind::kPanel && kind != ControlKind::kPictureBox &&
         kind != ControlKind::kPictureButton;
}

std::wstring Wide(const Text& text) {
  const std::u16string wide = DecodeCodePage(CodePage::kGbk, text);
  return std::wstring(wide.begin(), wide.end());
}

Text Narrow(const std::wstring& wide) {
  return EncodeCodePage(CodePage::kGbk, std::u16string(wide.begin(), wide.end()));
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

int Modifiers() {
  int m = 0;
  if (GetKeyState(VK_SHIFT) < 0) m |= 1;
  if (GetKeyState(VK_CONTROL) < 0) m |= 2;
  if (GetKeyState(VK_MENU) < 0) m |= 4;
  return m;
}

// The place of a control in the main window's client area.
RECT PlaceInWindow(Control c) {
  const ControlEntry& s = TableEntry(c);
  RECT r{s.x, s.y, s.x + s.width, s.y + s.height};
  if (s.parent != Control::窗口) OffsetRect(&r, TableEntry(s.parent).x, TableEntry(s.parent).y);
  return r;
}

// 下载_标签 draws no background: what lies under it (the bar and the download
// button) is painted again first whenever its text or what is under it changes.
void RefreshDownloadArea() {
  HWND main = Handle(Control::窗口);
  if (!main) return;
  RECT r = PlaceInWindow(Control::下载_标签);
  RECT bar = PlaceInWindow(Control::下载_图片框);
  UnionRect(&r, &r, &bar);
  RedrawWindow(main, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Brings the widget of c up to date with the window state. UI thread only.
void ApplyState(Control c) {
  HWND hwnd = Handle(c);
  if (!hwnd || c == Control::窗口) return;
  const int i = static_cast<int>(c);
  const ControlEntry& s = TableEntry(c);
  const bool download_area = c == Control::下载_标签 || c == Control::下载_图片框;

  if (ShowsText(s.kind)) {
    const std::wstring text = Wide(GetText(c));
    if (text != WindowText(hwnd)) {
      ++g_setting_text;
      SetWindowTextW(hwnd, text.c_str());
      --g_setting_text;
      if (download_area) RefreshDownloadArea();
    }
  }

  const int width = GetWidth(c) < 0 ? 0 : GetWidth(c);
  if (width != g_applied_width[i]) {
    g_applied_width[i] = width;
    SetWindowPos(hwnd, nullptr, 0, 0, width, s.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (download_area) RefreshDownloadArea();
  }

  const COLORREF color = GetTextColor(c);
  if (color != g_applied_color[i]) {
    g_applied_color[i] = color;
    InvalidateRect(hwnd, nullptr, TRUE);
  }

  const bool visible = IsVisible(c);
  if (visible != ((GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0)) {
    ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
    if (download_area) RefreshDownloadArea();
  }
}

// Mouse wheel messages go to the focus window or to the window under the
// pointer, depending on the system's version and settings. The synopsis box
// takes every wheel message while the pointer is over it or it has the focus,
// and no default handling scrolls it: one notch is the one posted arrow key.
bool RouteWheel(const MSG& msg) {
  if (msg.message != WM_MOUSEWHEEL) return false;
  HWND synopsis = Handle(Control::小说简介_编辑框);
  if (!synopsis || !IsWindowVisible(synopsis)) return false;
  const POINT pointer{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
  RECT r;
  GetWindowRect(synopsis, &r);
  if (msg.hwnd != synopsis && !PtInRect(&r, pointer)) return false;
  ControlWheel(Control::小说简介_编辑框, WheelDistance(GET_WHEEL_DELTA_WPARAM(msg.wParam)), Modifiers());
  return true;
}

void Deliver(const MSG& msg) {
  if (RouteWheel(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

// Single-line edit boxes are taller than a line: the text is centred
// vertically by a non-client margin above and below it.
int EditMargin(HWND hwnd, int height) {
  const int pad = (height - LineHeight(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)))) / 2;
  return pad > 0 ? pad : 0;
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const Control c = ControlOf(hwnd);
  WNDPROC base = g_base_proc[static_cast<int>(c)];
  if (!base) return DefWindowProcW(hwnd, message, wparam, lparam);
  const ControlKind kind = TableEntry(c).kind;
  const bool single_line_edit = kind == ControlKind::kEditReadOnly || kind == ControlKind::kEditEditable;
  switch (message) {
    case WM_NCCALCSIZE:
      if (single_line_edit && wparam) {
        LRESULT result = CallWindowProcW(base, hwnd, message, wparam, lparam);
        RECT& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam)->rgrc[0];
        const int pad = EditMargin(hwnd, r.bottom - r.top);
        r.top += pad;
        r.bottom -= pad;
        return result;
      }
      break;
    case WM_NCPAINT:
      if (single_line_edit) {
        PaintEditMargin(hwnd);
        return 0;
      }
      break;
    case WM_SETFOCUS:
      if (Bound(c, kEventGotFocus)) {
        LRESULT result = CallWindowProcW(base, hwnd, message, wparam, lparam);
        ControlGotFocus(c);
        return result;
      }
      break;
    case WM_KILLFOCUS:
      if (Bound(c, kEventLostFocus)) {
        LRESULT result = CallWindowProcW(base, hwnd, message, wparam, lparam);
        ControlLostFocus(c);
        return result;
      }
      break;
    case WM_KEYDOWN:
      if (Bound(c, kEventKeyPressed)) ControlKeyPressed(c, static_cast<int>(wparam), Modifiers());
      break;
    case WM_CHAR:
      // Enter belongs to the key-pressed event; a single-line edit box would beep on it.
      if (Bound(c, kEventKeyPressed) && wparam == VK_RETURN) return 0;
      break;
    case WM_MOUSEWHEEL:
      if (Bound(c, kEventWheel)) {
        ControlWheel(c, WheelDistance(GET_WHEEL_DELTA_WPARAM(wparam)), Modifiers());
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
      if (Bound(c, kEventMouseMoved) && IsWindowVisible(hwnd)) ControlMouseMoved(c);
      break;
    case WM_LBUTTONDOWN:
      if (Bound(c, kEventLeftButtonDown)) {
        ControlLeftButtonDown(c, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam), Modifiers());
        return 0;
      }
      break;
  }
  return CallWindowProcW(base, hwnd, message, wparam, lparam);
}

// What the main window and the panel both handle for their children.
bool HandleChildMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND: {
      const Control c = ControlOf(reinterpret_cast<HWND>(lparam));
      if (c == Control::窗口) return false;
      const WORD code = HIWORD(wparam);
      // Owner-drawn buttons report a quick second click as a double click.
      if (code == BN_CLICKED || code == BN_DOUBLECLICKED) {
        if (TableEntry(c).kind == ControlKind::kButton || TableEntry(c).kind == ControlKind::kPictureButton)
          ControlClicked(c);
      } else if (code == EN_CHANGE && g_setting_text == 0 && TableEntry(c).kind == ControlKind::kEditEditable) {
        StoreUserText(c, Narrow(WindowText(reinterpret_cast<HWND>(lparam))));
      }
      result = 0;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      const Control c = ControlOf(reinterpret_cast<HWND>(lparam));
      result = reinterpret_cast<LRESULT>(ColorControl(c, reinterpret_cast<HDC>(wparam), GetTextColor(c)));
      return true;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      const Control c = ControlOf(item.hwndItem);
      if (c == Control::窗口) return false;
      DrawButton(c, item, WindowText(item.hwndItem));
      result = TRUE;
      return true;
    }
  }
  return false;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (HandleChildMessage(message, wparam, lparam, result)) return result;
  switch (message) {
    case kWmApplyState:
      if (wparam < static_cast<WPARAM>(kControlCount)) {
        g_pending[wparam].store(false);
        ApplyState(static_cast<Control>(wparam));
      }
      return 0;
    case kWmDestroyMain:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      for (auto& h : g_hwnd) h.store(nullptr);
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (HandleChildMessage(message, wparam, lparam, result)) return result;
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    PaintPanelFrame(hwnd, dc);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  wc.hbrBackground = WindowBrush();
  wc.lpszClassName = kMainClass;
  RegisterClassExW(&wc);
  wc.lpfnWndProc = PanelProc;
  wc.hIcon = nullptr;
  wc.hbrBackground = PanelBrush();
  wc.lpszClassName = kPanelClass;
  RegisterClassExW(&wc);
}

struct WidgetStyle {
  const wchar_t* window_class;
  DWORD style;
  DWORD ex_style;
};

WidgetStyle StyleOf(Control c) {
  const ControlEntry& s = TableEntry(c);
  const DWORD align = s.align == TextAlign::kCenter ? SS_CENTER : SS_LEFT;
  switch (s.kind) {
    case ControlKind::kPanel:
      return {kPanelClass, WS_CLIPCHILDREN, 0};
    case ControlKind::kPictureButton:
    case ControlKind::kButton:
      return {L"BUTTON", BS_OWNERDRAW, 0};
    case ControlKind::kLabel: {
      DWORD style = align | SS_NOPREFIX;
      // One-line captions sit in the middle of their label's height.
      if (Text(s.text).find('\n') == Text::npos) style |= SS_CENTERIMAGE;
      if (s.events & (kEventMouseMoved | kEventLeftButtonDown)) style |= SS_NOTIFY;
      return {L"STATIC", style, 0};
    }
    case ControlKind::kTransparentLabel:
      // Not clipped out of the siblings under it, and painted after them.
      return {L"STATIC", align | SS_NOPREFIX | SS_CENTERIMAGE, WS_EX_TRANSPARENT};
    case ControlKind::kPictureBox:
      return {L"STATIC", SS_LEFT, 0};
    case ControlKind::kEditMultiLine:
      return {L"EDIT", ES_MULTILINE | ES_READONLY | ES_LEFT | ES_AUTOVSCROLL, 0};
    case ControlKind::kEditReadOnly:
      return {L"EDIT", ES_READONLY | ES_CENTER | ES_AUTOHSCROLL, 0};
    case ControlKind::kEditEditable:
      return {L"EDIT", ES_CENTER | ES_AUTOHSCROLL | WS_TABSTOP, 0};
    case ControlKind::kWindow:
      break;
  }
  return {L"STATIC", 0, 0};
}

bool NeedsSubclass(Control c) {
  const ControlEntry& s = TableEntry(c);
  // Buttons report their clicks to the parent; single-line edit boxes need
  // their margins.
  if (s.kind == ControlKind::kEditReadOnly || s.kind == ControlKind::kEditEditable) return true;
  return s.events != kEventNone && s.kind != ControlKind::kButton && s.kind != ControlKind::kPictureButton;
}

// Creates every control of the table from the current window state. The
// table lists upper controls first; each control is put right under the one
// created before it in the same parent, so overlapping controls are layered
// as the table says.
void CreateControls(HINSTANCE instance) {
  HWND previous[kControlCount] = {};
  for (int i = 1; i < kControlCount; ++i) {
    const Control c = static_cast<Control>(i);
    const ControlEntry& s = TableEntry(c);
    HWND parent = Handle(s.parent);
    const WidgetStyle look = StyleOf(c);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | look.style;
    if (IsVisible(c)) style |= WS_VISIBLE;
    const int width = GetWidth(c) < 0 ? 0 : GetWidth(c);
    const std::wstring text = ShowsText(s.kind) ? Wide(GetText(c)) : std::wstring();
    HWND hwnd = CreateWindowExW(look.ex_style, look.window_class, text.c_str(), style, s.x, s.y, width, s.height,
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + i)), instance,
                                nullptr);
    if (!hwnd) continue;
    g_hwnd[i].store(hwnd);
    g_applied_width[i] = width;
    g_applied_color[i] = GetTextColor(c);
    if (s.font_height > 0) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(c)), FALSE);
    if (IsEdit(s.kind)) SendMessageW(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(4, 4));
    if (NeedsSubclass(c)) {
      g_base_proc[i] = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
    }
    HWND& above = previous[static_cast<int>(s.parent)];
    SetWindowPos(hwnd, above ? above : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    above = hwnd;
  }
}

}  // namespace

void BackendPropertyChanged(Control c) {
  HWND main = Handle(Control::窗口);
  if (!main) return;  // the window is built from the state when it is created
  if (OnUiThread()) {
    ApplyState(c);
    return;
  }
  const int i = static_cast<int>(c);
  if (g_pending[i].exchange(true)) return;
  if (!PostMessageW(main, kWmApplyState, static_cast<WPARAM>(i), 0)) g_pending[i].store(false);
}

NativeHandle BackendNativeHandle(Control c) { return reinterpret_cast<NativeHandle>(Handle(c)); }

intptr_t BackendSendMainWindowMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  HWND main = Handle(Control::窗口);
  if (!main) return 0;
  // The pressed label holds the mouse capture; the system's move loop needs it.
  ReleaseCapture();
  return SendMessageA(main, message, wparam, lparam);
}

bool BackendPostMessage(NativeHandle handle, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return PostMessageA(reinterpret_cast<HWND>(handle), message, wparam, lparam) != 0;
}

void BackendDestroyMainWindow() {
  HWND main = Handle(Control::窗口);
  if (!main) return;
  if (OnUiThread()) {
    DestroyWindow(main);
  } else {
    PostMessageW(main, kWmDestroyMain, 0, 0);
  }
}

void BackendOpenInBrowser(const Text& url) {
  const std::wstring address = Wide(url);
  ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void BackendRunWindow() {
  g_ui_thread.store(GetCurrentThreadId());
  SetProcessEventsHook(BackendProcessEvents);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterClasses(instance);
  // A borderless window: the title strip and the close button are controls.
  HWND main = CreateWindowExW(WS_EX_APPWINDOW, kMainClass, kWindowTitle,
                              WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, kWindowX, kWindowY,
                              kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);
  if (!main) return;
  g_hwnd[0].store(main);
  CreateControls(instance);
  ShowWindow(main, SW_SHOWNORMAL);
  UpdateWindow(main);

  g_holding_input = true;
  WindowCreated();
  g_holding_input = false;

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) Deliver(msg);
}

void BackendProcessEvents() {
  // During the creation event only painting, sent and posted messages are
  // handled; input waits until the event has returned.
  const UINT filter = g_holding_input && OnUiThread() ? (PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE) : 0;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | filter)) {
    if (msg.message == WM_QUIT) {
      // Left for the message loop, which ends on it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Deliver(msg);
  }
}
