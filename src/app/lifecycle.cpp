// Handlers that tie the window to polling.
#include "ui/main.h"

void TMainForm::cbBeriEnkoderClick(TObject* /*Sender*/) {
  TrenutniUkazIdx = 1;
  TimerBeriEnkoder->SetEnabled(cbBeriEnkoder->Checked());
}
