#include "comm/VaPrst.h"

namespace {

// Runs the changes between BeginUpdate and EndUpdate, ending the update also on an exception.
template <class F>
void InUpdate(TVaPersistent& p, F&& changes) {
  p.BeginUpdate();
  try {
    changes();
  } catch (...) {
    p.EndUpdate();
    throw;
  }
  p.EndUpdate();
}

}  // namespace

void TVaFlowControl::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TVaFlowControl*>(Source);
  if (!src) return TVaPersistent::Assign(Source);
  InUpdate(*this, [&] {
    SetOutCtsFlow(src->OutCtsFlow());
    SetOutDsrFlow(src->OutDsrFlow());
    SetControlDtr(src->ControlDtr());
    SetControlRts(src->ControlRts());
    SetXonXoffOut(src->XonXoffOut());
    SetXonXoffIn(src->XonXoffIn());
    SetDsrSensitivity(src->DsrSensitivity());
    SetTxContinueOnXoff(src->TxContinueOnXoff());
  });
}

char TVaEventChars::GetChar(int Index) const { return Index >= 1 && Index <= 5 ? FChars[Index - 1] : char(0); }

void TVaEventChars::SetChar(int Index, char Value) {
  if (Index < 1 || Index > 5) return;
  FChars[Index - 1] = Value;
  Changed();
}

void TVaEventChars::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TVaEventChars*>(Source);
  if (!src) return TVaPersistent::Assign(Source);
  InUpdate(*this, [&] {
    for (int i = 1; i <= 5; ++i) SetChar(i, src->GetChar(i));
  });
}

void TVaBuffers::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TVaBuffers*>(Source);
  if (!src) return TVaPersistent::Assign(Source);
  InUpdate(*this, [&] {
    FReadSize = src->FReadSize;
    FWriteSize = src->FWriteSize;
    FReadTimeout = src->FReadTimeout;
    FWriteTimeout = src->FWriteTimeout;
    FXonLimit = src->FXonLimit;
    FXoffLimit = src->FXoffLimit;
  });
}
