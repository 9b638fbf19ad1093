#pragma once
#include <cstdint>

#include "comm/VaClasses.h"

// Integers limited to 0..2147483647; a negative value is stored as 0.
using TVaIntW = int32_t;

enum TVaControlDtr { dtrDisabled, dtrEnabled, dtrHandshake };
enum TVaControlRts { rtsDisabled, rtsEnabled, rtsHandshake, rtsToggle };

// Flow control and modem-line control. A change notifies the owner; Assign notifies once.
class TVaFlowControl : public TVaPersistent {
 public:
  void Assign(const TPersistent* Source) override;

  bool OutCtsFlow() const { return FOutCtsFlow; }
  void SetOutCtsFlow(bool Value) { Set(FOutCtsFlow, Value); }
  bool OutDsrFlow() const { return FOutDsrFlow; }
  void SetOutDsrFlow(bool Value) { Set(FOutDsrFlow, Value); }
  TVaControlDtr ControlDtr() const { return FControlDtr; }
  void SetControlDtr(TVaControlDtr Value) { Set(FControlDtr, Value); }
  TVaControlRts ControlRts() const { return FControlRts; }
  void SetControlRts(TVaControlRts Value) { Set(FControlRts, Value); }
  bool XonXoffOut() const { return FXonXoffOut; }
  void SetXonXoffOut(bool Value) { Set(FXonXoffOut, Value); }
  bool XonXoffIn() const { return FXonXoffIn; }
  void SetXonXoffIn(bool Value) { Set(FXonXoffIn, Value); }
  bool DsrSensitivity() const { return FDsrSensitivity; }
  void SetDsrSensitivity(bool Value) { Set(FDsrSensitivity, Value); }
  bool TxContinueOnXoff() const { return FTxContinueOnXoff; }
  void SetTxContinueOnXoff(bool Value) { Set(FTxContinueOnXoff, Value); }

 private:
  template <class T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    Changed();
  }

  bool FOutCtsFlow = false;
  bool FOutDsrFlow = false;
  TVaControlDtr FControlDtr = dtrDisabled;
  TVaControlRts FControlRts = rtsDisabled;
  bool FXonXoffOut = false;
  bool FXonXoffIn = false;
  bool FDsrSensitivity = false;
  bool FTxContinueOnXoff = false;
};

// The five special characters. Every assignment notifies, also of an equal value.
class TVaEventChars : public TVaPersistent {
 public:
  void Assign(const TPersistent* Source) override;

  // Index 1 XonChar, 2 XoffChar, 3 ErrorChar, 4 EventChar, 5 EofChar.
  char GetChar(int Index) const;
  void SetChar(int Index, char Value);

  char XonChar() const { return GetChar(1); }
  void SetXonChar(char Value) { SetChar(1, Value); }
  char XoffChar() const { return GetChar(2); }
  void SetXoffChar(char Value) { SetChar(2, Value); }
  char ErrorChar() const { return GetChar(3); }
  void SetErrorChar(char Value) { SetChar(3, Value); }
  char EventChar() const { return GetChar(4); }
  void SetEventChar(char Value) { SetChar(4, Value); }
  char EofChar() const { return GetChar(5); }
  void SetEofChar(char Value) { SetChar(5, Value); }

 private:
  char FChars[5] = {0x11, 0x13, 0, 0, 0};
};

// Queue sizes, time limits and flow-control limits.
class TVaBuffers : public TVaPersistent {
 public:
  void Assign(const TPersistent* Source) override;

  TVaIntW ReadSize() const { return FReadSize; }
  void SetReadSize(TVaIntW Value) { SetNotifying(FReadSize, Value); }
  TVaIntW WriteSize() const { return FWriteSize; }
  void SetWriteSize(TVaIntW Value) { SetNotifying(FWriteSize, Value); }
  // Time limits are used by the next operation and never notify.
  TVaIntW ReadTimeout() const { return FReadTimeout; }
  void SetReadTimeout(TVaIntW Value) { FReadTimeout = Clamp(Value); }
  TVaIntW WriteTimeout() const { return FWriteTimeout; }
  void SetWriteTimeout(TVaIntW Value) { FWriteTimeout = Clamp(Value); }
  TVaIntW XonLimit() const { return FXonLimit; }
  void SetXonLimit(TVaIntW Value) { SetNotifying(FXonLimit, Value); }
  TVaIntW XoffLimit() const { return FXoffLimit; }
  void SetXoffLimit(TVaIntW Value) { SetNotifying(FXoffLimit, Value); }

 private:
  static TVaIntW Clamp(TVaIntW v) { return v < 0 ? 0 : v; }
  void SetNotifying(TVaIntW& field, TVaIntW value) {
    value = Clamp(value);
    if (field == value) return;
    field = value;
    Changed();
  }

  TVaIntW FReadSize = 4096;
  TVaIntW FWriteSize = 2048;
  TVaIntW FReadTimeout = 1000;
  TVaIntW FWriteTimeout = 1000;
  TVaIntW FXonLimit = 1024;
  TVaIntW FXoffLimit = 1024;
};
