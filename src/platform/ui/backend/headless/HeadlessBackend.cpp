#include "platform/ui/backend/headless/HeadlessBackend.h"

int THeadlessBackend::CreateWindow(const TWindowParams& params) {
  const int id = FNextId++;
  FWindows[id].Params = params;
  return id;
}

void THeadlessBackend::ShowWindow(int window) { FWindows[window].Visible = true; }
void THeadlessBackend::DestroyWindow(int window) { FWindows.erase(window); }
void THeadlessBackend::SetCaption(int window, const std::string& caption) { FWindows[window].Params.Caption = caption; }
void THeadlessBackend::SetIcon(int window, const std::vector<TIconImage>& sizes) { FWindows[window].Icon = sizes; }

TRect THeadlessBackend::ClientBounds(int window) {
  const TWindowParams& s = FWindows[window].Params;
  // An imaginary 1024 x 768 screen.
  const int left = (1024 - s.ClientWidth) / 2, top = (768 - s.ClientHeight) / 2;
  return Bounds(left, top, s.ClientWidth, s.ClientHeight);
}

void THeadlessBackend::Present(int window, const TPixelView&, const std::vector<TRect>& dirty) {
  Window& w = FWindows[window];
  ++w.PresentCount;
  w.LastDirty = dirty;
}

bool THeadlessBackend::PollEvent(TBackendEvent& event) {
  std::lock_guard<std::mutex> g(FLock);
  if (FEvents.empty()) return false;
  event = FEvents.front();
  FEvents.pop_front();
  return true;
}

void THeadlessBackend::WaitEvent(uint32_t timeoutMs) {
  {
    std::lock_guard<std::mutex> g(FLock);
    if (!FEvents.empty()) return;
  }
  ++WaitCount;
  WaitForEvent(FWake, timeoutMs);
}

void THeadlessBackend::Wake() { FWake.Set(); }

void THeadlessBackend::MessageBox(const std::string& title, const std::string& text) {
  Messages.push_back(title + ": " + text);
  if (OnMessageBox) OnMessageBox(text);
}

void THeadlessBackend::RegisterCursor(int id, int, int, const std::vector<uint8_t>&, const std::vector<uint8_t>&,
                                      int hotX, int hotY) {
  Cursors[id] = {hotX, hotY};
}

void THeadlessBackend::PostEvent(const TBackendEvent& event) {
  {
    std::lock_guard<std::mutex> g(FLock);
    FEvents.push_back(event);
  }
  FWake.Set();
}

const THeadlessBackend::Window* THeadlessBackend::FindWindow(int window) const {
  auto it = FWindows.find(window);
  return it == FWindows.end() ? nullptr : &it->second;
}
