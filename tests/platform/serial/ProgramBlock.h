#pragma once
#include "platform/serial/SerialDevice.h"

// The block the program sends: 19200 baud, 8N1, DTR and RTS on, parity checking.
inline TDCB ProgramBlock() {
  TDCB d;
  d.BaudRate = 19200;
  d.Flags = fBinary | fParity | DtrControlFlags(DTR_CONTROL_ENABLE) | RtsControlFlags(RTS_CONTROL_ENABLE);
  d.XonLim = 1024;
  d.XoffLim = 1024;
  d.ByteSize = 8;
  d.XonChar = 0x11;
  d.XoffChar = 0x13;
  return d;
}
