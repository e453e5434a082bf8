// Identification: who is on the line, and the device profile from its part number.
#include "protocol/profile.h"
#include "protocol/tovra_konstante.h"
#include "serial/exchange.h"
#include "ui/indicators.h"
#include "ui/main.h"

using namespace platform;

bool TMainForm::BeriVerzijo() {
  prebrana_serijska.clear();
  if (SendCommand(ComID, RequestIdentification, IdentificationReplyLength, RxBuffer) != 0)
    return false;
  if (!protocol::IsIdentificationReply(RxBuffer)) return false;

  const protocol::Identity id = protocol::ReadIdentity(RxBuffer);
  ver_header = id.header;
  prebrana_serijska = id.serial;
  prebran_ident = id.partNumber;
  Firmware_Verzija_Jedra_Major = id.major;
  Firmware_Verzija_Jedra_Minor = id.minor;
  Firmware_Verzija_Protokola = id.protocol;
  Firmware_Verzija_Jedra_Revision = id.revision;
  RxBuffer.clear();

  const protocol::DeviceProfile p =
      protocol::DeriveProfile(prebran_ident, resolucija_bitov, Enkoder_CPR);
  resolucija_bitov = p.resolucija_bitov;
  Enkoder_CPR = p.Enkoder_CPR;
  Multiturn = p.Multiturn;
  pnlAbsPosMT->SetVisible(Multiturn == 1);
  Singleturn_maska = p.Singleturn_maska;

  lblHeader->SetCaption("Header: " + Latin1Text(ver_header));
  lblHeader->SetColor(kHeaderIdentified);
  lblSerijska_prebrana->SetCaption("Serial number: " + Latin1Text(prebrana_serijska));
  lblIdent_prebran->SetCaption("P/N: " + Latin1Text(prebran_ident));
  lblFW_verzija->SetCaption("Firmware ver.: " + protocol::FirmwareText(id));
  lblResolucija->SetCaption("Resolution: " + std::to_string(resolucija_bitov) + " bit");

  PremerKodeRinga = p.PremerKodeRinga;
  EncDolzinaKode = p.EncDolzinaKode;
  SelfCalTimeout = p.SelfCalTimeout;
  progBarCal->SetMax(SelfCalTimeout * 10);
  pnlAselfCalTimeout->SetCaption("Timeout - " + std::to_string(SelfCalTimeout) +
                                 " seconds expired");
  AirGapK = p.AirGapK;
  AirGapN = p.AirGapN;
  return true;
}
