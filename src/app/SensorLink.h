#pragma once
#include <cstdint>

// The sensor link: the variables shared by the receive side (the frame machine, fed by
// TfrmAX9::VaComm1RxChar) and the send side (SendCommand). There is one link per program run;
// it starts all zero and nothing resets it, not even opening the port.
struct TSensorLink {
  uint8_t CommandFrame[256];  // outgoing frame; callers put the payload at positions 3 onward
  bool AckReceived;           // the last completed frame was an acknowledgement (type 0x0A)
  uint16_t AckCountdown;      // what is left of the current send attempt's wait, in 10 ms steps
  uint8_t FrameState;         // receive machine, 0..5; 0 = no frame in progress
  uint8_t FrameRemaining;     // frame bytes still to store, counted modulo 256
  uint8_t FrameType;          // type byte of the frame being received, or of the last one
  uint16_t FrameIndex;        // next write position in FrameData
  uint8_t FrameData[1001];    // stored bytes; never cleared, each frame overwrites from 0

  // A fresh link as at program start; for tests only.
  void Reset() { *this = TSensorLink{}; }
};

extern TSensorLink Link;

// Feeds one received byte to the frame machine. Returns true when the byte completed a
// frame: FrameState is back at 0 and FrameType/FrameData hold the frame, and the caller runs
// the frame end before feeding the next byte.
//
// Incoming frames: 82 FF L type, then (except for type 0x32) one byte not counted, then L
// stored bytes. The count is tested only after a store, so L = 0 stores 256 bytes, and a
// type 0x32 frame stores one byte more than L before the test (L = 1 stores 257). Neither
// checksum nor end byte is looked at.
bool FrameMachine(uint8_t b);

// Completes the command frame in CommandFrame (start byte, Command, Length, checksum, end
// byte) around the Length payload bytes already at positions 3 onward, and sends it through
// frmAX9's serial component: up to five attempts, each waiting up to WaitBudget steps of
// 10 ms for an acknowledgement, until one comes. WaitForAck false sends once and returns.
// Afterwards AckReceived tells whether an acknowledgement came.
//
// The waits run the message loop (one pass, then block until the next message or the next
// 10 ms step), so received frames are handled inside them. A payload longer than 251 bytes
// does not fit the frame and raises Exception without sending anything.
void SendCommand(uint8_t Length, uint8_t Command, bool WaitForAck, uint16_t WaitBudget);
