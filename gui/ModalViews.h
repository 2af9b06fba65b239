#pragma once

class QtUi;
class TMain;

// Registers the views of the main window's modal forms (the new-project dialog and the
// connection dialog), so that TMain's ShowModal calls show them.
void RegisterModalViews(QtUi& ui, TMain& main);
