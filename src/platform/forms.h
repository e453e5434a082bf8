// The controls the program works with, thin over Qt widgets, with the behaviour the program
// relies on: check boxes run their click handler on every real change of state and only then,
// timers restart their period on every real change, labels grow right and down from a fixed
// top-left corner, panels fill with their own colour, Repaint paints at once.
#pragma once

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/colors.h"

class QButtonGroup;
class QPainter;
class QTimer;

namespace platform {

using TObject = QObject;
using TNotifyEvent = std::function<void(TObject* sender)>;

// Modifier keys held with a key press.
enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssMeta = 8 };
using TShiftState = unsigned;
using TKeyEvent = std::function<void(TObject* sender, uint16_t& key, TShiftState shift)>;

QColor ToQColor(TColor color);

// Runs an event handler; an error that escapes it is shown in an error box and the program
// goes on, the handler's remaining steps skipped.
void Guarded(const std::function<void()>& handler);

// Text in a control: UTF-8. Device bytes are shown as Latin-1 (see Latin1Text).
std::string Latin1Text(const std::string& bytes);

// The whole number a text holds (optional blanks before it, an optional sign, decimal digits),
// or nothing. One beyond 32 bits is taken at the nearest 32-bit limit, however many digits.
std::optional<int32_t> ParseWholeNumber(const std::string& text);

// Font by pixel height, not point size, so nothing scales with the screen; where the named
// font cannot be drawn at that height, a substitute of the same height and weight is.
struct TFontSpec {
  std::string name;
  int pixelHeight = 11;  // character height
  bool bold = false;
  // For a bitmap font: the cell height of the size to draw (character height plus internal
  // leading); the named font is asked for by it, a substitute by the character height.
  int cellHeight = 0;
  // Whole-pixel advances (full hinting).
  bool fullHinting = false;
};
void ApplyFont(QWidget* w, const TFontSpec& font);

// Behaviour every control shares.
template <class W>
class TControl : public W {
 public:
  explicit TControl(QWidget* parent) : W(parent) {}
  void SetBounds(int left, int top, int width, int height) {
    this->setGeometry(left, top, width, height);
  }
  int Left() const { return this->x(); }
  int Top() const { return this->y(); }
  int Width() const { return this->width(); }
  int Height() const { return this->height(); }
  // The control's own visibility, whether or not its window is on the screen.
  bool Visible() const { return visible_; }
  void SetVisible(bool v) {
    visible_ = v;
    this->setVisible(v);
  }
  bool Enabled() const { return this->isEnabled(); }
  void SetEnabled(bool e) { this->setEnabled(e); }
  void SetHint(const std::string& hint) { this->setToolTip(QString::fromStdString(hint)); }
  // Invalidates and paints at once.
  void Repaint() { this->repaint(); }

 private:
  bool visible_ = true;
};

// Background fill in a control's own colour.
void FillWith(QWidget* w, TColor color);

class TLabel : public TControl<QLabel> {
 public:
  explicit TLabel(QWidget* parent);
  const std::string& Caption() const { return caption_; }
  // Sizes the label to its text: the left and top edges stay, it grows right and down.
  void SetCaption(const std::string& text);
  TColor Color() const { return color_; }
  // Fills the label's rectangle with `color`.
  void SetColor(TColor color);

 private:
  std::string caption_;
  TColor color_ = clBtnFace;
  bool captioned_ = false, filled_ = false;
};

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TControl<QLabel> {
 public:
  explicit TPanel(QWidget* parent);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& text);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  void SetBevels(TBevelCut outer, TBevelCut inner);

 private:
  std::string caption_;
  TColor color_ = clBtnFace;
  bool captioned_ = false, filled_ = false;
};

class TButton : public TControl<QPushButton> {
 public:
  explicit TButton(QWidget* parent);
  std::string Caption() const { return text().toStdString(); }
  void SetCaption(const std::string& text) { setText(QString::fromStdString(text)); }
  // Runs the click handler as a real click would.
  void Click();
  TNotifyEvent OnClick;
};

class TCheckBox : public TControl<QCheckBox> {
 public:
  explicit TCheckBox(QWidget* parent);
  std::string Caption() const { return text().toStdString(); }
  void SetCaption(const std::string& text) { setText(QString::fromStdString(text)); }
  bool Checked() const { return isChecked(); }
  // A real change runs OnClick; the same state runs nothing.
  void SetChecked(bool checked) { setChecked(checked); }
  TNotifyEvent OnClick;
};

class TRadioGroup : public TControl<QGroupBox> {
 public:
  explicit TRadioGroup(QWidget* parent);
  void SetCaption(const std::string& text) { setTitle(QString::fromStdString(text)); }
  void SetItems(const std::vector<std::string>& items);
  int Count() const { return static_cast<int>(buttons_.size()); }
  std::string Item(int i) const;
  // -1 when no item is selected.
  int ItemIndex() const;
  void SetItemIndex(int index);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceItems();
  QButtonGroup* group_;
  std::vector<QWidget*> buttons_;
};

class TListBox : public TControl<QListWidget> {
 public:
  explicit TListBox(QWidget* parent);
  void Clear() { clear(); }
  void Add(const std::string& item);
  int Count() const { return count(); }
  std::string Item(int i) const;
  // -1 when no item is selected.
  int ItemIndex() const;
  // Makes `index` the only selected item; -1 clears the selection.
  void SetItemIndex(int index);
  void ClearSelection();
  // Paints the frame and the rows at once.
  void Repaint() {
    repaint();
    viewport()->repaint();
  }
};

// A number field whose value, while the user types, is the typed whole number (or the lower
// bound when the text is not one); the bounds are applied when it loses the focus or steps.
class TSpinEdit : public TControl<QAbstractSpinBox> {
 public:
  explicit TSpinEdit(QWidget* parent);
  int32_t Value() const;
  void SetValue(int32_t value);
  std::string Text() const;
  // Puts `text` in the field as typing would.
  void SetText(const std::string& text);
  void SetRange(int32_t minValue, int32_t maxValue) {
    min_ = minValue;
    max_ = maxValue;
  }
  void SetIncrement(int32_t step) { increment_ = step; }
  int32_t MinValue() const { return min_; }
  int32_t MaxValue() const { return max_; }
  TNotifyEvent OnChange;

  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;

 protected:
  StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int32_t Bounded(int32_t value) const;
  int32_t min_ = 0;
  int32_t max_ = 100;
  int32_t increment_ = 1;
};

class TGroupBox : public TControl<QGroupBox> {
 public:
  explicit TGroupBox(QWidget* parent);
  void SetCaption(const std::string& text) { setTitle(QString::fromStdString(text)); }
  std::string Caption() const { return title().toStdString(); }
};

// Text in a fixed rectangle: lines wrapped at word boundaries, the rest cut off.
class TStaticText : public TControl<QLabel> {
 public:
  explicit TStaticText(QWidget* parent);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& text);

 private:
  std::string caption_;
};

class TProgressBar : public TControl<QProgressBar> {
 public:
  explicit TProgressBar(QWidget* parent);
  int Max() const { return maximum(); }
  void SetMax(int max) { setMaximum(max); }
  int Position() const { return value(); }
  void SetPosition(int position);
};

enum TPenStyle { psSolid, psClear };

// The pixels of the arc of the ellipse inscribed in (x1, y1)-(x2, y2), right and bottom edges
// excluded, running counter-clockwise (on the screen) for `spanDegrees` from `startDegrees`
// (0 at three o'clock). The outline has no gaps: every column and every row it crosses is set.
std::vector<QPoint> ArcPixels(int x1, int y1, int x2, int y2, double startDegrees,
                              double spanDegrees);

// Drawing surface of a paint box while it paints.
class TCanvas {
 public:
  struct Pen {
    int Width = 1;
    TPenStyle Style = psSolid;
    TColor Color = clBlack;
  } Pen;
  struct Brush {
    TColor Color = clBtnFace;
  } Brush;
  TColor FontColor = clWindowText;

  explicit TCanvas(QPainter& painter) : painter_(painter) {}
  // Arc of the ellipse inscribed in (x1, y1)-(x2, y2), counter-clockwise from the ray through
  // (x3, y3) to the ray through (x4, y4), both from the centre.
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  // Text with the top-left corner of its cell at (x, y), on an opaque background of the brush.
  void TextOut(int x, int y, const std::string& text);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);

 private:
  void UsePen();
  QPainter& painter_;
  int penX_ = 0;
  int penY_ = 0;
};

class TPaintBox : public TControl<QWidget> {
 public:
  explicit TPaintBox(QWidget* parent);
  TColor Color() const { return clBtnFace; }
  // Valid only while OnPaint runs.
  TCanvas* Canvas() { return canvas_; }
  TNotifyEvent OnPaint;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TCanvas* canvas_ = nullptr;
};

// A toolkit timer: ticks only while enabled with a non-zero interval and a handler; setting a
// property to the value it has changes nothing, a real change starts the period afresh; ticks
// come from the event loop and do not pile up.
class TTimer : public QObject {
 public:
  // Owned by `owner`, like any child object.
  explicit TTimer(QObject* owner);
  ~TTimer() override;
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t ms);
  void SetOnTimer(TNotifyEvent handler);
  // Whether ticks would currently come.
  bool Running() const;

 private:
  void Update();
  void Stop();
  void Tick();
  QTimer* qtimer_ = nullptr;
  VirtualClock::TimerId virtualId_ = 0;
  bool enabled_ = true;
  uint32_t interval_ = 1000;
  TNotifyEvent onTimer_;
};

// Where a window of `frame` lands when its edges within `distance` pixels of the work area's
// edges snap to them.
QPoint SnapToWorkArea(const QRect& frame, const QRect& workArea, int distance);

// A top-level window.
class TForm : public QWidget {
 public:
  TForm();
  ~TForm() override;
  std::string Caption() const { return windowTitle().toStdString(); }
  void SetCaption(const std::string& text) { setWindowTitle(QString::fromStdString(text)); }
  // A client area of fixed size: a single border, no maximise button, not resizable.
  void SetClientSize(int width, int height);
  // While dragged, the window snaps to the screen's work-area edges within `distance` pixels
  // (where the desktop lets a program place its window).
  void SetScreenSnap(int distance) { snap_ = distance; }
  // With key preview on, OnKeyDown sees every key pressed in the window before the focused
  // control does; the key goes on to that control.
  void SetKeyPreview(bool on) { keyPreview_ = on; }
  TKeyEvent OnKeyDown;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool keyPreview_ = false;
  int snap_ = 0;
  bool snapping_ = false;
};

}  // namespace platform
