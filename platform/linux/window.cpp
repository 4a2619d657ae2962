// The Linux window backend on FLTK 1.3: builds the main window from the window
// table, mirrors the window state into it on the UI thread, and runs its loop.
#include <FL/Fl.H>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <bitset>
#include <mutex>
#include <thread>

#include "app/events.h"
#include "app/window_backend.h"
#include "platform/linux/window_widgets.h"

extern char** environ;

namespace {

// Widgets and views are touched on the UI thread only; the handles are read
// from any thread.
MainWindow* g_window = nullptr;
Fl_Widget* g_widgets[kControlCount] = {};
ControlView* g_views[kControlCount] = {};
std::atomic<NativeHandle> g_handles[kControlCount] = {};
std::atomic<bool> g_running{false};
// Until the creation event has returned, handling pending events may only
// draw: no input reaches a control before it.
bool g_created = false;
std::thread::id g_ui_thread;

// Controls whose state changed and are not yet mirrored. The UI thread
// drains the set; other threads wake it with Fl::awake once per batch, so a
// burst of writes cannot overflow FLTK's wake-up queue.
struct Pending {
  std::mutex mutex;
  std::bitset<kControlCount> dirty;
  bool built = false;       // the widgets exist: changes must be mirrored
  bool wake_queued = false;  // an Fl::awake call is on its way
};
Pending g_pending;

bool OnUiThread() { return g_running && std::this_thread::get_id() == g_ui_thread; }

Fl_Color ToFlColor(uint32_t bgr) {
  return palette::Rgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// The widget text of a state text: UTF-8 with "\n" line breaks.
std::string DisplayText(const Text& gbk) {
  const std::string utf8 = GbkToUtf8(gbk);
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] != '\r') {
      out += utf8[i];
    } else if (i + 1 >= utf8.size() || utf8[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

void Apply(Control c) {
  const int i = static_cast<int>(c);
  Fl_Widget* w = g_widgets[i];
  if (!w) return;
  const ControlEntry& entry = TableEntry(c);
  if (ControlView* view = g_views[i]) {
    view->ShowText(DisplayText(GetText(c)));
    view->ShowTextColor(ToFlColor(GetTextColor(c)));
  }
  if (entry.kind == ControlKind::kPictureBox) {
    const int width = std::max(0, GetWidth(c));
    if (width != w->w()) {
      g_window->damage(FL_DAMAGE_ALL, w->x(), w->y(), std::max(width, w->w()), w->h());
      w->resize(w->x(), w->y(), width, w->h());
    }
  }
  const bool visible = IsVisible(c);
  if (visible != (w->visible() != 0)) {
    if (visible) {
      w->show();
    } else {
      w->hide();
    }
  }
  w->redraw();
  // What lies under a label without a background shows through it: redraw the area.
  if (auto* label = dynamic_cast<Label*>(w); label && !label->opaque())
    g_window->damage(FL_DAMAGE_ALL, w->x(), w->y(), w->w(), w->h());
}

void ApplyPending() {
  std::bitset<kControlCount> dirty;
  {
    std::lock_guard<std::mutex> lock(g_pending.mutex);
    if (!g_pending.built) return;
    dirty = g_pending.dirty;
    g_pending.dirty.reset();
  }
  for (int i = 0; i < kControlCount; ++i)
    if (dirty[i]) Apply(static_cast<Control>(i));
}

void WakeApply(void*) {
  {
    std::lock_guard<std::mutex> lock(g_pending.mutex);
    g_pending.wake_queued = false;
  }
  ApplyPending();
}

struct PostedMessage {
  Control target;
  uint32_t message;
  uintptr_t wparam;
};

void DeliverPosted(void* data) {
  const PostedMessage* m = static_cast<PostedMessage*>(data);
  if (m->message == kWmKeyDown && m->target == Control::小说简介_编辑框)
    if (auto* view = dynamic_cast<SynopsisView*>(g_widgets[static_cast<int>(m->target)]))
      view->KeyDown(static_cast<int>(m->wparam));
  delete m;
}

void HideWindow(void*) {
  if (g_window) g_window->hide();
}

// Escape must not close the window; the window manager's close request may.
void WindowCallback(Fl_Widget* w, void*) {
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  w->hide();
}

// --- building the window -------------------------------------------------------

bool IsFrameLabel(Control c) {
  return c == Control::标签5 || c == Control::标签6 || c == Control::标签7 || c == Control::标签8;
}

bool IsHeading(Control c) {
  return c == Control::标签1 || c == Control::标签2 || c == Control::标签3 || c == Control::标签4;
}

bool IsResultButton(Control c) {
  return c == Control::搜索_超级按钮1 || c == Control::搜索_超级按钮2 || c == Control::搜索_超级按钮3 ||
         c == Control::搜索_超级按钮4 || c == Control::搜索_超级按钮5;
}

Fl_Widget* MakeLabel(const ControlEntry& s, int x, int y, const WindowFonts& fonts) {
  TextStyle style{fonts.text, s.font_height, palette::kHeadingText};
  const Fl_Align align = s.align == TextAlign::kCenter ? FL_ALIGN_CENTER : FL_ALIGN_LEFT;
  // The message label's texts place themselves with leading line breaks.
  const bool top = s.id == Control::提示_标签;
  Fl_Color background = palette::kWindow;
  if (s.id == Control::窗口移动_标签 || s.kind == ControlKind::kTransparentLabel) {
    style.color = palette::kOnAccent;
    background = palette::kAccent;
  } else if (s.id == Control::提示_标签) {
    style.color = palette::kMessageText;
    background = palette::kMessage;
  } else if (IsHeading(s.id)) {
    background = palette::kHeading;
  } else if (IsFrameLabel(s.id)) {
    background = palette::kFrame;
  }
  auto* label = new Label(s.id, x, y, s.width, s.height, style, align, top);
  // The panel's labels overlap one another; the panel's face is theirs.
  if (s.kind != ControlKind::kTransparentLabel && s.parent != Control::图片框1) label->SetBackground(background);
  g_views[static_cast<int>(s.id)] = label;
  return label;
}

Fl_Widget* MakeButton(const ControlEntry& s, int x, int y, const WindowFonts& fonts) {
  TextStyle style{fonts.text, s.font_height, palette::kOnAccent};
  ButtonColors colors{palette::kAccent, palette::kAccentHover, palette::kAccentPressed, palette::kOnAccent};
  ButtonPicture picture = ButtonPicture::kNone;
  if (s.id == Control::窗口位置_销毁) {
    style.font = fonts.close;
    colors = {palette::kAccent, palette::kCloseHover, palette::kCloseHover, palette::kOnAccent};
  } else if (IsResultButton(s.id)) {
    colors = {palette::kSlot, palette::kSlotHover, palette::kSlotPressed, palette::kAccent};
  } else if (s.kind == ControlKind::kPictureButton) {
    colors = {palette::kPanel, palette::kPanelHover, palette::kSlot, palette::kAccent};
    picture = s.id == Control::现尺寸_超级按钮 ? ButtonPicture::kDocumentArrow : ButtonPicture::kDocument;
  }
  auto* button = new FlatButton(s.id, x, y, s.width, s.height, style, colors, picture);
  g_views[static_cast<int>(s.id)] = button;
  return button;
}

Fl_Widget* MakeControl(const ControlEntry& s, const WindowFonts& fonts);

Fl_Widget* MakePanel(const ControlEntry& s, const WindowFonts& fonts) {
  auto* panel = new Panel(s.x, s.y, s.width, s.height, palette::kPanel, palette::kFrame);
  // Children are created from the last in the table to the first, so that an
  // earlier control lies above a later one.
  for (int i = kControlCount - 1; i > 0; --i) {
    const ControlEntry& child = TableEntry(static_cast<Control>(i));
    if (child.parent == s.id) MakeControl(child, fonts);
  }
  panel->end();
  return panel;
}

Fl_Widget* MakeControl(const ControlEntry& s, const WindowFonts& fonts) {
  int x = s.x, y = s.y;
  if (s.parent != Control::窗口) {
    const ControlEntry& parent = TableEntry(s.parent);
    x += parent.x;
    y += parent.y;
  }
  const TextStyle edit{fonts.text, s.font_height, FL_BLACK};
  Fl_Widget* w = nullptr;
  switch (s.kind) {
    case ControlKind::kWindow:
      return nullptr;
    case ControlKind::kPanel:
      w = MakePanel(s, fonts);
      break;
    case ControlKind::kPictureButton:
    case ControlKind::kButton:
      w = MakeButton(s, x, y, fonts);
      break;
    case ControlKind::kLabel:
    case ControlKind::kTransparentLabel:
      w = MakeLabel(s, x, y, fonts);
      break;
    case ControlKind::kPictureBox:
      w = new Bar(x, y, s.width, s.height, palette::kProgress);
      break;
    case ControlKind::kEditMultiLine: {
      auto* view = new SynopsisView(s.id, x, y, s.width, s.height, edit);
      g_views[static_cast<int>(s.id)] = view;
      w = view;
      break;
    }
    case ControlKind::kEditReadOnly:
    case ControlKind::kEditEditable: {
      const bool editable = s.kind == ControlKind::kEditEditable;
      auto* input = new CenteredInput(s.id, x, y, s.width, s.height, edit, editable, editable);
      g_views[static_cast<int>(s.id)] = input;
      w = input;
      break;
    }
  }
  g_widgets[static_cast<int>(s.id)] = w;
  g_handles[static_cast<int>(s.id)] = reinterpret_cast<NativeHandle>(w);
  return w;
}

void BuildWindow() {
  const WindowFonts fonts = ChooseFonts();
  g_window = new MainWindow(kWindowX, kWindowY, kWindowWidth, kWindowHeight, "Lantisk");
  g_window->border(0);
  g_window->color(palette::kWindow);
  g_window->xclass("Lantisk");
  g_window->callback(WindowCallback);
  g_widgets[static_cast<int>(Control::窗口)] = g_window;
  g_handles[static_cast<int>(Control::窗口)] = reinterpret_cast<NativeHandle>(g_window);
  for (int i = kControlCount - 1; i > 0; --i) {
    const ControlEntry& s = TableEntry(static_cast<Control>(i));
    if (s.parent == Control::窗口) MakeControl(s, fonts);
  }
  g_window->end();
  for (int i = 1; i < kControlCount; ++i) Apply(static_cast<Control>(i));
}

}  // namespace

void BackendPropertyChanged(Control c) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(g_pending.mutex);
    g_pending.dirty.set(static_cast<size_t>(c));
    if (!g_pending.built) return;
    if (!OnUiThread() && !g_pending.wake_queued) wake = g_pending.wake_queued = true;
  }
  if (OnUiThread()) {
    ApplyPending();
  } else if (wake && Fl::awake(WakeApply, nullptr) != 0) {
    // The queue is full: the next change tries again.
    std::lock_guard<std::mutex> lock(g_pending.mutex);
    g_pending.wake_queued = false;
  }
}

NativeHandle BackendNativeHandle(Control c) { return g_handles[static_cast<int>(c)]; }

intptr_t BackendSendMainWindowMessage(uint32_t message, uintptr_t wparam, intptr_t) {
  // The title strip keeps the pointer's drags; the window follows them until
  // the button is released.
  if (message == kWmNcLButtonDown && wparam == kHtCaption && OnUiThread()) StartWindowDrag();
  return 0;
}

bool BackendPostMessage(NativeHandle handle, uint32_t message, uintptr_t wparam, intptr_t) {
  if (!g_running || handle == 0) return false;
  for (int i = 0; i < kControlCount; ++i) {
    if (g_handles[i] != handle) continue;
    auto* m = new PostedMessage{static_cast<Control>(i), message, wparam};
    if (Fl::awake(DeliverPosted, m) == 0) return true;
    delete m;
    return false;
  }
  return false;
}

void BackendDestroyMainWindow() {
  if (!g_running) return;
  if (OnUiThread()) {
    HideWindow(nullptr);
  } else {
    Fl::awake(HideWindow, nullptr);
  }
}

void BackendOpenInBrowser(const Text& url) {
  std::string program = "xdg-open";
  std::string address = GbkToUtf8(url);
  char* argv[] = {program.data(), address.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) return;
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
}

void BackendRunWindow() {
  Fl::lock();
  g_ui_thread = std::this_thread::get_id();
  g_running = true;
  SetProcessEventsHook(BackendProcessEvents);
  BuildWindow();
  {
    // From here on every change is mirrored; what changed while the window
    // was being built is applied below.
    std::lock_guard<std::mutex> lock(g_pending.mutex);
    g_pending.built = true;
  }
  g_window->show();
  ApplyPending();
  WindowCreated();
  g_created = true;
  Fl::run();
  {
    std::lock_guard<std::mutex> lock(g_pending.mutex);
    g_pending.built = false;
  }
  g_running = false;
}

void BackendProcessEvents() {
  if (!OnUiThread()) return;
  if (g_created) {
    Fl::check();
  } else {
    Fl::flush();
  }
}
