#pragma once
// The pure part of the line settings: a device control block written into a termios2.
// Uses the kernel's termios headers, so it cannot be included together with <termios.h>.
#include <asm/termbits.h>

#include "platform/serial/SerialDevice.h"

// Makes `t` raw and sets rate, frame, parity checking and flow control from the block;
// returns EINVAL (and leaves `t` alone) for a block no tty can take, else 0.
int BlockToTermios(const TDCB& dcb, termios2& t);
