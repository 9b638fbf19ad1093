#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/kernel/EventObject.h"

// The serial device as the serial component sees it: the communications interface of the
// system it was first written for, narrowed to the calls the component makes. A platform
// implements TSerialDevice, OpenSerialDevice, IsNoSuchDevice, SerialDevicePath and
// ResolveSerialDeviceName in its own folder (posix/, win32/).
//
// Thread-safety contract of one open device:
// - WaitCommEvent runs on one thread at a time (the component's event thread).
// - Read runs on one thread at a time; Write on one thread at a time.
// - All other calls, and Read against Write against WaitCommEvent, may run at the same time
//   on different threads.
// - The device is destroyed only when no call is running on it (the component stops its
//   threads before it closes the device).
// Failures return false (or -1) and leave the reason in the system's last error (errno on
// Linux; GetLastError).
//
// The constants below that <windows.h> also defines are macros spelled exactly as it spells
// them, so that a Windows body may include it before or after this header (an identical
// macro definition may be repeated). See platform/kernel/win32/SystemCalls.h.

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
constexpr uint32_t fDtrControlMask = 0x0030;  // a two-bit field: DTR_CONTROL_ << 4
constexpr uint32_t fDsrSensitivity = 0x0040;
constexpr uint32_t fTXContinueOnXoff = 0x0080;
constexpr uint32_t fOutX = 0x0100;
constexpr uint32_t fInX = 0x0200;
constexpr uint32_t fErrorChar = 0x0400;
constexpr uint32_t fNull = 0x0800;
constexpr uint32_t fRtsControlMask = 0x3000;  // a two-bit field: RTS_CONTROL_ << 12
constexpr uint32_t fAbortOnError = 0x4000;

// Values of the DTR and RTS control fields, and where they sit in Flags.
#define DTR_CONTROL_DISABLE 0x0
#define DTR_CONTROL_ENABLE 0x1
#define DTR_CONTROL_HANDSHAKE 0x2
#define RTS_CONTROL_DISABLE 0x0
#define RTS_CONTROL_ENABLE 0x1
#define RTS_CONTROL_HANDSHAKE 0x2
#define RTS_CONTROL_TOGGLE 0x3
constexpr uint32_t DtrControlFlags(uint32_t control) { return (control & 3u) << 4; }
constexpr uint32_t RtsControlFlags(uint32_t control) { return (control & 3u) << 12; }

#define NOPARITY 0
#define ODDPARITY 1
#define EVENPARITY 2
#define MARKPARITY 3
#define SPACEPARITY 4
#define ONESTOPBIT 0
#define ONE5STOPBITS 1
#define TWOSTOPBITS 2

// Line event bits (event mask and the result of a wait).
#define EV_RXCHAR 0x1
#define EV_RXFLAG 0x2
#define EV_TXEMPTY 0x4
#define EV_CTS 0x8
#define EV_DSR 0x10
#define EV_RLSD 0x20
#define EV_BREAK 0x40
#define EV_ERR 0x80
#define EV_RING 0x100
#define EV_PERR 0x200
#define EV_RX80FULL 0x400
#define EV_EVENT1 0x800
#define EV_EVENT2 0x1000

// Line error flags of ClearCommError.
#define CE_RXOVER 0x1
#define CE_OVERRUN 0x2
#define CE_RXPARITY 0x4
#define CE_FRAME 0x8
#define CE_BREAK 0x10

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

  // The system handle (a file descriptor on Linux, a HANDLE on Windows); the device owns it.
  virtual THandle Handle() const = 0;

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
