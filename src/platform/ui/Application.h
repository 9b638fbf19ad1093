#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel/EventObject.h"
#include "platform/ui/Component.h"
#include "platform/rtl/Exception.h"
#include "platform/ui/backend/Backend.h"

class TForm;

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

// The application object and its message loop (user-interface thread only, except WakeUp).
//
// One pass of the loop: the hand-overs queued by workers, the timers that are due, the
// window's input events, the forms' pending paints, then the dirty rectangles to the screen.
// When nothing is due the loop blocks until the next timer, a worker's hand-over or an
// input event; it never spins. ProcessMessages is one pass that never blocks; it may be
// called from inside any handler, which re-enters the loop. While a message box is up, the
// backend's modal loop runs the hand-overs, timers and paints (where the backend can).
class TApplication : public TComponent {
 public:
  explicit TApplication(std::unique_ptr<TBackend> backend);
  ~TApplication() override;

  void Initialize() {}
  // Creates a form owned by the application; `reference` is set before the form's creation
  // handler runs. The first form created is the main form.
  template <class T>
  void CreateForm(T*& reference) {
    T* form = new T(this);
    reference = form;
    AfterFormCreated(form);
  }

  // Shows the main form and runs the loop until Terminate or the main form closes.
  void Run();
  void ProcessMessages();
  // Blocks until something is due or timeoutMs (INFINITE = no limit) has passed.
  void WaitMessage(uint32_t timeoutMs);
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // The screen went away: the loop has ended as when the main form closes.
  bool DisplayLost() const { return FDisplayLost; }

  // Passes an exception to OnException, or shows its message when none is installed.
  void HandleException(TObject* Sender, const std::exception& E);
  // The same for the exception being handled inside a catch block.
  void HandleCurrentException(TObject* Sender);
  TExceptionEvent OnException;

  // A modal message box with one text and an OK button, titled with Title.
  void MessageBox(const std::string& text);
  std::string Title = "OrvelAX9";

  TForm* MainForm() const { return FMainForm; }
  TBackend& Backend() { return *FBackend; }
  void WakeUp();  // any thread

  // Forms announce themselves so the loop can paint and present them.
  void AddForm(TForm* form);
  void RemoveForm(TForm* form);

 private:
  void AfterFormCreated(TForm* form);
  bool ProcessPass();
  // The forms' pending paints, then their dirty areas to the screen.
  void PaintForms();
  // A pass inside the backend's modal loop: hand-overs, timers and paints, no input; the
  // time until it is due again.
  uint32_t ModalPass();
  void DispatchEvent(const TBackendEvent& e);
  // A logoff or shutdown: the main form closes and the forms are freed at once.
  void EndSession();

  std::unique_ptr<TBackend> FBackend;
  std::vector<TForm*> FForms;
  TForm* FMainForm = nullptr;
  bool FTerminated = false;
  bool FDisplayLost = false;
  bool FRunning = false;
  int FPassDepth = 0;  // passes running, nested ones included
};

extern TApplication* Application;
