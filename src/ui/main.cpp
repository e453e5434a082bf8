#include "ui/main.h"

#include "platform/fonts.h"
#include "ui/icon.h"
#include "ui/indicators.h"
#include "ui/texts.h"
#include "ui/window_fonts.h"

using namespace platform;

TMainForm* MainForm = nullptr;

namespace {

TPanel* Panel(QWidget* parent, int left, int top, int width, int height, const char* caption,
              TColor color, const TFontSpec& font) {
  auto* panel = new TPanel(parent);
  panel->SetBounds(left, top, width, height);
  ApplyFont(panel, font);
  panel->SetCaption(caption);
  panel->SetColor(color);
  return panel;
}

// A label sizes itself to its text in its font: the font comes first.
TLabel* Label(QWidget* parent, int left, int top, const char* caption, const TFontSpec& font) {
  auto* label = new TLabel(parent);
  label->move(left, top);
  ApplyFont(label, font);
  label->SetCaption(caption);
  return label;
}

TButton* Button(QWidget* parent, int left, int top, int width, int height, const char* caption) {
  auto* button = new TButton(parent);
  button->SetBounds(left, top, width, height);
  button->SetCaption(caption);
  return button;
}

}  // namespace

TMainForm::TMainForm() {
  MainForm = this;
  CreateControls();
  OnKeyDown = [this](TObject* sender, uint16_t& key, TShiftState shift) {
    FormKeyDown(sender, key, shift);
  };
  seDelay->OnChange = [this](TObject* sender) { seDelayChange(sender); };
  btnMTzero->OnClick = [this](TObject* sender) { btnMTzeroClick(sender); };
  btnSTzero->OnClick = [this](TObject* sender) { btnSTzeroClick(sender); };
  btnResetFactory->OnClick = [this](TObject* sender) { btnResetFactoryClick(sender); };
  btnStartSelfCal->OnClick = [this](TObject* sender) { btnStartSelfCalClick(sender); };
  PaintBoxKot->OnPaint = [this](TObject* sender) { PaintBoxKotPaint(sender); };
  InitTimer->SetOnTimer([this](TObject* sender) { InitTimerTimer(sender); });
  TimerBeriEnkoder->SetOnTimer([this](TObject* sender) { TimerBeriEnkoderTimer(sender); });
  FormCreate(this);
}

TMainForm::~TMainForm() {
  FormDestroy(this);
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::CreateControls() {
  PrepareFonts();
  SetCaption("Tovra-2 Asnychronous Serial (UART) Demo");
  SetClientSize(719, 429);
  FillWith(this, clBtnFace);
  ApplyFont(this, kWindowFont);
  SetKeyPreview(true);
  SetScreenSnap(10);
  setWindowIcon(WindowIcon());

  // Left column: port, baud rate, delay, blinker, identity, polling switch, raw replies.
  listCom = new TListBox(this);
  listCom->SetBounds(7, 14, 73, 106);
  for (const char* item : {"1", "2", "3"}) listCom->Add(item);
  listCom->SetEnabled(false);

  rgBaudrate = new TRadioGroup(this);
  rgBaudrate->SetBounds(87, 8, 89, 145);
  rgBaudrate->SetCaption("Baudrate");
  rgBaudrate->SetItems({"A - 115200", "B - 128000", "C - 230400", "D - 256000", "E - 500000",
                        "F - 1000000", "G - 921600"});
  rgBaudrate->SetItemIndex(0);
  rgBaudrate->SetEnabled(false);

  seDelay = new TSpinEdit(this);
  seDelay->SetBounds(8, 126, 49, 22);
  seDelay->SetRange(10, 1000);
  seDelay->SetIncrement(10);
  seDelay->SetValue(50);
  seDelay->SetHint("Delay (ms)");

  pnlComm = Panel(this, 72, 126, 9, 11, "", clBtnFace, kWindowFont);
  pnlComm->SetBevels(bvNone, bvLowered);

  lblHeader = Label(this, 7, 174, "Header", kIdentityFont);
  lblHeader->SetColor(kHeaderNotYet);
  lblFW_verzija = Label(this, 7, 200, "FW ver", kIdentityFont);
  lblFW_verzija->SetHint("Firmware revision");
  lblSerijska_prebrana = Label(this, 7, 227, "Serial num.", kIdentityFont);
  lblIdent_prebran = Label(this, 7, 253, "Part num.", kIdentityFont);
  lblResolucija = Label(this, 8, 280, "Resolution", kIdentityFont);
  for (TLabel* label : {lblFW_verzija, lblSerijska_prebrana, lblIdent_prebran, lblResolucija})
    label->SetColor(clBtnFace);

  cbBeriEnkoder = new TCheckBox(this);
  cbBeriEnkoder->SetBounds(8, 309, 124, 17);
  ApplyFont(cbBeriEnkoder, kSwitchFont);
  cbBeriEnkoder->SetCaption("Read encoder");
  cbBeriEnkoder->OnClick = [this](TObject* sender) { cbBeriEnkoderClick(sender); };

  lblRxBuffer1 = Label(this, 8, 332, "lblRxBuffer1", kWindowFont);
  lblRxBuffer2 = Label(this, 8, 332, "lblRxBuffer2", kWindowFont);

  // Centre: position panels, angle dial, measurements, status group.
  pnlAbsPosMT = Panel(this, 182, 11, 272, 35, "0", kPositionPanel, kPositionFont);
  pnlAbsPosMT->SetHint("Multiturn counter value");
  pnlAbsPosMT->SetVisible(false);
  pnlAbsPosCnt = Panel(this, 182, 48, 272, 35, kNoPositionText, kPositionPanel, kPositionFont);
  pnlAbsPosCnt->SetHint("Singleturn position (counts)");
  pnlAbsPosDeg = Panel(this, 182, 85, 272, 35, kNotConnectedText, kPositionPanel, kPositionFont);
  pnlAbsPosDeg->SetHint("Singleturn position (degrees)");

  PaintBoxKot = new TPaintBox(this);
  PaintBoxKot->SetBounds(182, 133, 100, 100);

  lblSpeed = Label(this, 230, 297, "Speed", kMeasurementFont);
  lblTempAsic_C = Label(this, 230, 332, "TempAsic", kMeasurementFont);
  lblSignalLevel = Label(this, 230, 361, "SignalLevel", kMeasurementFont);
  lblTovraairGap = Label(this, 230, 393, "AirGap", kMeasurementFont);
  for (TLabel* label : {lblSpeed, lblTempAsic_C, lblSignalLevel, lblTovraairGap}) {
    label->SetColor(clBtnFace);
    label->setMinimumHeight(23);  // the layout's line height for this font
  }

  gbEncoderStatus = new TGroupBox(this);
  gbEncoderStatus->SetBounds(288, 126, 166, 148);
  gbEncoderStatus->SetCaption(" Encoder Status ");
  auto status = [this](int column, int row, const char* caption) {
    return Panel(gbEncoderStatus, column == 0 ? 3 : 83, 16 + 18 * row, 79, 17, caption,
                 kIndicatorNotYet, row == 0 ? kIndicatorBoldFont : kIndicatorFont);
  };
  pnlAError = status(0, 0, "Error");
  pnlAWarning = status(1, 0, "Warning");
  pnlAsicReset = status(0, 1, "Sensor Init");
  pnlNoOffsetTable = status(1, 1, "No Calibration");
  pnlSyncErr = status(0, 2, "Sensor Err");
  pnlInvalidPNcode = status(1, 2, "Wrong Reading");
  pnlClipADC = status(0, 3, "Ext Magn Field");
  pnlSkokPozicije = status(1, 3, "Accelerat Err");
  pnlAmplitudaHi = status(0, 4, "Signal High");
  pnlTemperaturaAsic = status(1, 4, "Temerature");
  pnlAmplitudaWarn = status(0, 5, "Signal Low");
  pnlVref_out_of_range = status(1, 5, "Supply Err");
  pnlAmplitudaErr = status(0, 6, "Signal Lost");
  pnlMultiturnErr = status(1, 6, "Multiturn Err");

  // Right: command buttons, self-calibration progress and group.
  btnMTzero = Button(this, 473, 20, 87, 33, "Multiturn 0");
  btnSTzero = Button(this, 623, 20, 88, 33, "Set zero here");
  btnStartSelfCal = Button(this, 473, 85, 85, 35, "Start Self-Cal");
  btnResetFactory = Button(this, 623, 85, 88, 35, "Reset to Factory");

  progBarCal = new TProgressBar(this);
  progBarCal->SetBounds(472, 133, 239, 17);

  GroupBox4 = new TGroupBox(this);
  GroupBox4->SetBounds(473, 156, 239, 258);
  GroupBox4->SetCaption(" Self-calibration status  ");
  auto selfCal = [this](int top, const char* caption) {
    return Panel(GroupBox4, 19, top, 201, 17, caption, kIndicatorNotYet, kIndicatorFont);
  };
  pnlAselfCalFinished = selfCal(25, "Procedure finished");
  pnlAselfCalTimeout = selfCal(44, "Timeout - 10 seconds expired");
  pnlAselfCalOutOfRange = selfCal(63, "Calibration out of range");
  pnlAselfCalParamOutOfRange = selfCal(82, "Input Arc Length out of range");
  pnlAselfCalNoCorrection = selfCal(101, "No correction necessary");
  pnlASelfCalUserErrMap = selfCal(120, "User Error map in use");
  pnlAselfCalSucessfull = selfCal(139, "Calibration successfull");
  lblAselfCalResult = new TStaticText(GroupBox4);
  lblAselfCalResult->SetBounds(19, 162, 198, 93);
  lblAselfCalResult->SetCaption("...");

  // Timers: both off until the window's creation and the polling switch turn them on.
  InitTimer = new TTimer(this);
  InitTimer->SetEnabled(false);
  InitTimer->SetInterval(200);
  TimerBeriEnkoder = new TTimer(this);
  TimerBeriEnkoder->SetEnabled(false);
  TimerBeriEnkoder->SetInterval(50);

  // Tab order of the controls that can take the focus; the window opens on "Read encoder".
  setTabOrder(rgBaudrate, listCom);
  setTabOrder(listCom, cbBeriEnkoder);
  setTabOrder(cbBeriEnkoder, btnMTzero);
  setTabOrder(btnMTzero, seDelay);
  setTabOrder(seDelay, btnSTzero);
  setTabOrder(btnSTzero, btnResetFactory);
  setTabOrder(btnResetFactory, btnStartSelfCal);
  cbBeriEnkoder->setFocus();
}
