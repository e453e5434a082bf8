// Zero point, multiturn reset and factory reset: configuration frames with polling paused.
#include "app/orodja.h"
#include "platform/dialogs.h"
#include "protocol/tovra_konstante.h"
#include "serial/exchange.h"
#include "ui/main.h"

using namespace platform;

namespace {
constexpr const char* kZeroFailed = "Set zero offset failed!";

// Sends a configuration frame; false, after `failure` in an error box, when it did not go out
// (no port open, or the write failed).
bool SendFrame(TMainForm& form, const ByteString& frame, ByteString& rx, const char* failure) {
  if (SendCommand(form.ComID, frame, 0, rx) == kReplyComplete) return true;
  MessageDlg(failure, mtError, mbOK, 0);
  return false;
}
}  // namespace

void TMainForm::btnMTzeroClick(TObject* /*Sender*/) {
  const bool polling = cbBeriEnkoder->Checked();
  cbBeriEnkoder->SetChecked(false);
  SendFrame(*this, FrameMultiturnReset, RxBuffer, "Set multitirn failed!");
  cbBeriEnkoder->SetChecked(polling);
}

void TMainForm::btnResetFactoryClick(TObject* /*Sender*/) {
  const bool polling = cbBeriEnkoder->Checked();
  cbBeriEnkoder->SetChecked(false);
  SendFrame(*this, FrameFactoryReset, RxBuffer, "Command failed!");
  WaitMs(500);
  cbBeriEnkoder->SetChecked(polling);
}

void TMainForm::btnSTzeroClick(TObject* /*Sender*/) {
  if (Encoder_Error) return;
  const bool polling = cbBeriEnkoder->Checked();
  cbBeriEnkoder->SetChecked(false);

  // A failed frame stops the run at once and leaves polling off.
  ByteString frame = FrameZeroOffset;
  if (!SendFrame(*this, frame, RxBuffer, kZeroFailed)) return;
  WaitMs(100);
  btnMTzeroClick(nullptr);
  WaitMs(100);
  BeriPozicijo();
  WaitMs(100);
  // A position in error must not become the zero point.
  if (Encoder_Error) {
    MessageDlg(kZeroFailed, mtError, mbOK, 0);
    return;
  }
  frame = protocol::WithValue(frame, static_cast<uint32_t>(ST_value));
  if (!SendFrame(*this, frame, RxBuffer, kZeroFailed)) return;
  WaitMs(100);
  BeriPozicijo();
  WaitMs(100);
  btnMTzeroClick(nullptr);
  WaitMs(100);
  if (!SendFrame(*this, FrameSave, RxBuffer, "Value Save failed!")) return;
  cbBeriEnkoder->SetChecked(polling);
}
