// The main window: every control and the encoder state all handlers share.
#pragma once

#include <cstdint>

#include "platform/comm.h"
#include "platform/forms.h"
#include "protocol/bytes.h"

using platform::TObject;

class TMainForm : public platform::TForm {
 public:
  TMainForm();
  ~TMainForm() override;

  // --- Controls: left column.
  platform::TListBox* listCom;
  platform::TRadioGroup* rgBaudrate;
  platform::TSpinEdit* seDelay;
  platform::TPanel* pnlComm;
  platform::TLabel* lblHeader;
  platform::TLabel* lblFW_verzija;
  platform::TLabel* lblSerijska_prebrana;
  platform::TLabel* lblIdent_prebran;
  platform::TLabel* lblResolucija;
  platform::TCheckBox* cbBeriEnkoder;
  platform::TLabel* lblRxBuffer1;
  platform::TLabel* lblRxBuffer2;

  // Centre: position panels, dial, measurements, status group.
  platform::TPanel* pnlAbsPosMT;
  platform::TPanel* pnlAbsPosCnt;
  platform::TPanel* pnlAbsPosDeg;
  platform::TPaintBox* PaintBoxKot;
  platform::TLabel* lblSpeed;
  platform::TLabel* lblTempAsic_C;
  platform::TLabel* lblSignalLevel;
  platform::TLabel* lblTovraairGap;
  platform::TGroupBox* gbEncoderStatus;
  platform::TPanel* pnlAError;
  platform::TPanel* pnlAWarning;
  platform::TPanel* pnlAsicReset;
  platform::TPanel* pnlNoOffsetTable;
  platform::TPanel* pnlSyncErr;
  platform::TPanel* pnlInvalidPNcode;
  platform::TPanel* pnlClipADC;
  platform::TPanel* pnlSkokPozicije;
  platform::TPanel* pnlAmplitudaHi;
  platform::TPanel* pnlTemperaturaAsic;
  platform::TPanel* pnlAmplitudaWarn;
  platform::TPanel* pnlVref_out_of_range;
  platform::TPanel* pnlAmplitudaErr;
  platform::TPanel* pnlMultiturnErr;

  // Right: command buttons and self-calibration.
  platform::TButton* btnMTzero;
  platform::TButton* btnSTzero;
  platform::TButton* btnStartSelfCal;
  platform::TButton* btnResetFactory;
  platform::TProgressBar* progBarCal;
  platform::TGroupBox* GroupBox4;
  platform::TPanel* pnlAselfCalFinished;
  platform::TPanel* pnlAselfCalTimeout;
  platform::TPanel* pnlAselfCalOutOfRange;
  platform::TPanel* pnlAselfCalParamOutOfRange;
  platform::TPanel* pnlAselfCalNoCorrection;
  platform::TPanel* pnlASelfCalUserErrMap;
  platform::TPanel* pnlAselfCalSucessfull;
  platform::TStaticText* lblAselfCalResult;

  // Timers.
  platform::TTimer* InitTimer;
  platform::TTimer* TimerBeriEnkoder;

  // --- Handlers.
  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, platform::TShiftState Shift);
  void seDelayChange(TObject* Sender);
  void cbBeriEnkoderClick(TObject* Sender);
  // One poll step per tick.
  void TimerBeriEnkoderTimer(TObject* Sender);
  // Searches every port at every rate for the encoder.
  void InitTimerTimer(TObject* Sender);
  // The command buttons: multiturn reset, factory reset, zero point, self-calibration.
  void btnMTzeroClick(TObject* Sender);
  void btnResetFactoryClick(TObject* Sender);
  void btnSTzeroClick(TObject* Sender);
  void btnStartSelfCalClick(TObject* Sender);
  // Draws the angle dial from kot.
  void PaintBoxKotPaint(TObject* Sender);

  // Closes the port and puts the connection displays back to "not connected".
  void CloseComPort();
  // Asks the device on the open port who it is; true for a Tovra-2 encoder.
  bool BeriVerzijo();
  // Sends the next request of the polling cycle and decodes its reply; an unanswered request
  // closes the port and hands back to detection.
  void BeriPozicijo();
  // Decodes the reply in RxBuffer to the poll index `index` into the state and the displays.
  void ProcessReply(uint8_t index);
  // Writes the reply in RxBuffer to the poll index `index` as a line of the raw reply view.
  void AppendRawReply(uint8_t index);

 private:
  // Tests reach the private part of the encoder state through this.
  friend struct TMainFormAccess;

  // --- Encoder state, in this order; the first three are private.
  ByteString RxBuffer;
  uint8_t TrenutniUkazIdx = 0;
  uint8_t BufDisp = 0;

 public:
  platform::THandle ComID = platform::INVALID_HANDLE_VALUE;
  ByteString ver_header;
  ByteString prebrana_serijska;
  ByteString prebran_ident;
  uint8_t resolucija_bitov = 0;
  int32_t Enkoder_CPR = 0;
  uint8_t Multiturn = 0;
  uint32_t Singleturn_maska = 0;
  int64_t MTST_value = 0;
  int32_t ST_value = 0;
  int16_t MT_value = 0;
  bool Encoder_Error = false;
  float kot = 0.0f;
  uint8_t Firmware_Verzija_Jedra_Major = 0;
  uint8_t Firmware_Verzija_Jedra_Minor = 0;
  uint8_t Firmware_Verzija_Protokola = 0;
  uint32_t Firmware_Verzija_Jedra_Revision = 0;
  int32_t SelfCalTimeout = 0;
  int32_t EncDolzinaKode = 0;
  float PremerKodeRinga = 0.0f;
  float AirGapK = 0.0f;
  float AirGapN = 0.0f;

 private:
  void CreateControls();
};

// The one main window; set while it exists.
extern TMainForm* MainForm;
