#pragma once
#include "ui/Drawing.h"
#include <QIcon>

class QFont;
class QPainter;

// Paints a drawing of the core in its own units, shape after shape; texts take the face of
// `face` at their own size.
void Paint(QPainter& painter, const TDrawing& drawing, const QFont& face);
// The drawing as an icon of its size; a null icon for an empty drawing.
QIcon Icon(const TDrawing& drawing);
// The icon of an ImageIndex, each drawn once: 64 buttons change pictures on every enabling pass.
QIcon ListedIcon(int imageIndex);
