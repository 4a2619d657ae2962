// The FLTK widgets of the main window and the choice of its fonts through
// fontconfig.
#include "platform/linux/window_widgets.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <FL/fl_utf8.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "app/events.h"
#include "app/window.h"
#include "text/text.h"

// --- fonts -------------------------------------------------------------------

namespace {

bool FamilyInstalled(const std::string& family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr));
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  const bool found = set && set->nfont > 0;
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return found;
}

// The first family of a face that covers simplified Chinese; empty if none.
std::string ChineseFamily() {
  std::string family;
  FcPattern* pattern = FcPatternCreate();
  FcLangSet* langs = FcLangSetCreate();
  FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("zh-cn"));
  FcPatternAddLangSet(pattern, FC_LANG, langs);
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr));
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  FcChar8* name = nullptr;
  if (set && set->nfont > 0 && FcPatternGetString(set->fonts[0], FC_FAMILY, 0, &name) == FcResultMatch)
    family = reinterpret_cast<const char*>(name);
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(objects);
  FcLangSetDestroy(langs);
  FcPatternDestroy(pattern);
  return family;
}

std::string FirstInstalled(std::initializer_list<std::string> families) {
  for (const std::string& f : families)
    if (FamilyInstalled(f)) return f;
  return {};
}

}  // namespace

WindowFonts ChooseFonts() {
  FcInit();
  // Xft opens exactly one face per FLTK font, so the fallback must itself
  // hold the Chinese glyphs. FLTK keeps the name pointers: they live here.
  static std::string text_name, close_name;
  std::string text = FirstInstalled({GbkToUtf8(kFontFace), "Microsoft YaHei Light", "Noto Sans CJK SC"});
  if (text.empty()) text = ChineseFamily();
  if (text.empty()) text = "sans";
  std::string close = FirstInstalled({GbkToUtf8(kCloseFontFace), "DengXian Light"});
  if (close.empty()) close = text;
  text_name = " " + text;  // the leading space asks FLTK for the regular style
  close_name = " " + close;
  Fl::set_font(FL_FREE_FONT, text_name.c_str());
  Fl::set_font(static_cast<Fl_Font>(FL_FREE_FONT + 1), close_name.c_str());
  return {FL_FREE_FONT, static_cast<Fl_Font>(FL_FREE_FONT + 1)};
}

// --- text layout ---------------------------------------------------------------

int LineHeight(int size) { return static_cast<int>(std::lround(size * 1.3)); }

std::vector<std::string> WrapText(const std::string& utf8, int width) {
  std::vector<std::string> lines;
  size_t paragraph = 0;
  while (paragraph <= utf8.size()) {
    size_t end = utf8.find('\n', paragraph);
    if (end == std::string::npos) end = utf8.size();
    size_t start = paragraph;
    if (start == end) lines.emplace_back();
    while (start < end) {
      size_t i = start, last_break = std::string::npos;
      double used = 0;
      while (i < end) {
        int len = fl_utf8len1(utf8[i]);
        if (len < 1 || i + len > end) len = 1;
        const double w = fl_width(utf8.data() + i, len);
        if (used + w > width && i > start) break;
        used += w;
        const bool wide = static_cast<unsigned char>(utf8[i]) >= 0x80;
        i += len;
        if (wide || utf8[i - 1] == ' ' || (i < end && static_cast<unsigned char>(utf8[i]) >= 0x80))
          last_break = i;
      }
      const size_t cut = (i < end && last_break != std::string::npos && last_break > start) ? last_break : i;
      lines.push_back(utf8.substr(start, cut - start));
      start = cut;
    }
    paragraph = end + 1;
  }
  return lines;
}

namespace {

// Draws lines from `top`, each aligned left or centred within [x, x + w).
void DrawLines(const std::vector<std::string>& lines, size_t first, int x, int top, int w, int bottom,
               int line_height, bool centre) {
  const int ascent = fl_height() - fl_descent();
  const int lead = (line_height - fl_height()) / 2;
  for (size_t i = first; i < lines.size() && top < bottom; ++i, top += line_height) {
    const std::string& line = lines[i];
    const int lw = static_cast<int>(fl_width(line.data(), static_cast<int>(line.size())));
    const int lx = centre ? x + (w - lw) / 2 : x;
    fl_draw(line.data(), static_cast<int>(line.size()), lx, top + lead + ascent);
  }
}

constexpr int kLabelPad = 3;  // left-aligned labels keep off their left edge

}  // namespace

// --- dragging, keys ---------------------------------------------------------------

namespace {

struct DragState {
  bool active = false;
  int dx = 0, dy = 0;
};
DragState g_drag;

}  // namespace

void StartWindowDrag() {
  Fl_Window* w = Fl::first_window();
  if (!w) return;
  g_drag = {true, Fl::event_x_root() - w->x(), Fl::event_y_root() - w->y()};
}

void WindowDragMotion() {
  Fl_Window* w = Fl::first_window();
  if (!g_drag.active || !w) return;
  w->position(Fl::event_x_root() - g_drag.dx, Fl::event_y_root() - g_drag.dy);
}

void EndWindowDrag() { g_drag.active = false; }

int VirtualKey(int key) {
  if (key >= 'a' && key <= 'z') return key - 'a' + 'A';
  if ((key >= '0' && key <= '9') || key == ' ') return key;
  if (key >= FL_F + 1 && key <= FL_F + 12) return 0x70 + (key - FL_F - 1);
  if (key >= FL_KP + '0' && key <= FL_KP + '9') return 0x60 + (key - FL_KP - '0');
  switch (key) {
    case FL_Enter: case FL_KP_Enter: return kKeyEnter;
    case FL_BackSpace: return 0x08;
    case FL_Tab: return 0x09;
    case FL_Escape: return 0x1B;
    case FL_Page_Up: return 0x21;
    case FL_Page_Down: return 0x22;
    case FL_End: return 0x23;
    case FL_Home: return 0x24;
    case FL_Left: return 0x25;
    case FL_Up: return kVkUp;
    case FL_Right: return 0x27;
    case FL_Down: return kVkDown;
    case FL_Insert: return 0x2D;
    case FL_Delete: return 0x2E;
    case FL_Shift_L: case FL_Shift_R: return 0x10;
    case FL_Control_L: case FL_Control_R: return 0x11;
    case FL_Alt_L: case FL_Alt_R: return 0x12;
    default: return 0;
  }
}

int ModifierBits() {
  int bits = 0;
  if (Fl::event_state(FL_CTRL)) bits |= 1;
  if (Fl::event_state(FL_SHIFT)) bits |= 2;
  if (Fl::event_state(FL_ALT)) bits |= 4;
  return bits;
}

// --- main window ---------------------------------------------------------------

MainWindow::MainWindow(int x, int y, int w, int h, const char* title) : Fl_Double_Window(x, y, w, h, title) {}

int MainWindow::handle(int event) {
  if (event == FL_FOCUS) {
    // Only a click or Tab gives a control the focus: when the window is
    // activated it keeps the focus itself, or gives it back to the control
    // that had it, so that the search box keeps its placeholder at start.
    Fl_Widget* w = restore_focus_;
    restore_focus_ = nullptr;
    if (w && contains(w) && w->visible_r()) w->take_focus();
    return 1;
  }
  return Fl_Double_Window::handle(event);
}

namespace {

// The window lost the focus to another program: give it back later.
void NoteFocusLeft(Fl_Widget* w) {
  if (Fl::focus()) return;
  if (auto* main = dynamic_cast<MainWindow*>(w->window())) main->RememberFocus(w);
}

}  // namespace

// --- label -----------------------------------------------------------------------

Label::Label(Control id, int x, int y, int w, int h, TextStyle style, Fl_Align align, bool top)
    : Fl_Widget(x, y, w, h), id_(id), style_(style), align_(align), top_(top) {
  box(FL_NO_BOX);
}

void Label::draw() {
  if (opaque_) {
    fl_color(background_);
    fl_rectf(x(), y(), w(), h());
  }
  fl_push_clip(x(), y(), w(), h());
  fl_font(style_.font, style_.size);
  fl_color(style_.color);
  const bool centre = align_ == FL_ALIGN_CENTER;
  const int pad = centre ? 0 : kLabelPad;
  const int inner = w() - 2 * pad;
  const std::vector<std::string> lines = WrapText(text_, inner);
  const int lh = LineHeight(style_.size);
  const int total = lh * static_cast<int>(lines.size());
  const int top = top_ ? y() : y() + (h() - total) / 2;
  DrawLines(lines, 0, x() + pad, top, inner, y() + h(), lh, centre);
  fl_pop_clip();
}

int Label::handle(int event) {
  const unsigned events = TableEntry(id_).events;
  switch (event) {
    case FL_ENTER:
    case FL_MOVE:
      if (!(events & kEventMouseMoved)) return 0;
      ControlMouseMoved(id_);
      return 1;
    case FL_PUSH:
      if (!(events & kEventLeftButtonDown)) return 0;
      if (Fl::event_button() == FL_LEFT_MOUSE)
        ControlLeftButtonDown(id_, Fl::event_x() - x(), Fl::event_y() - y(), ModifierBits());
      return 1;
    case FL_DRAG:
      WindowDragMotion();
      return 1;
    case FL_RELEASE:
      WindowDragMotion();
      EndWindowDrag();
      return 1;
    default:
      return 0;
  }
}

// --- button -----------------------------------------------------------------------

FlatButton::FlatButton(Control id, int x, int y, int w, int h, TextStyle style, ButtonColors colors,
                       ButtonPicture picture)
    : Fl_Button(x, y, w, h), id_(id), style_(style), colors_(colors), picture_(picture) {
  box(FL_FLAT_BOX);
  callback(Clicked);
}

void FlatButton::Clicked(Fl_Widget* w, void*) { ControlClicked(static_cast<FlatButton*>(w)->id_); }

void FlatButton::draw() {
  const Fl_Color face = value() ? colors_.pressed : hover_ ? colors_.hover : colors_.face;
  fl_color(face);
  fl_rectf(x(), y(), w(), h());
  if (picture_ != ButtonPicture::kNone) {
    DrawPicture(colors_.text);
    return;
  }
  fl_push_clip(x(), y(), w(), h());
  fl_font(style_.font, style_.size);
  fl_color(colors_.text);
  const std::vector<std::string> lines = WrapText(text_, w());
  const int lh = LineHeight(style_.size);
  DrawLines(lines, 0, x(), y() + (h() - lh * static_cast<int>(lines.size())) / 2, w(), y() + h(), lh, true);
  fl_pop_clip();
}

// A page with a folded corner and lines of text; the overwrite picture adds an
// arrow pointing into the page.
void FlatButton::DrawPicture(Fl_Color ink) {
  const int s = std::min(w(), h());
  const int ox = x() + (w() - s) / 2, oy = y() + (h() - s) / 2;
  auto X = [&](double v) { return ox + static_cast<int>(std::lround(v * s / 50.0)); };
  auto Y = [&](double v) { return oy + static_cast<int>(std::lround(v * s / 50.0)); };
  fl_color(palette::kIconPaper);
  fl_begin_polygon();
  fl_vertex(X(11), Y(5)); fl_vertex(X(30), Y(5)); fl_vertex(X(39), Y(14));
  fl_vertex(X(39), Y(45)); fl_vertex(X(11), Y(45));
  fl_end_polygon();
  fl_color(ink);
  fl_line_style(FL_SOLID, 2);
  fl_begin_loop();
  fl_vertex(X(11), Y(5)); fl_vertex(X(30), Y(5)); fl_vertex(X(39), Y(14));
  fl_vertex(X(39), Y(45)); fl_vertex(X(11), Y(45));
  fl_end_loop();
  fl_begin_line();
  fl_vertex(X(30), Y(5)); fl_vertex(X(30), Y(14)); fl_vertex(X(39), Y(14));
  fl_end_line();
  fl_line_style(FL_SOLID, 1);
  const int lines = picture_ == ButtonPicture::kDocument ? 4 : 2;
  for (int i = 0; i < lines; ++i) fl_rectf(X(16), Y(20 + 6 * i), X(34) - X(16), 2);
  if (picture_ == ButtonPicture::kDocumentArrow) {
    fl_rectf(X(22.5), Y(29), X(27.5) - X(22.5), Y(36) - Y(29));
    fl_polygon(X(17), Y(35), X(33), Y(35), X(25), Y(42));
  }
  fl_line_style(0);
}

int FlatButton::handle(int event) {
  const int handled = Fl_Button::handle(event);
  switch (event) {
    case FL_ENTER:
    case FL_LEAVE:
      hover_ = event == FL_ENTER;
      redraw();
      return 1;
    case FL_UNFOCUS:
      NoteFocusLeft(this);
      break;
    default:
      break;
  }
  return handled;
}

// --- single-line edit box -------------------------------------------------------------

namespace {
constexpr int kInputInset = 2;  // between the frame and the text area
}

CenteredInput::CenteredInput(Control id, int x, int y, int w, int h, TextStyle style, bool editable,
                             bool border)
    : Fl_Input(x, y, w, h), id_(id), editable_(editable), border_(border) {
  box(FL_FLAT_BOX);
  color(palette::kEdit);
  textfont(style.font);
  textsize(style.size);
  textcolor(style.color);
  readonly(editable ? 0 : 1);
  when(FL_WHEN_CHANGED);
  callback(Typed);
}

void CenteredInput::Typed(Fl_Widget* w, void*) {
  auto* self = static_cast<CenteredInput*>(w);
  if (self->editable_) StoreUserText(self->id_, Utf8ToAnsi(self->value()));
  self->redraw();
}

void CenteredInput::ShowText(const std::string& utf8) {
  std::string line = utf8;
  std::replace(line.begin(), line.end(), '\n', ' ');
  if (line != value()) value(line.c_str());
  redraw();
}

void CenteredInput::draw() {
  const int X = x() + kInputInset, W = w() - 2 * kInputInset;
  fl_font(textfont(), textsize());
  const int text_width = static_cast<int>(fl_width(value()));
  // Fl_Input_ keeps a few pixels for the cursor after the text.
  shift_ = std::max(0, (W - text_width - 4) / 2);
  if (damage() & FL_DAMAGE_ALL) {
    fl_color(color());
    fl_rectf(x(), y(), w(), h());
    if (border_) {
      fl_color(Fl::focus() == this ? palette::kAccent : palette::kFrame);
      fl_rect(x(), y(), w(), h());
    }
  }
  drawtext(X + shift_, y() + 1, W - shift_, h() - 2);
}

int CenteredInput::handle(int event) {
  switch (event) {
    case FL_PUSH:
    case FL_DRAG:
    case FL_RELEASE: {
      // The text is drawn shifted; the base class maps the pointer unshifted.
      const int saved = Fl::e_x;
      Fl::e_x = std::max(x() + 1, Fl::e_x - kInputInset - shift_);
      const int handled = Fl_Input::handle(event);
      Fl::e_x = saved;
      redraw();
      return handled;
    }
    case FL_FOCUS: {
      const int handled = Fl_Input::handle(event);
      redraw();
      if (!focused_) {
        focused_ = true;
        if (TableEntry(id_).events & kEventGotFocus) ControlGotFocus(id_);
      }
      return handled;
    }
    case FL_UNFOCUS: {
      const int handled = Fl_Input::handle(event);
      redraw();
      NoteFocusLeft(this);
      if (focused_) {
        focused_ = false;
        if (TableEntry(id_).events & kEventLostFocus) ControlLostFocus(id_);
      }
      return handled;
    }
    case FL_KEYBOARD: {
      const int key = VirtualKey(Fl::event_key());
      if (TableEntry(id_).events & kEventKeyPressed) ControlKeyPressed(id_, key, ModifierBits());
      const int handled = Fl_Input::handle(event);
      redraw();
      // Enter belongs to the key event alone; nothing else may take it.
      return key == kKeyEnter ? 1 : handled;
    }
    default: {
      const int handled = Fl_Input::handle(event);
      if (event == FL_PASTE) redraw();
      return handled;
    }
  }
}

// --- synopsis ---------------------------------------------------------------------

namespace {
constexpr int kSynopsisPad = 4;
}

SynopsisView::SynopsisView(Control id, int x, int y, int w, int h, TextStyle style)
    : Fl_Widget(x, y, w, h), id_(id), style_(style) {
  box(FL_FLAT_BOX);
  color(palette::kEdit);
}

void SynopsisView::ShowText(const std::string& utf8) {
  if (utf8 == text_) return;
  text_ = utf8;
  // A new text starts at its top, with the caret on the first line.
  laid_out_ = false;
  caret_line_ = top_line_ = 0;
  redraw();
}

void SynopsisView::Layout() {
  if (laid_out_) return;
  fl_font(style_.font, style_.size);
  lines_ = WrapText(text_, w() - 2 * kSynopsisPad);
  laid_out_ = true;
}

int SynopsisView::VisibleLines() const {
  return std::max(1, (h() - 2 * kSynopsisPad) / LineHeight(style_.size));
}

void SynopsisView::MoveCaret(int lines) {
  Layout();
  const int last = std::max(0, static_cast<int>(lines_.size()) - 1);
  caret_line_ = std::clamp(caret_line_ + lines, 0, last);
  if (caret_line_ < top_line_) top_line_ = caret_line_;
  if (caret_line_ >= top_line_ + VisibleLines()) top_line_ = caret_line_ - VisibleLines() + 1;
  redraw();
}

bool SynopsisView::KeyDown(int vk) {
  switch (vk) {
    case kVkUp: MoveCaret(-1); return true;
    case kVkDown: MoveCaret(1); return true;
    case 0x21: MoveCaret(-VisibleLines()); return true;  // page up
    case 0x22: MoveCaret(VisibleLines()); return true;   // page down
    default: return false;
  }
}

void SynopsisView::draw() {
  Layout();
  fl_color(color());
  fl_rectf(x(), y(), w(), h());
  fl_push_clip(x() + kSynopsisPad, y() + kSynopsisPad, w() - 2 * kSynopsisPad, h() - 2 * kSynopsisPad);
  fl_font(style_.font, style_.size);
  fl_color(style_.color);
  DrawLines(lines_, static_cast<size_t>(top_line_), x() + kSynopsisPad, y() + kSynopsisPad,
            w() - 2 * kSynopsisPad, y() + h() - kSynopsisPad, LineHeight(style_.size), false);
  fl_pop_clip();
}

int SynopsisView::handle(int event) {
  switch (event) {
    case FL_MOUSEWHEEL: {
      if (Fl::event_dy() == 0) return 1;
      // X reports one event per notch; FLTK's dy is +1 towards the user,
      // where the Windows delta is -120.
      const int raw_delta = -Fl::event_dy() * kWheelUnit;
      if (TableEntry(id_).events & kEventWheel) ControlWheel(id_, WheelDistance(raw_delta), ModifierBits());
      return 1;
    }
    case FL_PUSH: {
      Layout();
      const int line = top_line_ + (Fl::event_y() - y() - kSynopsisPad) / LineHeight(style_.size);
      caret_line_ = std::clamp(line, 0, std::max(0, static_cast<int>(lines_.size()) - 1));
      if (Fl::focus() != this) Fl::focus(this);
      return 1;
    }
    case FL_FOCUS:
      return 1;
    case FL_UNFOCUS:
      NoteFocusLeft(this);
      return 1;
    case FL_KEYBOARD:
      return KeyDown(VirtualKey(Fl::event_key())) ? 1 : 0;
    default:
      return 0;
  }
}

// --- bar and panel ------------------------------------------------------------------

Bar::Bar(int x, int y, int w, int h, Fl_Color fill) : Fl_Widget(x, y, w, h) {
  box(FL_FLAT_BOX);
  color(fill);
}

void Bar::draw() {
  if (w() <= 0) return;
  fl_color(color());
  fl_rectf(x(), y(), w(), h());
}

Panel::Panel(int x, int y, int w, int h, Fl_Color face, Fl_Color frame) : Fl_Group(x, y, w, h), frame_(frame) {
  box(FL_FLAT_BOX);
  color(face);
}

void Panel::draw() {
  if (damage() & ~FL_DAMAGE_CHILD) {
    fl_color(color());
    fl_rectf(x(), y(), w(), h());
    fl_color(frame_);
    fl_rect(x(), y(), w(), h());
  }
  draw_children();
}
