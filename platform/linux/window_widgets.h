// The FLTK widgets of the main window: flat labels and buttons, the centred
// single-line edit boxes, the synopsis view, the progress bar and the panel.
#pragma once

#include <string>
#include <vector>

#include <FL/Enumerations.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Widget.H>

#include "app/controls.h"

// The window's colours.
namespace palette {
constexpr Fl_Color Rgb(unsigned r, unsigned g, unsigned b) {
  return static_cast<Fl_Color>((r << 24) | (g << 16) | (b << 8));
}
constexpr Fl_Color kWindow = Rgb(0xF3, 0xF5, 0xF8);
constexpr Fl_Color kAccent = Rgb(0x2F, 0x5D, 0x8A);
constexpr Fl_Color kAccentHover = Rgb(0x3A, 0x70, 0xA6);
constexpr Fl_Color kAccentPressed = Rgb(0x24, 0x4A, 0x6E);
constexpr Fl_Color kOnAccent = Rgb(0xFF, 0xFF, 0xFF);
constexpr Fl_Color kCloseHover = Rgb(0xD9, 0x53, 0x4F);
constexpr Fl_Color kHeading = Rgb(0xDD, 0xE6, 0xF0);
constexpr Fl_Color kHeadingText = Rgb(0x2F, 0x3E, 0x50);
constexpr Fl_Color kFrame = Rgb(0xB7, 0xC7, 0xD9);
constexpr Fl_Color kEdit = Rgb(0xFF, 0xFF, 0xFF);
constexpr Fl_Color kMessage = Rgb(0xEA, 0xF2, 0xFB);
constexpr Fl_Color kMessageText = Rgb(0x1F, 0x3B, 0x57);
constexpr Fl_Color kSlot = Rgb(0xE4, 0xEB, 0xF3);
constexpr Fl_Color kSlotHover = Rgb(0xD0, 0xDC, 0xEA);
constexpr Fl_Color kSlotPressed = Rgb(0xBC, 0xCD, 0xE0);
constexpr Fl_Color kProgress = Rgb(0x4F, 0x8F, 0xC9);
constexpr Fl_Color kPanel = Rgb(0xFF, 0xFF, 0xFF);
constexpr Fl_Color kPanelHover = Rgb(0xEE, 0xF3, 0xF9);
constexpr Fl_Color kIconPaper = Rgb(0xFF, 0xFF, 0xFF);
}  // namespace palette

// What every control's widget takes from the window state. Texts are UTF-8
// with "\n" line breaks.
class ControlView {
 public:
  virtual ~ControlView() = default;
  virtual void ShowText(const std::string& utf8) = 0;
  virtual void ShowTextColor(Fl_Color) {}
};

struct TextStyle {
  Fl_Font font = FL_HELVETICA;
  int size = 16;
  Fl_Color color = FL_BLACK;
};

// The faces chosen for the window table's fonts on this system.
struct WindowFonts {
  Fl_Font text;   // every control but the close button
  Fl_Font close;  // the close button
};
WindowFonts ChooseFonts();

// Line height of a font size: a little tighter than the faces' own, so that
// the table's boxes hold as many lines as on Windows.
int LineHeight(int size);
// Breaks UTF-8 text into lines no wider than `width` with the current font:
// at "\n", after spaces, and between characters outside ASCII.
std::vector<std::string> WrapText(const std::string& utf8, int width);

// The title strip's drag, driven by the pointer events the strip receives.
void StartWindowDrag();
void WindowDragMotion();
void EndWindowDrag();

// Windows-style codes for FLTK's: virtual keys (0 where there is none) and
// modifier bits (1 Ctrl, 2 Shift, 4 Alt).
int VirtualKey(int fltk_key);
int ModifierBits();

class MainWindow : public Fl_Double_Window {
 public:
  MainWindow(int x, int y, int w, int h, const char* title);
  int handle(int event) override;
  // The widget to give the focus back to when the window regains it.
  void RememberFocus(Fl_Widget* w) { restore_focus_ = w; }

 private:
  Fl_Widget* restore_focus_ = nullptr;
};

// A label: text on a flat background (none when transparent).
class Label : public Fl_Widget, public ControlView {
 public:
  Label(Control id, int x, int y, int w, int h, TextStyle style, Fl_Align align, bool top);
  void SetBackground(Fl_Color c) { background_ = c, opaque_ = true; }
  bool opaque() const { return opaque_; }
  void ShowText(const std::string& utf8) override { text_ = utf8; }
  void draw() override;
  int handle(int event) override;

 private:
  Control id_;
  std::string text_;
  TextStyle style_;
  Fl_Align align_;
  bool top_;  // lines start at the top instead of being centred vertically
  bool opaque_ = false;
  Fl_Color background_ = FL_WHITE;
};

struct ButtonColors {
  Fl_Color face, hover, pressed, text;
};

enum class ButtonPicture { kNone, kDocument, kDocumentArrow };

// A flat push button with a caption or a 50 x 50 picture; a click goes to
// ControlClicked.
class FlatButton : public Fl_Button, public ControlView {
 public:
  FlatButton(Control id, int x, int y, int w, int h, TextStyle style, ButtonColors colors,
             ButtonPicture picture);
  void ShowText(const std::string& utf8) override { text_ = utf8; }
  void draw() override;
  int handle(int event) override;

 private:
  static void Clicked(Fl_Widget* w, void*);
  void DrawPicture(Fl_Color ink);

  Control id_;
  std::string text_;
  TextStyle style_;
  ButtonColors colors_;
  ButtonPicture picture_;
  bool hover_ = false;
};

// A single-line edit box whose text is centred while it fits. Read-only
// boxes allow selecting and copying; the editable one reports focus, keys and
// typing to the window state.
class CenteredInput : public Fl_Input, public ControlView {
 public:
  CenteredInput(Control id, int x, int y, int w, int h, TextStyle style, bool editable,
                bool border);
  void ShowText(const std::string& utf8) override;
  void ShowTextColor(Fl_Color c) override { textcolor(c); }
  void draw() override;
  int handle(int event) override;

 private:
  static void Typed(Fl_Widget* w, void*);

  Control id_;
  bool editable_;
  bool border_;
  bool focused_ = false;
  int shift_ = 0;  // how far the text is moved right to centre it
};

// The synopsis: multi-line, read-only, wrapped, no scroll bar. It keeps a
// caret line like a read-only edit box: the arrow keys (typed or posted) move
// it one line, and the view follows once it passes the top or bottom edge.
// The wheel goes to ControlWheel only; the view never scrolls by itself.
class SynopsisView : public Fl_Widget, public ControlView {
 public:
  SynopsisView(Control id, int x, int y, int w, int h, TextStyle style);
  void ShowText(const std::string& utf8) override;
  void ShowTextColor(Fl_Color c) override { style_.color = c; }
  // A key-down with a virtual key code; true when the key means something here.
  bool KeyDown(int vk);
  void draw() override;
  int handle(int event) override;

 private:
  void Layout();
  int VisibleLines() const;
  void MoveCaret(int lines);

  Control id_;
  std::string text_;
  TextStyle style_;
  std::vector<std::string> lines_;
  bool laid_out_ = false;
  int caret_line_ = 0;
  int top_line_ = 0;
};

// A filled bar (the progress bar).
class Bar : public Fl_Widget {
 public:
  Bar(int x, int y, int w, int h, Fl_Color fill);
  void draw() override;
};

// The panel that holds other controls: a flat face with a thin frame.
class Panel : public Fl_Group {
 public:
  Panel(int x, int y, int w, int h, Fl_Color face, Fl_Color frame);
  void draw() override;

 private:
  Fl_Color frame_;
};
