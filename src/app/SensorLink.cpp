#include "app/SensorLink.h"

#include <string>

#include "app/formAX9.h"
#include "platform/kernel/Tick.h"
#include "platform/ui/Application.h"
#include "platform/rtl/Exception.h"

TSensorLink Link{};

namespace {

constexpr uint8_t StartByte = 0x82;
constexpr uint8_t SecondByte = 0xFF;
constexpr uint8_t EndByte = 0x83;
constexpr uint8_t HeadingType = 0x32;
constexpr uint32_t StepMs = 10;  // one AckCountdown step
constexpr int MaxPayload = int(sizeof Link.CommandFrame) - 5;

void StoreFrameByte(uint8_t b) {
  // At most 257 bytes reach here per frame; the guard only protects against a corrupted
  // state, never against a frame.
  if (Link.FrameIndex < sizeof Link.FrameData) Link.FrameData[Link.FrameIndex] = b;
  ++Link.FrameIndex;
  --Link.FrameRemaining;
}

// While a frame is half received, the acknowledgement cannot be told apart from it. Give
// the receive side the attempt's own wait time to finish it, but no more: a stray 82 FF
// (noise, a sensor that stopped mid-frame) must not hold start-up for ever. The frame
// machine is left as it is; it gets back in step by itself.
void WaitForFrameEnd(uint16_t WaitBudget) {
  const uint32_t limit = uint32_t(WaitBudget) * StepMs;
  const uint32_t start = GetTickCount();
  while (Link.FrameState != 0) {
    Application->ProcessMessages();
    const uint32_t elapsed = GetTickCount() - start;
    if (Link.FrameState == 0 || elapsed >= limit) return;
    Application->WaitMessage(limit - elapsed);
  }
}

// Counts AckCountdown down once per 10 ms of the tick until it is 0 or an
// acknowledgement has come.
void WaitForAcknowledgement() {
  const uint32_t start = GetTickCount();
  uint32_t counted = 0;  // steps already taken off AckCountdown
  while (Link.AckCountdown > 0 && !Link.AckReceived) {
    Application->ProcessMessages();
    const uint32_t elapsed = GetTickCount() - start;
    const uint32_t steps = elapsed / StepMs - counted;
    counted += steps;
    Link.AckCountdown = steps >= Link.AckCountdown ? 0 : uint16_t(Link.AckCountdown - steps);
    if (Link.AckCountdown == 0 || Link.AckReceived) return;
    Application->WaitMessage(StepMs - elapsed % StepMs);
  }
}

}  // namespace

bool FrameMachine(uint8_t b) {
  switch (Link.FrameState) {
    case 0:
      if (b == StartByte) Link.FrameState = 1;
      return false;
    case 1:
      // A rejected byte is not looked at again as a start byte: 82 82 FF starts nothing.
      Link.FrameState = b == SecondByte ? 2 : 0;
      return false;
    case 2:
      Link.FrameRemaining = b;
      Link.FrameState = 3;
      return false;
    case 3:
      Link.FrameType = b;
      Link.FrameIndex = 0;
      Link.FrameState = 4;
      return false;
    case 4:
      // Heading frames have no uncounted byte: this one is already data.
      if (Link.FrameType == HeadingType) StoreFrameByte(b);
      Link.FrameState = 5;
      return false;
    default:
      StoreFrameByte(b);
      if (Link.FrameRemaining != 0) return false;
      Link.FrameState = 0;
      return true;
  }
}

void SendCommand(uint8_t Length, uint8_t Command, bool WaitForAck, uint16_t WaitBudget) {
  if (Length > MaxPayload)
    throw Exception("Command payload of " + std::to_string(Length) + " bytes does not fit the frame");

  // 1. The frame around the payload.
  uint8_t* f = Link.CommandFrame;
  f[0] = StartByte;
  f[1] = Command;
  f[2] = Length;
  uint8_t checksum = 0xA5 ^ Command ^ Length;
  for (int i = 3; i < 3 + Length; ++i) checksum ^= f[i];
  f[3 + Length] = checksum;
  f[4 + Length] = EndByte;

  // 2. Let a half-received frame finish first (bounded).
  if (Link.FrameState != 0) WaitForFrameEnd(WaitBudget);

  // 3, 4. Up to five attempts.
  Link.AckReceived = false;
  for (int attempt = 0; attempt < 5 && !Link.AckReceived; ++attempt) {
    Link.AckCountdown = WaitBudget;
    frmAX9->VaComm1->WriteData(Link.CommandFrame, Length + 5);  // the count written is not used
    if (!WaitForAck) return;
    WaitForAcknowledgement();
  }
}
