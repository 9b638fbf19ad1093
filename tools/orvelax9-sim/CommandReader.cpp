#include "CommandReader.h"

void CommandReader::Reset() {
  FState = State::Hunt;
  FCurrent = {};
  FStray.clear();
}

void CommandReader::FlushStray() {
  if (!FStray.empty() && OnStray) OnStray(FStray);
  FStray.clear();
}

void CommandReader::Feed(const uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const uint8_t b = data[i];
    switch (FState) {
      case State::Hunt:
        if (b != 0x82) {
          FStray.push_back(b);
          continue;
        }
        FlushStray();
        FCurrent = {};
        FCurrent.Bytes.push_back(b);
        FState = State::Code;
        continue;
      case State::Code:
        FCurrent.Code = b;
        FState = State::Length;
        break;
      case State::Length:
        FLength = b;
        FState = FLength ? State::Payload : State::Checksum;
        break;
      case State::Payload:
        FCurrent.Payload.push_back(b);
        if (FCurrent.Payload.size() == FLength) FState = State::Checksum;
        break;
      case State::Checksum: {
        uint8_t sum = 0xA5 ^ FCurrent.Code ^ uint8_t(FLength);
        for (uint8_t p : FCurrent.Payload) sum ^= p;
        FCurrent.ChecksumOk = sum == b;
        FState = State::End;
        break;
      }
      case State::End:
        FCurrent.EndOk = b == 0x83;
        FCurrent.Bytes.push_back(b);
        FState = State::Hunt;
        if (OnCommand) OnCommand(FCurrent);
        continue;
    }
    FCurrent.Bytes.push_back(b);
  }
  FlushStray();
}
