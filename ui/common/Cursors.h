#pragma once
// The eleven tool cursors of the painter's image, drawn by the program itself, under the
// ids and names of EditingState.h. Built once, on first use, after the QApplication exists.
// User-interface thread only.
#include <QCursor>

// Builds all eleven cursors; the start-up registers them before any window needs one.
void RegisterToolCursors();
// The cursor with id 1..11 (ToolCursors in EditingState.h); any other id gives the pen.
const QCursor& ToolCursor(int Id);
