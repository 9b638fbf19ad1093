#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/kernel/EventObject.h"

// The serial device as the serial component sees it: the communications interface of the
// system it was first written for, narrowed to the calls the component makes. A platform
// implements TSerialDevice, OpenSerialDevice, SerialDevicePath and ResolveSerialDeviceName
// (posix/, win32/).
//
// Thread-safety contract of one open device:
// - WaitCommEvent runs on one thread at a time (the component's event thread).
// - Read runs on one thread at a time; Write on one thread at a time.
// - All other calls, and Read against Write against WaitCommEvent, may run at the same time
//   on different threads.
// - The device is destroyed only when no call is running on it (the component stops its
//   threads before it closes the device).
// Failures return false (or -1) and leave the reason in the last system error (GetLastError).

// Device control block: the line settings in the layout and with the member names of the
// original interface (28 bytes). The flag bits live in Flags.
struct TDCB {
  uint32_t DCBlength = 0;
  uint32_t BaudRate = 0;
  uint32_t Flags = 0;
  uint16_t wReserved = 0;
  uint16_t XonLim = 0;
  uint16_t XoffLim = 0;
  uint8_t ByteSize = 0;
  uint8_t Parity = 0;    // NOPARITY..SPACEPARITY
  uint8_t StopBits = 0;  // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS
  char XonChar = 0;
  char XoffChar = 0;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
  uint16_t wReserved1 = 0;
};
static_assert(sizeof(TDCB) == 28);

// TDCB::Flags bits.
constexpr uint32_t fBinary = 0x0001;
constexpr uint32_t fParity = 0x0002;
constexpr uint32_t fOutxCtsFlow = 0x0004;
constexpr uint32_t fOutxDsrFlow = 0x0008;
constexpr uint32_t fDtrControlMask = 0x0030;
constexpr uint32_t DTR_CONTROL_ENABLE = 0x0010;
constexpr uint32_t DTR_CONTROL_HANDSHAKE = 0x0020;
constexpr uint32_t fDsrSensitivity = 0x0040;
constexpr uint32_t fTXContinueOnXoff = 0x0080;
constexpr uint32_t fOutX = 0x0100;
constexpr uint32_t fInX = 0x0200;
constexpr uint32_t fErrorChar = 0x0400;
constexpr uint32_t fNull = 0x0800;
constexpr uint32_t fRtsControlMask = 0x3000;
constexpr uint32_t RTS_CONTROL_ENABLE = 0x1000;
constexpr uint32_t RTS_CONTROL_HANDSHAKE = 0x2000;
constexpr uint32_t RTS_CONTROL_TOGGLE = 0x3000;
constexpr uint32_t fAbortOnError = 0x4000;

constexpr uint8_t NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4;
constexpr uint8_t ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2;

// Line event bits (event mask and the result of a wait).
constexpr uint32_t EV_RXCHAR = 0x0001;
constexpr uint32_t EV_RXFLAG = 0x0002;
constexpr uint32_t EV_TXEMPTY = 0x0004;
constexpr uint32_t EV_CTS = 0x0008;
constexpr uint32_t EV_DSR = 0x0010;
constexpr uint32_t EV_RLSD = 0x0020;
constexpr uint32_t EV_BREAK = 0x0040;
constexpr uint32_t EV_ERR = 0x0080;
constexpr uint32_t EV_RING = 0x0100;
constexpr uint32_t EV_PERR = 0x0200;
constexpr uint32_t EV_RX80FULL = 0x0400;
constexpr uint32_t EV_EVENT1 = 0x0800;
constexpr uint32_t EV_EVENT2 = 0x1000;

// Line error flags of ClearCommError.
constexpr uint32_t CE_RXOVER = 0x0001;
constexpr uint32_t CE_OVERRUN = 0x0002;
constexpr uint32_t CE_RXPARITY = 0x0004;
constexpr uint32_t CE_FRAME = 0x0008;
constexpr uint32_t CE_BREAK = 0x0010;

// Hold bits of TComStat::Flags.
constexpr uint32_t fCtsHold = 0x01;
constexpr uint32_t fDsrHold = 0x02;
constexpr uint32_t fRlsdHold = 0x04;
constexpr uint32_t fXoffHold = 0x08;
constexpr uint32_t fXoffSent = 0x10;
constexpr uint32_t fEof = 0x20;
constexpr uint32_t fTxim = 0x40;

struct TComStat {
  uint32_t Flags = 0;
  uint32_t cbInQue = 0;
  uint32_t cbOutQue = 0;
};

struct TCommTimeouts {
  uint32_t ReadIntervalTimeout = 0;
  uint32_t ReadTotalTimeoutMultiplier = 0;
  uint32_t ReadTotalTimeoutConstant = 0;
  uint32_t WriteTotalTimeoutMultiplier = 0;
  uint32_t WriteTotalTimeoutConstant = 0;
};

enum class TCommWaitResult {
  Event,    // events of the mask occurred; they are in the result mask
  Stopped,  // the stop signal was set
  Refused,  // the device cannot wait (hung up, vanished); the last error says why
};

class TSerialDevice {
 public:
  virtual ~TSerialDevice() = default;

  // The system handle (a file descriptor where there is one, else -1).
  virtual int Handle() const = 0;

  // Sets every line setting from the block; refuses a block the device cannot take and
  // then keeps its previous settings.
  virtual bool SetCommState(const TDCB& dcb) = 0;
  virtual bool SetupComm(uint32_t inQueue, uint32_t outQueue) = 0;
  virtual bool SetCommTimeouts(const TCommTimeouts& timeouts) = 0;
  virtual bool SetCommMask(uint32_t mask) = 0;

  // Blocks until an event of the mask occurs or `stop` is set. Events that occur while
  // nobody waits are kept for the next wait. Received characters are reported once per
  // arrival of new characters, also while older ones are still unread.
  virtual TCommWaitResult WaitCommEvent(uint32_t& events, TEventObject& stop) = 0;

  // Reads and clears the line errors counted since the last call (CE_ flags), and gives
  // the queue counts and hold bits.
  virtual bool ClearCommError(uint32_t& errors, TComStat& stat) = 0;

  // At most `count` bytes that have arrived (0 when none), without waiting for more. A read
  // the system does not finish at once is given `timeoutMs` and then cancelled. -1 on
  // failure.
  virtual int Read(void* buffer, int count, uint32_t timeoutMs) = 0;
  // Sends `count` bytes: returns when the device has taken them all, or when `timeoutMs`
  // (INFINITE: no limit) has passed or `stop` (may be null) is set, with the number of bytes
  // it took by then. -1 on failure. Nothing of the call is outstanding when it returns, so
  // the buffer may go at once. (A write is one operation that ends when the driver has taken
  // the block, not a "take what fits now" call: that is how overlapped writes work.)
  virtual int Write(const void* buffer, int count, uint32_t timeoutMs, TEventObject* stop) = 0;
};

// Opens a device by name for reading and writing, held exclusively. Null on failure with
// the system error set (GetLastError); IsNoSuchDevice tells whether it means that there is
// no such device.
std::unique_ptr<TSerialDevice> OpenSerialDevice(const std::string& name);
bool IsNoSuchDevice(int errorCode);

// The device path the serial component names and opens for a port name such as "COM9":
// on Windows "\\.\COM9", on Linux the name itself (OpenSerialDevice resolves it).
std::string SerialDevicePath(const std::string& name);

// The path a name stands for on this platform.
std::string ResolveSerialDeviceName(const std::string& name);
