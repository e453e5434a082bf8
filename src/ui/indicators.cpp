#include "ui/indicators.h"

#include "protocol/calibration.h"
#include "ui/main.h"

const std::array<FlagPanel, 14> kStatusBits{{
    {0x8000, &TMainForm::pnlMultiturnErr, kIndicatorMultiturnError},
    {0x4000, &TMainForm::pnlClipADC, kIndicatorError},
    {0x2000, &TMainForm::pnlAmplitudaHi, kIndicatorWarning},
    {0x1000, &TMainForm::pnlAsicReset, kIndicatorError},
    {0x0800, &TMainForm::pnlSyncErr, kIndicatorError},
    {0x0400, &TMainForm::pnlNoOffsetTable, kIndicatorError},
    {0x0200, &TMainForm::pnlAError, kIndicatorError},
    {0x0100, &TMainForm::pnlAWarning, kIndicatorWarning},
    {0x0040, &TMainForm::pnlAmplitudaWarn, kIndicatorWarning},
    {0x0020, &TMainForm::pnlAmplitudaErr, kIndicatorError},
    {0x0010, &TMainForm::pnlTemperaturaAsic, kIndicatorWarning},
    {0x0008, &TMainForm::pnlVref_out_of_range, kIndicatorError},
    {0x0002, &TMainForm::pnlInvalidPNcode, kIndicatorError},
    {0x0001, &TMainForm::pnlSkokPozicije, kIndicatorError},
}};

const std::array<FlagPanel, 5> kSelfCalBits{{
    {protocol::kCalTimeout, &TMainForm::pnlAselfCalTimeout, kIndicatorError},
    {protocol::kCalOutOfRange, &TMainForm::pnlAselfCalOutOfRange, kIndicatorError},
    {protocol::kCalParamOutOfRange, &TMainForm::pnlAselfCalParamOutOfRange, kIndicatorError},
    {protocol::kCalNoCorrection, &TMainForm::pnlAselfCalNoCorrection, kIndicatorWarning},
    {protocol::kCalUserErrorMap, &TMainForm::pnlASelfCalUserErrMap, kIndicatorGood},
}};

void ShowFlags(TMainForm& form, std::span<const FlagPanel> flags, uint16_t word) {
  for (const FlagPanel& flag : flags)
    (form.*flag.panel)->SetColor(Indicator((word & flag.mask) != 0, flag.on));
}
