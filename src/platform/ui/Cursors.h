#pragma once
#include <string>

#include "platform/gfx/Cursor.h"

class TBackend;

// The screen's table of cursors by number. A library registers its cursors when it starts,
// before any window exists; the table hands them to the backend when a form is created, and
// at once when the application is already running.
void RegisterCursor(int Id, const TCursorImage& Image);
// The same for an embedded cursor resource, loaded when first needed; one that cannot be
// loaded is left out.
void RegisterCursorResource(int Id, const std::string& ResourceName);
// The cursor registered as Id, or nullptr.
const TCursorImage* FindCursor(int Id);
// Hands every registered cursor to Backend.
void InstallCursors(TBackend& Backend);
