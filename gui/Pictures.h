#pragma once
#include <QIcon>
#include <string>

// The editor's pictures, drawn in code: no image files to install or lose.

// The 24 x 24 picture of a toolbar button, by the button's name; null for an unknown name.
QIcon ToolPicture(const std::string& buttonName);
// A zone button's picture by its image index (0 up, 1 down); null for any other index.
QIcon ZonePicture(int imageIndex);
// The window's icon.
QIcon AppPicture();
