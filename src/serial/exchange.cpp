#include "serial/exchange.h"

#include <vector>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "ui/indicators.h"
#include "ui/main.h"
#include "ui/texts.h"

using namespace platform;

int SendCommand(THandle port, const ByteString& request, int32_t expected, ByteString& reply) {
  if (port == INVALID_HANDLE_VALUE || request.empty()) return kNoPort;

  PurgeComm(port, PURGE_TXCLEAR);
  PurgeComm(port, PURGE_RXCLEAR);

  // One byte per write, 2 ms apart; the last write's outcome decides.
  bool written = false;
  for (size_t i = 0; i < request.size(); ++i) {
    if (i > 0) Sleep(2);
    uint32_t count = 0;
    written = WriteFile(port, &request[i], 1, &count);
  }
  if (!written) {
    if (MainForm) MainForm->CloseComPort();
    MessageDlg("Cable disconnected!", mtWarning, mbOK, 0);
    return kNoPort;
  }

  Sleep(1);
  reply.clear();
  const uint32_t start = GetTickCount();
  std::vector<char> scratch;
  for (;;) {
    uint32_t errors = 0;
    COMSTAT stat;
    ClearCommError(port, &errors, &stat);
    if (stat.cbInQue > 0) {
      scratch.resize(stat.cbInQue);
      uint32_t read = 0;
      ReadFile(port, scratch.data(), stat.cbInQue, &read);
      reply.append(scratch.data(), read);
    }
    if (static_cast<int64_t>(reply.size()) >= expected) return kReplyComplete;
    // Unsigned difference: right across a wrap of the tick counter.
    const uint32_t elapsed = GetTickCount() - start;
    if (elapsed > kCollectLimitMs) return kReplyMissing;
    WaitCommData(port, kCollectLimitMs + 1 - elapsed);
  }
}

void TMainForm::CloseComPort() {
  cbBeriEnkoder->SetChecked(false);

  for (TLabel* label : {lblSpeed, lblSignalLevel, lblTovraairGap, lblTempAsic_C})
    label->SetCaption(kNoValueText);
  pnlAbsPosDeg->SetCaption(kNotConnectedText);
  pnlAbsPosCnt->SetCaption(kNoValueText);
  lblHeader->SetCaption("Header: ");
  lblHeader->SetColor(kHeaderDisconnected);
  lblSerijska_prebrana->SetCaption("Serial number: ");
  lblIdent_prebran->SetCaption("Part number: ");
  lblFW_verzija->SetCaption("Firmware ver.: ");
  lblResolucija->SetCaption("Resolution: ");
  lblAselfCalResult->SetCaption("...");

  if (ComID != INVALID_HANDLE_VALUE) CloseHandle(ComID);
  ComID = INVALID_HANDLE_VALUE;
  rgBaudrate->SetEnabled(true);
}
