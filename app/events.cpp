// Routes each control event to its one handler, for the controls the window
// table binds to that event.
#include "app/events.h"

#include "app/shell.h"
#include "app/window.h"
#include "search/search.h"

namespace {

bool Bound(Control c, ControlEvent event) { return (TableEntry(c).events & event) != 0; }

int ResultButtonNumber(Control c) {
  switch (c) {
    case Control::搜索_超级按钮1: return 1;
    case Control::搜索_超级按钮2: return 2;
    case Control::搜索_超级按钮3: return 3;
    case Control::搜索_超级按钮4: return 4;
    case Control::搜索_超级按钮5: return 5;
    default: return 0;
  }
}

}  // namespace

void WindowCreated() { StartupNoticeCheck(); }

void ControlClicked(Control c) {
  if (!Bound(c, kEventClicked)) return;
  if (int n = ResultButtonNumber(c)) {
    ResultButtonClicked(n);
  } else if (c == Control::搜索_超级按钮) {
    SearchButtonClicked();
  } else if (c == Control::窗口位置_销毁) {
    CloseButtonClicked();
  }
  // 下载_超级按钮 and the two panel buttons belong to the download and the
  // save, which do not exist yet.
}

void ControlGotFocus(Control c) {
  if (Bound(c, kEventGotFocus) && c == Control::搜索_编辑框) SearchBoxGotFocus();
}

void ControlLostFocus(Control c) {
  if (Bound(c, kEventLostFocus) && c == Control::搜索_编辑框) SearchBoxLostFocus();
}

void ControlKeyPressed(Control c, int key, int /*modifiers*/) {
  if (Bound(c, kEventKeyPressed) && c == Control::搜索_编辑框) SearchBoxKeyPressed(key);
}

void ControlWheel(Control c, int distance, int /*modifiers*/) {
  if (Bound(c, kEventWheel) && c == Control::小说简介_编辑框) SynopsisWheel(distance);
}

void ControlMouseMoved(Control c) {
  if (Bound(c, kEventMouseMoved) && c == Control::提示_标签) MessageLabelMouseMoved();
}

void ControlLeftButtonDown(Control c, int /*x*/, int /*y*/, int /*modifiers*/) {
  if (Bound(c, kEventLeftButtonDown) && c == Control::窗口移动_标签) TitleStripPressed();
}

int WheelDistance(int raw_delta) { return raw_delta / kWheelUnit; }
