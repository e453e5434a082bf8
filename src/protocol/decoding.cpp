// A poll reply in RxBuffer into the encoder state and the window's displays.
#include "platform/locale.h"
#include "protocol/measurement.h"
#include "ui/indicators.h"
#include "ui/main.h"
#include "ui/texts.h"

using namespace platform;

void TMainForm::ProcessReply(uint8_t index) {
  pnlComm->SetColor(NextBlinkerColour(pnlComm->Color()));
  AppendRawReply(index);

  const protocol::DeviceProfile profile{.resolucija_bitov = resolucija_bitov,
                                        .Enkoder_CPR = Enkoder_CPR,
                                        .Multiturn = Multiturn,
                                        .Singleturn_maska = Singleturn_maska,
                                        .AirGapK = AirGapK,
                                        .AirGapN = AirGapN};
  const std::optional<protocol::Reading> r = protocol::DecodeReply(RxBuffer, index, profile);
  if (r) {
    const protocol::NumberSeparators& separators = LocaleSeparators();
    MTST_value = r->MTST_value;
    Encoder_Error = r->Encoder_Error;
    ST_value = r->ST_value;
    MT_value = r->MT_value;
    kot = r->kot;
    pnlAbsPosDeg->SetCaption(Encoder_Error ? kNoPositionText
                                           : protocol::DegreesText(r->degrees, separators));
    pnlAbsPosCnt->SetCaption(Encoder_Error ? kNoPositionText : std::to_string(ST_value));
    pnlAbsPosMT->SetCaption(Encoder_Error ? kNoPositionText : std::to_string(MT_value));

    if (r->status) ShowFlags(*this, kStatusBits, *r->status);
    if (index == 4) lblSpeed->SetCaption(protocol::SpeedText(r->speed, separators));
    if (r->temperature) lblTempAsic_C->SetCaption(protocol::TemperatureText(*r->temperature));
    if (r->signalLevel) {
      lblSignalLevel->SetCaption(protocol::SignalLevelText(*r->signalLevel));
      lblTovraairGap->SetCaption(protocol::AirGapText(r->airGap, separators));
    }
  }

  RxBuffer.clear();
  if (!Encoder_Error) PaintBoxKot->Repaint();
  pnlAbsPosDeg->SetColor(Encoder_Error ? kPositionInError : kPositionPanel);
}
