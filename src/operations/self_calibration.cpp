// Self-calibration: start it, then follow the encoder's status until it has finished.
#include "app/orodja.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/locale.h"
#include "protocol/calibration.h"
#include "protocol/tovra_konstante.h"
#include "serial/exchange.h"
#include "ui/indicators.h"
#include "ui/main.h"

using namespace platform;

void TMainForm::btnStartSelfCalClick(TObject* /*Sender*/) {
  const bool polling = cbBeriEnkoder->Checked();
  cbBeriEnkoder->SetChecked(false);
  WaitMs(100);
  // A start frame that did not go out shows in the status request that follows.
  SendCommand(ComID, FrameSelfCalStart, 0, RxBuffer);
  WaitMs(100);

  // A status request without a whole reply stops the run and leaves polling off.
  ByteString first;
  if (SendCommand(ComID, RequestSelfCalStatus, SelfCalStatusReplyLength, first) != kReplyComplete) {
    MessageDlg("Command failed!", mtError, mbOK, 0);
    return;
  }
  const uint32_t start = GetTickCount();

  bool succeeded = false;
  for (;;) {
    WaitMs(500);
    if (SendCommand(ComID, RequestSelfCalStatus, SelfCalStatusReplyLength, RxBuffer) !=
        kReplyComplete) {
      MessageDlg("Command failed!", mtError, mbOK, 0);
      return;
    }
    const bool finished = protocol::CalibrationFinished(RxBuffer, first);
    const protocol::CalibrationStatus status = *protocol::ReadCalibrationStatus(RxBuffer);
    succeeded = finished && (status.status & protocol::kCalErrorFlags) == 0;

    pnlAselfCalFinished->SetColor(Indicator(finished, kIndicatorFinished));
    ShowFlags(*this, kSelfCalBits, status.status);
    pnlAselfCalSucessfull->SetColor(Indicator(succeeded, kIndicatorGood));
    lblAselfCalResult->SetCaption(
        protocol::CalibrationReport(status, PremerKodeRinga, LocaleSeparators()));

    // Unsigned difference: right across a wrap of the tick counter.
    const int32_t progress = protocol::ProgressTenths(GetTickCount() - start);
    progBarCal->SetPosition(progress);
    if (Application.Terminated() || finished) break;
    if (progress > SelfCalTimeout * 10) break;
  }

  // A success fills the bar, whatever the device's time limit.
  progBarCal->SetPosition(succeeded ? progBarCal->Max() : 0);
  cbBeriEnkoder->SetChecked(polling);
}
