#include "ui/raw_view.h"

#include "protocol/tovra_konstante.h"
#include "ui/main.h"

std::string RawReplyLine(char request, const ByteString& reply) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string line{request, ' '};
  for (char c : reply) {
    const auto byte = static_cast<uint8_t>(c);
    line += kHex[byte >> 4];
    line += kHex[byte & 0x0F];
    line += ' ';
  }
  return line + "\r\n";
}

void TMainForm::AppendRawReply(uint8_t index) {
  // One label collects a whole cycle while the other keeps the previous one.
  platform::TLabel* label = BufDisp == 1 ? lblRxBuffer1 : lblRxBuffer2;
  if (index == 1) label->SetCaption("");
  label->SetCaption(label->Caption() + RawReplyLine(PollCommand[index], RxBuffer));
  if (index == 6) BufDisp = label == lblRxBuffer1 ? 2 : 1;
}
