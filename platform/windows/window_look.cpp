// The look of the Win32 window: fonts with their fallback faces, colours,
// and the owner-drawn buttons with their two pictures.
#include "platform/windows/window_look.h"

#include <initializer_list>

#include "app/window.h"
#include "text/codepage.h"

namespace {

constexpr COLORREF kWindowBack = RGB(245, 247, 251);
constexpr COLORREF kPanelBack = RGB(252, 253, 255);
constexpr COLORREF kFieldBack = RGB(255, 255, 255);
constexpr COLORREF kFrame = RGB(156, 182, 214);
constexpr COLORREF kStrip = RGB(52, 116, 200);
constexpr COLORREF kStripPressed = RGB(36, 90, 160);
constexpr COLORREF kStripText = RGB(255, 255, 255);
constexpr COLORREF kHeadingText = RGB(70, 80, 96);
constexpr COLORREF kMessageBack = RGB(232, 241, 253);
constexpr COLORREF kMessageText = RGB(30, 64, 120);
constexpr COLORREF kButtonBack = RGB(230, 238, 249);
constexpr COLORREF kButtonPressed = RGB(198, 216, 241);
constexpr COLORREF kButtonText = RGB(28, 56, 104);
constexpr COLORREF kBar = RGB(120, 182, 242);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kBadgeRename = RGB(52, 116, 200);
constexpr COLORREF kBadgeOverwrite = RGB(226, 120, 40);

std::wstring Wide(const char* text) {
  const std::u16string wide = DecodeCodePage(CodePage::kGbk, text);
  return std::wstring(wide.begin(), wide.end());
}

// Brushes live as long as the process; a few colours are ever asked for.
HBRUSH Brush(COLORREF color) {
  static COLORREF colors[16];
  static HBRUSH brushes[16];
  static int count = 0;
  for (int i = 0; i < count; ++i)
    if (colors[i] == color) return brushes[i];
  HBRUSH brush = CreateSolidBrush(color);
  if (count < 16) {
    colors[count] = color;
    brushes[count++] = brush;
  }
  return brush;
}

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceExists(HDC dc, const std::wstring& face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  face.copy(lf.lfFaceName, face.size());
  bool found = false;
  EnumFontFamiliesExW(dc, &lf, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

int CALLBACK TakeFirstChinese(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM out) {
  if (lf->lfFaceName[0] == L'@') return 1;  // vertical-writing variants
  *reinterpret_cast<std::wstring*>(out) = lf->lfFaceName;
  return 0;
}

// Faces of Chinese text found on Windows and on Linux (which wine shows
// through fontconfig), for a system that lacks the wanted face.
const char* const kChineseFaces[] = {
    "Microsoft YaHei Light", "Microsoft YaHei UI Light", "微软雅黑", "Microsoft YaHei",
    "Noto Sans CJK SC", "Noto Sans SC", "Source Han Sans SC", "WenQuanYi Micro Hei",
    "WenQuanYi Zen Hei", "SimHei", "黑体", "SimSun", "宋体",
};

// The first of the faces the system has, else any face with Chinese
// characters, else the wanted face for GDI's own choice.
std::wstring ResolveFace(std::initializer_list<const char*> wanted) {
  HDC dc = GetDC(nullptr);
  std::wstring face;
  for (const char* name : wanted) {
    if (FaceExists(dc, Wide(name))) {
      face = Wide(name);
      break;
    }
  }
  for (const char* name : kChineseFaces) {
    if (!face.empty()) break;
    if (FaceExists(dc, Wide(name))) face = Wide(name);
  }
  if (face.empty()) {
    LOGFONTW lf{};
    lf.lfCharSet = GB2312_CHARSET;
    EnumFontFamiliesExW(dc, &lf, TakeFirstChinese, reinterpret_cast<LPARAM>(&face), 0);
  }
  ReleaseDC(nullptr, dc);
  return face.empty() ? Wide(*wanted.begin()) : face;
}

HFONT MakeFont(const std::wstring& face, int height, int weight) {
  LOGFONTW lf{};
  lf.lfHeight = -height;  // the characters' height in pixels, without the leading
  lf.lfWeight = weight;
  lf.lfCharSet = GB2312_CHARSET;
  lf.lfOutPrecision = OUT_TT_PRECIS;
  lf.lfQuality = CLEARTYPE_QUALITY;
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectW(&lf);
}

struct Look {
  COLORREF back;
  COLORREF text;
  bool transparent;
};

Look LookOf(Control c) {
  switch (c) {
    case Control::窗口移动_标签:
      return {kStrip, kStripText, false};
    case Control::提示_标签:
      return {kMessageBack, kMessageText, false};
    case Control::标签5:
    case Control::标签6:
    case Control::标签7:
    case Control::标签8:
      return {kFrame, kFrame, false};  // only their one-pixel edge shows
    case Control::下载_标签:
      return {kBar, kButtonText, true};
    case Control::下载_图片框:
      return {kBar, kText, false};
    case Control::标签1:
    case Control::标签2:
    case Control::标签3:
    case Control::标签4:
      return {kWindowBack, kHeadingText, false};
    default:
      break;
  }
  const ControlKind kind = TableEntry(c).kind;
  if (kind == ControlKind::kEditMultiLine || kind == ControlKind::kEditReadOnly ||
      kind == ControlKind::kEditEditable)
    return {kFieldBack, kText, false};
  if (TableEntry(c).parent == Control::图片框1) return {kPanelBack, kHeadingText, false};
  return {kWindowBack, kText, false};
}

void Fill(HDC dc, const RECT& r, COLORREF color) { FillRect(dc, &r, Brush(color)); }

// A page with a folded corner and three lines of text, and a round badge
// at its lower right: "+" for a new name, a down arrow for writing over.
void DrawPicture(HDC dc, const RECT& box, bool overwrite, bool pressed) {
  const int x = box.left + (pressed ? 1 : 0), y = box.top + (pressed ? 1 : 0);
  HPEN pen = CreatePen(PS_SOLID, 2, kStrip);
  HGDIOBJ old_pen = SelectObject(dc, pen);
  HGDIOBJ old_brush = SelectObject(dc, Brush(kFieldBack));
  const POINT page[] = {{x + 12, y + 6}, {x + 30, y + 6}, {x + 38, y + 14}, {x + 38, y + 44}, {x + 12, y + 44}};
  Polygon(dc, page, 5);
  MoveToEx(dc, x + 30, y + 6, nullptr);
  LineTo(dc, x + 30, y + 14);
  LineTo(dc, x + 38, y + 14);
  for (int line = 0; line < 3; ++line) {
    MoveToEx(dc, x + 17, y + 20 + line * 6, nullptr);
    LineTo(dc, x + (line == 2 ? 26 : 33), y + 20 + line * 6);
  }
  const COLORREF badge = overwrite ? kBadgeOverwrite : kBadgeRename;
  HPEN badge_pen = CreatePen(PS_SOLID, 1, badge);
  SelectObject(dc, badge_pen);
  SelectObject(dc, Brush(badge));
  Ellipse(dc, x + 27, y + 31, x + 45, y + 49);
  HPEN mark = CreatePen(PS_SOLID, 2, kFieldBack);
  SelectObject(dc, mark);
  if (overwrite) {
    MoveToEx(dc, x + 36, y + 35, nullptr);
    LineTo(dc, x + 36, y + 45);
    MoveToEx(dc, x + 32, y + 41, nullptr);
    LineTo(dc, x + 36, y + 45);
    LineTo(dc, x + 41, y + 40);
  } else {
    MoveToEx(dc, x + 31, y + 40, nullptr);
    LineTo(dc, x + 42, y + 40);
    MoveToEx(dc, x + 36, y + 35, nullptr);
    LineTo(dc, x + 36, y + 46);
  }
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  DeleteObject(pen);
  DeleteObject(badge_pen);
  DeleteObject(mark);
}

}  // namespace

HFONT ControlFont(Control c) {
  static HFONT fonts[2][64];
  const bool close = c == Control::窗口位置_销毁;
  int height = TableEntry(c).font_height;
  if (height <= 0 || height >= 64) height = 16;
  HFONT& font = fonts[close ? 1 : 0][height];
  if (!font) {
    static const std::wstring face = ResolveFace({kFontFace});
    static const std::wstring close_face = ResolveFace({kCloseFontFace, "DengXian Light", "等线", "DengXian"});
    font = close ? MakeFont(close_face, height, kCloseFontWeight) : MakeFont(face, height, kFontWeight);
  }
  return font;
}

int LineHeight(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}

HBRUSH WindowBrush() { return Brush(kWindowBack); }
HBRUSH PanelBrush() { return Brush(kPanelBack); }

HBRUSH ColorControl(Control c, HDC dc, uint32_t state_color) {
  const Look look = LookOf(c);
  SetTextColor(dc, state_color != kColorDefault ? static_cast<COLORREF>(state_color) : look.text);
  if (look.transparent) {
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  }
  SetBkColor(dc, look.back);
  return Brush(look.back);
}

void PaintEditMargin(HWND edit) {
  RECT window, client;
  GetWindowRect(edit, &window);
  GetClientRect(edit, &client);
  MapWindowPoints(edit, nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -window.left, -window.top);
  OffsetRect(&window, -window.left, -window.top);
  HDC dc = GetWindowDC(edit);
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  Fill(dc, window, kFieldBack);
  ReleaseDC(edit, dc);
}

void PaintPanelFrame(HWND panel, HDC dc) {
  RECT r;
  GetClientRect(panel, &r);
  FrameRect(dc, &r, Brush(kFrame));
}

void DrawButton(Control c, const DRAWITEMSTRUCT& item, const std::wstring& caption) {
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const ControlKind kind = TableEntry(c).kind;
  if (kind == ControlKind::kPictureButton) {
    Fill(dc, r, pressed ? kButtonPressed : kPanelBack);
    DrawPicture(dc, r, c == Control::现尺寸_超级按钮, pressed);
    return;
  }
  const bool close = c == Control::窗口位置_销毁;
  if (close) {
    Fill(dc, r, pressed ? kStripPressed : kStrip);
  } else {
    Fill(dc, r, pressed ? kButtonPressed : kButtonBack);
    FrameRect(dc, &r, Brush(kFrame));
  }
  HGDIOBJ old = SelectObject(dc, ControlFont(c));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, close ? kStripText : kButtonText);
  RECT text = r;
  if (pressed) OffsetRect(&text, 1, 1);
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  SelectObject(dc, old);
}
