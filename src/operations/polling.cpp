// The polling cycle: one request of "1", "3", "d", "s", "t", "a" per tick.
#include "protocol/measurement.h"
#include "protocol/tovra_konstante.h"
#include "serial/exchange.h"
#include "ui/main.h"

void TMainForm::BeriPozicijo() {
  if (TrenutniUkazIdx < 1 || TrenutniUkazIdx > 6) TrenutniUkazIdx = 1;
  const uint8_t index = TrenutniUkazIdx;
  const ByteString request(1, PollCommand[index]);
  const int32_t expected = protocol::PollReplyLength(Multiturn, index);

  if (SendCommand(ComID, request, expected, RxBuffer) == kReplyComplete) {
    ProcessReply(index);
  } else {
    // Closing the port writes "not connected" over this before the window is drawn again.
    pnlAbsPosDeg->SetCaption("no answer");
    CloseComPort();
    InitTimer->SetEnabled(true);
  }

  ++TrenutniUkazIdx;
  if (TrenutniUkazIdx > 6) TrenutniUkazIdx = 1;
}
