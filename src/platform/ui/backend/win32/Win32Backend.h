#pragma once
#include <memory>

#include "platform/ui/backend/Backend.h"

// Native Windows windows for the forms.
//
// - A form's window is a fixed-size window of its own class; a tool window has a thin title
//   bar with only a close button. Its client area is the form's size, centred on the screen
//   when asked. The class carries the icon of the program's resources ("MAINICON").
// - Present copies the dirty rectangles of the back buffer into the window's own copy and
//   invalidates them; WM_PAINT draws only the invalid region, from that copy, so that the
//   window repaints itself (uncovered, or while a modal loop runs) without the form.
// - WaitEvent is one MsgWaitForMultipleObjectsEx on the thread's messages and the time limit.
//   Wake posts WM_NULL to a hidden window of the backend; a Wake that comes before the wait,
//   even one whose message a pass already took, ends the next wait at once.
// - MessageBox is MessageBoxW, owned by the first visible window. While its modal loop runs,
//   the backend runs OnModalPass: at once for each Wake, and by a Windows timer when the
//   pass asks to be run again.
// - Input: WM_CLOSE is the Close event (the window stays until DestroyWindow); mouse moves
//   track the pointer leaving the window (TrackMouseEvent), which is the MouseLeave event.
// Raises Exception when the window classes or the hidden window cannot be made.
std::unique_ptr<TBackend> CreateWin32Backend();
