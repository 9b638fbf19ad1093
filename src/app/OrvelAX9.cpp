// OrvelAX9: shows what the AX-9 attitude sensor and the KQ3 compass sensor report.
#include <cstdio>
#include <exception>
#include <memory>

#include "app/formAX9.h"
#include "platform/ui/Application.h"
#include "platform/ui/backend/sdl2/Sdl2Backend.h"

int main() {
  std::unique_ptr<TBackend> backend;
  try {
    backend = CreateSdl2Backend();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "OrvelAX9: cannot open the display: %s\n", e.what());
    return 1;
  }
  TApplication app(std::move(backend));
  Application->Initialize();
  Application->CreateForm(frmAX9);
  Application->Run();
  return 0;
}
