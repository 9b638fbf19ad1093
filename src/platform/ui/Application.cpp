#include "platform/ui/Application.h"

#include <algorithm>

#include "platform/ui/Form.h"
#include "platform/ui/Synchronize.h"
#include "platform/ui/Timer.h"

TApplication* Application = nullptr;

TApplication::TApplication(std::unique_ptr<TBackend> backend) : TComponent(nullptr), FBackend(std::move(backend)) {
  Application = this;
  SetWakeMainThread([b = FBackend.get()] { b->Wake(); });
  FBackend->OnModalPass = [this] { return ModalPass(); };
  FBackend->OnEndSession = [this] { EndSession(); };
}

TApplication::~TApplication() {
  // Forms go first, while the backend they live on is still there.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  SetWakeMainThread(nullptr);
  FBackend->OnModalPass = nullptr;
  FBackend->OnEndSession = nullptr;
  if (Application == this) Application = nullptr;
}

void TApplication::AfterFormCreated(TForm* form) {
  if (!FMainForm) FMainForm = form;
  form->DoCreate();
}

void TApplication::AddForm(TForm* form) { FForms.push_back(form); }

void TApplication::RemoveForm(TForm* form) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), form), FForms.end());
  if (FMainForm == form) FMainForm = nullptr;
}

void TApplication::Run() {
  if (FMainForm) FMainForm->Show();
  FRunning = true;
  while (!FTerminated) {
    if (!ProcessPass() && !FTerminated) WaitMessage(INFINITE);
  }
  FRunning = false;
}

void TApplication::EndSession() {
  if (FMainForm)
    FMainForm->Close();
  else
    Terminate();
  // The forms go now, as they would after Run, so that their components close what they
  // hold before the system ends the process. Only from Run's own pass: from a nested one
  // (a handler waiting for a thread) a form's code is further down the stack.
  if (!FRunning || FPassDepth != 1) return;
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
}

void TApplication::ProcessMessages() { ProcessPass(); }

void TApplication::WaitMessage(uint32_t timeoutMs) {
  if (SynchronizePending()) return;
  FBackend->WaitEvent(std::min(timeoutMs, TTimerList::TimeToNextTick()));
}

bool TApplication::ProcessPass() {
  ++FPassDepth;
  struct TLeave {
    int& Depth;
    ~TLeave() { --Depth; }
  } leave{FPassDepth};
  bool worked = CheckSynchronize();
  worked |= TTimerList::FireDueTimers();
  TBackendEvent e;
  while (FBackend->PollEvent(e)) {
    worked = true;
    try {
      DispatchEvent(e);
    } catch (...) {
      HandleCurrentException(this);
    }
  }
  PaintForms();
  return worked;
}

void TApplication::PaintForms() {
  const std::vector<TForm*> forms = FForms;  // a paint may close a form
  for (TForm* f : forms) {
    if (std::find(FForms.begin(), FForms.end(), f) == FForms.end()) continue;
    try {
      f->PaintPending();
    } catch (...) {
      HandleCurrentException(f);
    }
    f->PresentDirty();
  }
}

uint32_t TApplication::ModalPass() {
  CheckSynchronize();
  TTimerList::FireDueTimers();
  PaintForms();
  return SynchronizePending() ? 0 : TTimerList::TimeToNextTick();
}

void TApplication::DispatchEvent(const TBackendEvent& e) {
  if (e.Kind == TBackendEventKind::DisplayLost) {
    // Ends as a close of the main window does, so that its components close what they hold.
    FDisplayLost = true;
    if (FMainForm)
      FMainForm->Close();
    else
      Terminate();
    return;
  }
  for (TForm* f : FForms) {
    if (f->WindowHandle() != e.Window) continue;
    if (e.Kind == TBackendEventKind::Close)
      f->Close();
    else
      f->DispatchInput(e);
    return;
  }
}

void TApplication::Terminate() {
  FTerminated = true;
  FBackend->Wake();
}

void TApplication::WakeUp() { FBackend->Wake(); }

void TApplication::HandleException(TObject* Sender, const std::exception& E) {
  const auto* own = dynamic_cast<const Exception*>(&E);
  const Exception wrapped(E.what());
  const Exception& ex = own ? *own : wrapped;
  if (OnException)
    OnException(Sender, ex);
  else
    MessageBox(ex.Message());
}

void TApplication::HandleCurrentException(TObject* Sender) {
  try {
    throw;
  } catch (const std::exception& e) {
    HandleException(Sender, e);
  } catch (...) {
    HandleException(Sender, Exception("Unknown exception"));
  }
}

void TApplication::MessageBox(const std::string& text) { FBackend->MessageBox(Title, text); }
