#pragma once
#include <string>
#include <windows.h>

// The pictures of the editor, drawn once at the given size in pixels: the toolbar's by
// the button's name (null for a name without one), the zone buttons' by their ImageIndex
// and the program's own. GDI+ must be running.
HICON ToolPicture(const std::string& buttonName, int size);
HICON ZonePicture(int imageIndex);
HICON AppPicture(int size);
