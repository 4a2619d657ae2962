// The main window's controls: their names, and the table every window backend
// builds the window from.
#pragma once

#include <cstdint>

// The enumerators are the controls' names. The order is the window table's:
// a control listed earlier lies above the ones listed after it.
enum class Control : int {
  窗口,  // the main window itself
  图片框1,
  现尺寸_超级按钮,
  原尺寸_超级按钮,
  现尺寸_标签,
  原尺寸_标签,
  标签11,
  标签10,
  标签9,
  提示_标签,
  下载_标签,
  下载_图片框,
  标签1,
  搜索_超级按钮5,
  搜索_超级按钮4,
  搜索_超级按钮3,
  搜索_超级按钮2,
  搜索_超级按钮1,
  小说简介_编辑框,
  小说最新_编辑框,
  标签4,
  标签3,
  小说作者_编辑框,
  标签2,
  小说名称_编辑框,
  下载_超级按钮,
  搜索_编辑框,
  搜索_超级按钮,
  窗口位置_销毁,
  窗口移动_标签,
  标签5,
  标签6,
  标签7,
  标签8,
};
constexpr int kControlCount = static_cast<int>(Control::标签8) + 1;

enum class ControlKind {
  kWindow,
  kPanel,             // picture box that holds other controls
  kPictureButton,     // button that shows a 50 x 50 picture, no caption
  kButton,            // button with a caption
  kLabel,
  kTransparentLabel,  // label drawn over another control without a background
  kPictureBox,        // plain filled box (the progress bar)
  kEditMultiLine,     // multi-line, read-only, no scroll bar, left-aligned
  kEditReadOnly,      // single line, read-only, centred
  kEditEditable,      // single line, editable, centred
};

enum class TextAlign { kLeft, kCenter };

// The events a control is bound to.
enum ControlEvent : unsigned {
  kEventNone = 0,
  kEventClicked = 1u << 0,
  kEventGotFocus = 1u << 1,
  kEventLostFocus = 1u << 2,
  kEventKeyPressed = 1u << 3,
  kEventWheel = 1u << 4,
  kEventMouseMoved = 1u << 5,
  kEventLeftButtonDown = 1u << 6,
};

struct ControlEntry {
  Control id;
  const char* name;  // GBK
  ControlKind kind;
  Control parent;  // 窗口, or 图片框1 for the controls inside the panel
  int x, y, width, height;  // relative to the parent's client area
  bool visible;
  const char* text;  // initial text or caption (GBK); "" where there is none
  int font_height;   // pixels; 0 where the control shows no text
  TextAlign align;
  unsigned events;
};

// The main window: borderless, at (50, 50) on the screen, 320 x 533.
constexpr int kWindowX = 50, kWindowY = 50, kWindowWidth = 320, kWindowHeight = 533;

// The face of every control's text but the close button's, and the close button's.
extern const char* const kFontFace;       // "微软雅黑 Light", weight 290, GB2312 character set
extern const char* const kCloseFontFace;  // "等线 Light", weight 300
constexpr int kFontWeight = 290, kCloseFontWeight = 300;

// The table, indexed by Control.
const ControlEntry& TableEntry(Control c);

// The initial text of 小说简介_编辑框, and the other default detail texts.
extern const char* const kDisclaimer;
extern const char* const kDefaultTitle;     // "Lantisk"
extern const char* const kDefaultAuthor;    // "quendrix"
extern const char* const kDefaultVersion;   // "V.1.2"
extern const char* const kSearchPlaceholder;  // "点此输入小说名称"
