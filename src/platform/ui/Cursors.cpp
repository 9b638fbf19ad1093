#include "platform/ui/Cursors.h"

#include <map>
#include <optional>

#include "platform/ui/Application.h"

namespace {

struct TEntry {
  std::string Resource;
  std::optional<TCursorImage> Image;
  bool Failed = false;
};

// Built on first use: libraries register from their static initialisers.
std::map<int, TEntry>& Table() {
  static std::map<int, TEntry> table;
  return table;
}

const TCursorImage* Resolve(TEntry& e) {
  if (!e.Image && !e.Failed) {
    try {
      e.Image = LoadCursorFromResource(e.Resource);
    } catch (const std::exception&) {
      e.Failed = true;  // a cursor that cannot be loaded is simply not there
    }
  }
  return e.Image ? &*e.Image : nullptr;
}

void Install(TBackend& backend, int id, const TCursorImage& c) {
  backend.RegisterCursor(id, c.Width, c.Height, c.Image, c.Mask, c.HotX, c.HotY);
}

}  // namespace

void RegisterCursor(int Id, const TCursorImage& Image) {
  TEntry& e = Table()[Id];
  e = TEntry{};
  e.Image = Image;
  if (Application) Install(Application->Backend(), Id, Image);
}

void RegisterCursorResource(int Id, const std::string& ResourceName) {
  TEntry& e = Table()[Id];
  e = TEntry{};
  e.Resource = ResourceName;
  if (Application)
    if (const TCursorImage* c = Resolve(e)) Install(Application->Backend(), Id, *c);
}

const TCursorImage* FindCursor(int Id) {
  auto it = Table().find(Id);
  return it == Table().end() ? nullptr : Resolve(it->second);
}

void InstallCursors(TBackend& Backend) {
  for (auto& [id, e] : Table())
    if (const TCursorImage* c = Resolve(e)) Install(Backend, id, *c);
}
