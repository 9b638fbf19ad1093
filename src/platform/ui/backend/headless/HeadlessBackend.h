#pragma once
#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "platform/kernel/EventObject.h"
#include "platform/ui/backend/Backend.h"

// A backend without a screen, for tests and pictures: windows are records, input events are
// posted by the test, message boxes are recorded (and answered at once).
class THeadlessBackend : public TBackend {
 public:
  struct Window {
    TWindowParams Params;
    bool Visible = false;
    std::vector<TIconImage> Icon;
    int PresentCount = 0;
    std::vector<TRect> LastDirty;
  };

  int CreateWindow(const TWindowParams& params) override;
  void ShowWindow(int window) override;
  void DestroyWindow(int window) override;
  void SetCaption(int window, const std::string& caption) override;
  void SetIcon(int window, const std::vector<TIconImage>& sizes) override;
  TRect ClientBounds(int window) override;
  void Present(int window, const TPixelView& buffer, const std::vector<TRect>& dirty) override;
  bool PollEvent(TBackendEvent& event) override;
  void WaitEvent(uint32_t timeoutMs) override;
  void Wake() override;
  void MessageBox(const std::string& title, const std::string& text) override;
  void RegisterCursor(int id, int width, int height, const std::vector<uint8_t>& image,
                      const std::vector<uint8_t>& mask, int hotX, int hotY) override;

  // Test side.
  void PostEvent(const TBackendEvent& event);
  const Window* FindWindow(int window) const;
  std::vector<std::string> Messages;  // "title: text" of every message box shown
  std::function<void(const std::string&)> OnMessageBox;
  std::map<int, std::pair<int, int>> Cursors;  // id -> hot spot
  int WaitCount = 0;                           // blocking waits made

 private:
  std::map<int, Window> FWindows;
  int FNextId = 1;
  std::mutex FLock;
  std::deque<TBackendEvent> FEvents;
  TEventObject FWake{false, false};
};
