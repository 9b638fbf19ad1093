// OrvelAX9: shows what the AX-9 attitude sensor and the KQ3 compass sensor report.
#include <cstdio>
#include <exception>
#include <memory>

#include "app/formAX9.h"
#include "platform/ui/Application.h"
#include "platform/ui/CloseRequests.h"
#include "platform/ui/Form.h"
#include "platform/ui/backend/ScreenBackend.h"

int main() {
  // First, before the display starts threads of its own: a request to end (a signal on
  // Linux) then reaches the program only as a close of its window.
  TCloseRequests closeRequests;
  std::unique_ptr<TBackend> backend;
  try {
    backend = CreateScreenBackend();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "OrvelAX9: cannot open the display: %s\n", e.what());
    return 1;
  }
  TApplication app(std::move(backend));
  Application->Initialize();
  closeRequests.Start([] {
    if (TForm* form = Application->MainForm()) form->Close();
    else Application->Terminate();
  });
  Application->CreateForm(frmAX9);
  Application->Run();
  closeRequests.Stop();
  if (!Application->DisplayLost()) return 0;
  std::fprintf(stderr, "OrvelAX9: the display was lost\n");
  return 1;
}
