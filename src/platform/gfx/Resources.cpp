#include "platform/gfx/Resources.h"

#include <cctype>
#include <string>

#include "platform/gfx/EmbeddedTable.h"
#include "platform/gfx/GraphicsError.h"

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

std::optional<std::span<const uint8_t>> FindEmbeddedResource(std::string_view Name) {
  for (size_t i = 0; i < kEmbeddedResourceCount; ++i) {
    const TEmbeddedEntry& e = kEmbeddedResources[i];
    if (SameName(e.Name, Name)) return std::span<const uint8_t>(e.Data, e.Size);
  }
  return std::nullopt;
}

std::span<const uint8_t> EmbeddedResource(std::string_view Name) {
  if (auto r = FindEmbeddedResource(Name)) return *r;
  throw EResNotFound("Resource " + std::string(Name) + " not found");
}

std::vector<std::string_view> EmbeddedResourceNames() {
  std::vector<std::string_view> names;
  for (size_t i = 0; i < kEmbeddedResourceCount; ++i) names.emplace_back(kEmbeddedResources[i].Name);
  return names;
}
