#pragma once
#include <cstdint>

// Orientation of a meter: the scale runs top to bottom or left to right.
enum TVrDirection : uint8_t { voVertical, voHorizontal };
// The edge that carries the scale's baseline: voBefore is the top edge of a horizontal meter
// and the left edge of a vertical one, voAfter the opposite edge.
enum TVrPosition : uint8_t { voAfter, voBefore };
enum TvrIndicatorShape : uint8_t { voLine, voBitmap, voTriangle };
