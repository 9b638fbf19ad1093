#pragma once
#include <string>

// The simulator's end of the line: the master side of a pseudo-terminal.
//
// The simulator keeps its own descriptor of the device (the slave side) open all the time:
// a program that closes the port then never leaves the master without a partner (which
// would make every read fail and every poll report a hang-up), and the raw line settings
// survive between runs. Whether a program has the device open is learnt from inotify's
// open and close events on the device node.
class PseudoTerminal {
 public:
  PseudoTerminal();  // throws std::runtime_error with the reason
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& DevicePath() const { return FDevicePath; }
  int Master() const { return FMaster; }

  // Descriptor that becomes readable when someone opens or closes the device; -1 when
  // inotify is not available, in which case the line counts as always open.
  int WatchHandle() const { return FWatch; }
  // Reads the pending open/close events; true when the open state changed.
  bool ReadWatchEvents();
  bool LineOpen() const { return FWatch < 0 || FOpenCount > 0; }

  // After a program has closed the device: forget what it left unread and lift an exclusive
  // hold it may have put on the device, so that the next run can open it again.
  void ResetForNextOpener();

  // Makes `path` a symbolic link to the device. A symbolic link already there is replaced;
  // anything else there is an error. The link is removed again by the destructor.
  void CreateLink(const std::string& path);

 private:
  void RemoveLink();

  int FMaster = -1;
  int FSlave = -1;
  int FWatch = -1;
  int FOpenCount = 0;
  std::string FDevicePath;
  std::string FLinkPath;
};
