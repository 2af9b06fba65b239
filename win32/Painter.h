#pragma once
#include "ui/Drawing.h"
#include <windows.h>
// After the standard headers: GDI+ wants the Windows min and max.
#include <gdiplus.h>

// Paints a drawing of the core in its own units, shape after shape, with GDI+; texts take the
// editor's face at their own size.
void Paint(Gdiplus::Graphics& graphics, const TDrawing& drawing);
// The drawing as an icon `size` pixels square; null for an empty drawing. GDI+ must be running.
HICON Icon(const TDrawing& drawing, int size);
// The icon of an ImageIndex at its design size, each drawn once: 64 buttons change pictures on
// every enabling pass.
HICON ListedIcon(int imageIndex);
