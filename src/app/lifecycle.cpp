// Handlers that tie the window to the rest of the program.
#include "app/lifecycle.h"

#include "ui/main.h"

using namespace platform;

std::string VersionText(const std::optional<FileVersion>& v) {
  if (!v) return {};
  return std::to_string(v->ms >> 16) + "." + std::to_string(v->ms & 0xFFFF) + "." +
         std::to_string(v->ls >> 16) + "." + std::to_string(v->ls & 0xFFFF);
}

void TMainForm::FormCreate(TObject* /*Sender*/) {
  Enkoder_CPR = 1;
  SetCaption(Caption() + " (Ver: " + VersionText(OwnFileVersion()) + ")");
  InitTimer->SetEnabled(true);
}

void TMainForm::FormDestroy(TObject* /*Sender*/) {
  TimerBeriEnkoder->SetEnabled(false);
  RxBuffer.clear();
  CloseComPort();
}

void TMainForm::FormKeyDown(TObject* /*Sender*/, uint16_t& Key, TShiftState Shift) {
  if (Key == 'A' && Shift == (ssShift | ssCtrl)) {
    lblRxBuffer1->SetVisible(true);
    lblRxBuffer2->SetVisible(true);
  }
}

void TMainForm::seDelayChange(TObject* /*Sender*/) {
  // A negative number is no interval: the polling interval stays as it was.
  const int32_t delay = seDelay->Value();
  if (delay >= 0) TimerBeriEnkoder->SetInterval(static_cast<uint32_t>(delay));
}

void TMainForm::cbBeriEnkoderClick(TObject* /*Sender*/) {
  TrenutniUkazIdx = 1;
  TimerBeriEnkoder->SetEnabled(cbBeriEnkoder->Checked());
}

void TMainForm::TimerBeriEnkoderTimer(TObject* /*Sender*/) {
  BeriPozicijo();
}
