#include "serial/discovery.h"

#include <vector>

#include "platform/application.h"
#include "ui/main.h"

using namespace platform;

std::string PortEntry(const PortInfo& port) {
  return port.designation + "  " + port.description.substr(0, 10);
}

std::string EntryDesignation(const std::string& entry) {
  return entry.substr(0, entry.find(' '));
}

namespace {
// The path of the first listed port with `designation`; empty when none has it.
std::string PathOf(const std::vector<PortInfo>& ports, const std::string& designation) {
  for (const PortInfo& port : ports)
    if (port.designation == designation) return port.path;
  return {};
}
}  // namespace

void TMainForm::InitTimerTimer(TObject* /*Sender*/) {
  InitTimer->SetEnabled(false);
  prebrana_serijska.clear();
  Enkoder_CPR = 1048576;
  resolucija_bitov = 18;
  bool found = false;

  listCom->Clear();
  listCom->Repaint();
  const std::vector<PortInfo> ports = ListSerialPorts();
  for (const PortInfo& port : ports) listCom->Add(PortEntry(port));

  for (int i = 0; i < listCom->Count(); ++i) {
    listCom->SetItemIndex(i);
    listCom->Repaint();
    const std::string path = PathOf(ports, EntryDesignation(listCom->Item(i)));
    ComID = INVALID_HANDLE_VALUE;
    if (!path.empty()) ComID = CreateFileW(path);
    if (ComID == INVALID_HANDLE_VALUE) continue;

    DCB dcb;
    GetCommState(ComID, dcb);
    PurgeComm(ComID, PURGE_RXABORT);
    PurgeComm(ComID, PURGE_RXCLEAR);
    for (int item = 0; item < rgBaudrate->Count(); ++item) {
      rgBaudrate->SetItemIndex(item);
      rgBaudrate->Repaint();
      dcb.BaudRate = kBaudRates.at(static_cast<size_t>(rgBaudrate->ItemIndex()));
      dcb.ByteSize = 8;
      dcb.StopBits = ONESTOPBIT;
      dcb.Parity = NOPARITY;
      SetCommState(ComID, dcb);
      if (BeriVerzijo()) {
        found = true;
        break;
      }
      if (Application.Terminated()) return;
    }
    if (!found) {
      // A failed write has already closed the port.
      if (ComID != INVALID_HANDLE_VALUE) CloseHandle(ComID);
      ComID = INVALID_HANDLE_VALUE;
      listCom->ClearSelection();
    }
    if (found) break;
    if (Application.Terminated()) return;
  }

  if (found) cbBeriEnkoder->SetChecked(true);
  InitTimer->SetInterval(kSearchAgainMs);
  if (!found) InitTimer->SetEnabled(true);
}
