#include "platform/forms.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"

namespace platform {

QColor ToQColor(TColor c) {
  return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

namespace {

// Line breaks are CR LF in the program's texts; Qt wants LF alone.
QString Display(const std::string& text) {
  QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}
}  // namespace

void Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    MessageDlg(e.what(), mtError, mbOK, 0);
  }
}

std::string Latin1Text(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString();
}

std::optional<int32_t> ParseWholeNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  // Stops growing past the 32-bit range, so that no count of digits can overflow it.
  constexpr int64_t kBeyond = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 2;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = std::min(value * 10 + (text[i] - '0'), kBeyond);
  }
  if (negative) value = -value;
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

void ApplyFont(QWidget* w, const TFontSpec& spec) {
  w->setFont(MakeFont(spec));
}

void FillWith(QWidget* w, TColor color) {
  QPalette palette = w->palette();
  palette.setColor(QPalette::Window, ToQColor(color));
  w->setPalette(palette);
  w->setAutoFillBackground(true);
}

// --- TLabel

TLabel::TLabel(QWidget* parent) : TControl(parent) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TLabel::SetCaption(const std::string& text) {
  // The same text again changes nothing: no new layout, no repaint (most of a poll's updates).
  if (captioned_ && text == caption_) return;
  captioned_ = true;
  caption_ = text;
  setText(Display(text));
  resize(sizeHint());
}

void TLabel::SetColor(TColor color) {
  if (filled_ && color == color_) return;
  filled_ = true;
  color_ = color;
  FillWith(this, color);
}

// --- TPanel

TPanel::TPanel(QWidget* parent) : TControl(parent) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignCenter);
  setFocusPolicy(Qt::NoFocus);
  SetBevels(bvLowered, bvNone);
  FillWith(this, color_);
}

void TPanel::SetCaption(const std::string& text) {
  if (captioned_ && text == caption_) return;
  captioned_ = true;
  caption_ = text;
  setText(Display(text));
}

void TPanel::SetColor(TColor color) {
  if (filled_ && color == color_) return;
  filled_ = true;
  color_ = color;
  FillWith(this, color);
}

void TPanel::SetBevels(TBevelCut outer, TBevelCut inner) {
  const TBevelCut cut = outer != bvNone ? outer : inner;
  if (cut == bvNone) {
    setFrameStyle(QFrame::NoFrame);
    return;
  }
  setFrameStyle(QFrame::Panel | (cut == bvLowered ? QFrame::Sunken : QFrame::Raised));
  setLineWidth(1);
}

// --- TButton

TButton::TButton(QWidget* parent) : TControl(parent) {
  QObject::connect(this, &QPushButton::clicked, [this] {
    if (OnClick) Guarded([&] { OnClick(this); });
  });
}

void TButton::Click() {
  click();
}

// --- TCheckBox

TCheckBox::TCheckBox(QWidget* parent) : TControl(parent) {
  // toggled: every change of the checked state, by the user or the program, and only then.
  QObject::connect(this, &QCheckBox::toggled, [this](bool) {
    if (OnClick) Guarded([&] { OnClick(this); });
  });
}

// --- TRadioGroup

TRadioGroup::TRadioGroup(QWidget* parent) : TControl(parent), group_(new QButtonGroup(this)) {
  group_->setExclusive(true);
}

void TRadioGroup::SetItems(const std::vector<std::string>& items) {
  for (QWidget* b : buttons_) delete b;
  buttons_.clear();
  int id = 0;
  for (const auto& item : items) {
    auto* button = new QRadioButton(QString::fromStdString(item), this);
    group_->addButton(button, id++);
    buttons_.push_back(button);
  }
  PlaceItems();
}

std::string TRadioGroup::Item(int i) const {
  return static_cast<QRadioButton*>(buttons_.at(static_cast<size_t>(i)))->text().toStdString();
}

int TRadioGroup::ItemIndex() const {
  return group_->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
  if (index < 0 || index >= Count()) {
    group_->setExclusive(false);
    if (QAbstractButton* b = group_->checkedButton()) b->setChecked(false);
    group_->setExclusive(true);
    return;
  }
  group_->button(index)->setChecked(true);
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
  QGroupBox::resizeEvent(event);
  PlaceItems();
}

void TRadioGroup::PlaceItems() {
  if (buttons_.empty()) return;
  // Items share the room below the caption evenly, one column.
  const int top = 14;
  const int room = std::max(0, height() - top - 4);
  const int rowHeight = room / static_cast<int>(buttons_.size());
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const int y = top + static_cast<int>(i) * rowHeight;
    buttons_[i]->setGeometry(6, y + std::max(0, (rowHeight - 17) / 2), width() - 8, 17);
  }
}

// --- TListBox

TListBox::TListBox(QWidget* parent) : TControl(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void TListBox::Add(const std::string& item) {
  addItem(QString::fromStdString(item));
}

std::string TListBox::Item(int i) const {
  return item(i)->text().toStdString();
}

int TListBox::ItemIndex() const {
  const auto selected = selectedItems();
  return selected.isEmpty() ? -1 : row(selected.first());
}

void TListBox::SetItemIndex(int index) {
  if (index < 0 || index >= count()) {
    ClearSelection();
    return;
  }
  setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

void TListBox::ClearSelection() {
  clearSelection();
  setCurrentRow(-1, QItemSelectionModel::Clear);
}

// --- TSpinEdit

TSpinEdit::TSpinEdit(QWidget* parent) : TControl(parent) {
  setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  QObject::connect(lineEdit(), &QLineEdit::textChanged, [this](const QString&) {
    if (OnChange) Guarded([&] { OnChange(this); });
  });
}

int32_t TSpinEdit::Value() const {
  const auto typed = ParseWholeNumber(Text());
  return typed ? *typed : min_;
}

int32_t TSpinEdit::Bounded(int32_t value) const {
  if (max_ == min_) return value;
  return std::clamp(value, min_, max_);
}

void TSpinEdit::SetValue(int32_t value) {
  SetText(std::to_string(Bounded(value)));
}

std::string TSpinEdit::Text() const {
  return lineEdit()->text().toStdString();
}

void TSpinEdit::SetText(const std::string& text) {
  lineEdit()->setText(QString::fromStdString(text));
}

void TSpinEdit::stepBy(int steps) {
  const int64_t next = static_cast<int64_t>(Value()) + static_cast<int64_t>(steps) * increment_;
  SetValue(static_cast<int32_t>(std::clamp<int64_t>(next, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max())));
}

QValidator::State TSpinEdit::validate(QString& /*input*/, int& /*pos*/) const {
  // Any text may stand while typing; the value says what it means.
  return QValidator::Acceptable;
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
  // The field then reads as the value it stands for: within its bounds, and a number.
  if (Text() != std::to_string(Bounded(Value()))) SetValue(Value());
  QAbstractSpinBox::focusOutEvent(event);
}

// --- TGroupBox

TGroupBox::TGroupBox(QWidget* parent) : TControl(parent) {}

// --- TStaticText

TStaticText::TStaticText(QWidget* parent) : TControl(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TStaticText::SetCaption(const std::string& text) {
  caption_ = text;
  setText(Display(text));
}

// --- TProgressBar

TProgressBar::TProgressBar(QWidget* parent) : TControl(parent) {
  setRange(0, 100);
  setValue(0);
  setTextVisible(false);
}

void TProgressBar::SetPosition(int position) {
  setValue(std::clamp(position, minimum(), maximum()));
}

// --- TCanvas

void TCanvas::UsePen() {
  if (Pen.Style == psClear) {
    painter_.setPen(Qt::NoPen);
    return;
  }
  QPen pen(ToQColor(Pen.Color));
  pen.setWidth(Pen.Width);
  painter_.setPen(pen);
}

std::vector<QPoint> ArcPixels(int x1, int y1, int x2, int y2, double startDegrees,
                              double spanDegrees) {
  const double cx = (x1 + x2 - 1) / 2.0;
  const double cy = (y1 + y2 - 1) / 2.0;
  const double a = (x2 - x1 - 1) / 2.0;
  const double b = (y2 - y1 - 1) / 2.0;
  std::vector<QPoint> outline;
  if (a <= 0 || b <= 0) return outline;
  // Sample by columns and by rows: together an outline without gaps.
  for (int x = x1; x <= x2 - 1; ++x) {
    const double u = std::clamp((x - cx) / a, -1.0, 1.0);
    const double h = b * std::sqrt(1.0 - u * u);
    outline.emplace_back(x, static_cast<int>(std::lround(cy - h)));
    outline.emplace_back(x, static_cast<int>(std::lround(cy + h)));
  }
  for (int y = y1; y <= y2 - 1; ++y) {
    const double v = std::clamp((y - cy) / b, -1.0, 1.0);
    const double w = a * std::sqrt(1.0 - v * v);
    outline.emplace_back(static_cast<int>(std::lround(cx - w)), y);
    outline.emplace_back(static_cast<int>(std::lround(cx + w)), y);
  }
  std::sort(outline.begin(), outline.end(), [](const QPoint& p, const QPoint& q) {
    return p.x() != q.x() ? p.x() < q.x() : p.y() < q.y();
  });
  outline.erase(std::unique(outline.begin(), outline.end()), outline.end());

  std::vector<QPoint> arc;
  for (const QPoint& p : outline) {
    // Screen y grows downwards; angles count counter-clockwise from three o'clock.
    double angle = std::atan2(cy - p.y(), p.x() - cx) * 180.0 / M_PI - startDegrees;
    while (angle < 0) angle += 360.0;
    while (angle >= 360.0) angle -= 360.0;
    if (angle <= spanDegrees) arc.push_back(p);
  }
  return arc;
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  const double cx = (x1 + x2) / 2.0;
  const double cy = (y1 + y2) / 2.0;
  const double start = std::atan2(cy - y3, x3 - cx) * 180.0 / M_PI;
  const double end = std::atan2(cy - y4, x4 - cx) * 180.0 / M_PI;
  double span = end - start;
  while (span <= 0) span += 360.0;
  UsePen();
  // A dial draws the same arc on every paint: its pixels are worked out once.
  struct Key {
    int x1, y1, x2, y2;
    double start, span;
    bool operator==(const Key&) const = default;
  };
  static Key last{};
  static std::vector<QPoint> pixels;
  const Key key{x1, y1, x2, y2, start, span};
  if (pixels.empty() || !(key == last)) {
    pixels = ArcPixels(x1, y1, x2, y2, start, span);
    last = key;
  }
  painter_.drawPoints(pixels.data(), static_cast<int>(pixels.size()));
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const QFontMetrics metrics(painter_.font());
  const QRect cell(x, y, metrics.horizontalAdvance(s), metrics.height());
  painter_.fillRect(cell, ToQColor(Brush.Color));
  painter_.setPen(ToQColor(FontColor));
  painter_.drawText(cell, Qt::AlignLeft | Qt::AlignTop, s);
}

void TCanvas::MoveTo(int x, int y) {
  penX_ = x;
  penY_ = y;
}

void TCanvas::LineTo(int x, int y) {
  UsePen();
  painter_.drawLine(penX_, penY_, x, y);
  penX_ = x;
  penY_ = y;
}

// --- TPaintBox

TPaintBox::TPaintBox(QWidget* parent) : TControl(parent) {
  // Its paint covers its whole rectangle: nothing beneath needs painting first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintBox::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(clBtnFace));
  painter.setFont(font());
  TCanvas canvas(painter);
  canvas.Brush.Color = Color();
  canvas_ = &canvas;
  if (OnPaint) Guarded([&] { OnPaint(this); });
  canvas_ = nullptr;
}

// --- TTimer

TTimer::TTimer(QObject* owner) : QObject(owner) {}

TTimer::~TTimer() {
  Stop();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(uint32_t ms) {
  if (ms == interval_) return;
  interval_ = ms;
  Update();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  Update();
}

bool TTimer::Running() const {
  return enabled_ && interval_ > 0 && onTimer_ != nullptr;
}

void TTimer::Stop() {
  if (qtimer_) qtimer_->stop();
  if (virtualId_) {
    if (VirtualClock* clock = ActiveVirtualClock()) clock->Cancel(virtualId_);
    virtualId_ = 0;
  }
}

void TTimer::Update() {
  Stop();
  if (!Running()) return;
  if (VirtualClock* clock = ActiveVirtualClock()) {
    virtualId_ = clock->Schedule(interval_, [this] { Tick(); });
    return;
  }
  if (!qtimer_) {
    qtimer_ = new QTimer(this);
    qtimer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(qtimer_, &QTimer::timeout, [this] {
      if (onTimer_) Guarded([&] { onTimer_(this); });
    });
  }
  qtimer_->start(static_cast<int>(std::min<uint32_t>(interval_, std::numeric_limits<int>::max())));
}

void TTimer::Tick() {
  // Virtual clock: the next period starts at this tick, before the handler runs.
  VirtualClock* clock = ActiveVirtualClock();
  virtualId_ = clock ? clock->Schedule(interval_, [this] { Tick(); }) : 0;
  if (onTimer_) Guarded([&] { onTimer_(this); });
}

// --- TForm

TForm::TForm() : QWidget(nullptr) {
  qApp->installEventFilter(this);
}

TForm::~TForm() {
  qApp->removeEventFilter(this);
}

void TForm::SetClientSize(int width, int height) {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(width, height);
}

QPoint SnapToWorkArea(const QRect& frame, const QRect& work, int distance) {
  QPoint at = frame.topLeft();
  if (std::abs(frame.left() - work.left()) <= distance) {
    at.setX(work.left());
  } else if (std::abs(frame.right() - work.right()) <= distance) {
    at.setX(work.right() - frame.width() + 1);
  }
  if (std::abs(frame.top() - work.top()) <= distance) {
    at.setY(work.top());
  } else if (std::abs(frame.bottom() - work.bottom()) <= distance) {
    at.setY(work.bottom() - frame.height() + 1);
  }
  return at;
}

void TForm::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (snap_ <= 0 || snapping_ || !isVisible() || !screen()) return;
  const QRect frame = frameGeometry();
  const QPoint at = SnapToWorkArea(frame, screen()->availableGeometry(), snap_);
  if (at == frame.topLeft()) return;
  snapping_ = true;
  move(at);
  snapping_ = false;
}

void TForm::closeEvent(QCloseEvent* event) {
  // A search or a pause in progress ends promptly once the window is being closed.
  Application.Terminate();
  QWidget::closeEvent(event);
}

bool TForm::eventFilter(QObject* watched, QEvent* event) {
  if (keyPreview_ && OnKeyDown && event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    auto* key = static_cast<QKeyEvent*>(event);
    // A press reaches the filter once per widget on its way up from the focused control;
    // take it at that first stop only (the window itself when nothing in it has the focus).
    QWidget* focus = QApplication::focusWidget();
    QWidget* first = (focus && focus->window() == this) ? focus : this;
    if (watched == first) {
      TShiftState shift = 0;
      const auto mods = key->modifiers();
      if (mods & Qt::ShiftModifier) shift |= ssShift;
      if (mods & Qt::ControlModifier) shift |= ssCtrl;
      if (mods & Qt::AltModifier) shift |= ssAlt;
      if (mods & Qt::MetaModifier) shift |= ssMeta;
      uint16_t code = static_cast<uint16_t>(key->key() & 0xFFFF);
      Guarded([&] { OnKeyDown(this, code, shift); });
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace platform
