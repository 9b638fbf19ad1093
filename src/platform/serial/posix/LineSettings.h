#pragma once
#include <cstdint>

#include "platform/serial/SerialDevice.h"

// termios and the modem-control ioctls for one tty descriptor. Each returns 0 or an errno.

// Binary line discipline: no echo, no line editing, no signals, no output processing,
// reads that return at once. The state every port is in right after it is opened.
int MakeLineRaw(int fd);

// Sets speed, frame, parity checking and flow control from the block (the table in
// LineSettings.cpp), then DTR and RTS. A block the device cannot take is refused with
// EINVAL and the previous line settings stay.
int ApplyLineSettings(int fd, const TDCB& dcb);

// Whether the block asks the driver for RTS/CTS flow control.
bool UsesCtsFlow(const TDCB& dcb);
