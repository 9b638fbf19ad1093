#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// The files of resources/, embedded into the executable when it is built. A resource's name
// is its file name without the extension, in upper case ("BMCOUNTER.bmp" is "BMCOUNTER");
// names are found without regard to case.

// The bytes of the resource Name, or nothing when there is none.
std::optional<std::span<const uint8_t>> FindEmbeddedResource(std::string_view Name);
// The bytes of the resource Name; EResNotFound when there is none.
std::span<const uint8_t> EmbeddedResource(std::string_view Name);
// The names of every embedded resource, in name order.
std::vector<std::string_view> EmbeddedResourceNames();
