// The cursor and icon calls' state (user32_cursor.cpp).
#pragma once

// The shown-cursor count back to 0, as a new process.
void CursorReset();
