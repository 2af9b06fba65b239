#pragma once

class TWin32Ui;
class TMain;

// Registers the windows of the main window's modal forms (the new-project dialog and the
// connection dialog), so that TMain's ShowModal calls show them.
void RegisterModalWindows(TWin32Ui& ui, TMain& main);
