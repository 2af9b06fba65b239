#include "ModalViews.h"
#include "ProjectNameView.h"
#include "QtUi.h"
#include "SetComPortView.h"
#include "app/UnitMain.h"

void RegisterModalViews(QtUi& ui, TMain& main) {
    ui.RegisterModal(&main.FormProjectName,
                     [&main](QWidget* parent) { return new ProjectNameView(main.FormProjectName, parent); });
    ui.RegisterModal(&main.SetComPort,
                     [&main](QWidget* parent) { return new SetComPortView(main.SetComPort, parent); });
}
