/* What the emulator's pseudo-terminal shim and the host test share through one small mapped
   file: the line as the guest's UART drives it, and the modem lines the test drives into it.
   Plain C, so that the shim (preloaded into the emulator) and the C++ test read it alike.
   Every field is read and written with __atomic builtins. */
#ifndef ORVEL_UART_LINES_H
#define ORVEL_UART_LINES_H

#include <stdint.h>

#define ORVEL_UART_LINES_MAGIC 0x55415254u

struct TUartLines {
  uint32_t Magic;
  /* From the guest: its frame format as the emulator applies it to the pseudo-terminal. */
  uint32_t Settings;    /* how many times the line settings were applied */
  uint32_t Speed;       /* the termios output speed code (B19200 ...) */
  uint32_t Cflag;       /* the termios c_cflag as asked */
  uint32_t OutLines;    /* TIOCM_DTR | TIOCM_RTS as the guest sets them */
  uint32_t ModemWrites; /* how many times the guest's modem-control register reached us */
  uint32_t Breaks;      /* breaks the guest sent */
  /* From the test: TIOCM_CTS | TIOCM_DSR | TIOCM_CAR | TIOCM_RNG as the guest should see them. */
  uint32_t InLines;
};

#endif
