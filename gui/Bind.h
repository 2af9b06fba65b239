#pragma once
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ComboBox.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/Panel.h"
#include "ui/ProgressBar.h"
#include "ui/RadioGroup.h"
#include "ui/StaticText.h"
#include "ui/StatusBar.h"
#include "ui/Timer.h"
#include "ui/ValueListEditor.h"
#include <QIcon>
#include <QPointer>
#include <functional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QStatusBar;
class QTableWidget;
class QTimer;
class QWidget;

// Binders: each ties one headless control to its widget for good. The widget mirrors
// every change of the control (enabled, visible and the control's own state), and what
// the user does to the widget enters the control as a user's action (Click, Select,
// Type, EditValue), after which the widget shows whatever the control made of it.
// The widget takes the control's name as its object name.

// showCaption false: the caption stays off the screen (a label or a column head says it).
void Bind(TCheckBox& control, QCheckBox& widget, bool showCaption = true);
// The user picks from the list; an Editable control lets the user type a text as well.
void Bind(TComboBox& control, QComboBox& widget);
// One radio button per item at its place under the control's caption; the user picks one.
void Bind(TRadioGroup& control, QGroupBox& widget);
// pictures gives the picture for the control's ImageIndex; without it the widget keeps its own.
void Bind(TButton& control, QAbstractButton& widget, std::function<QIcon(int)> pictures = {});
void Bind(TEdit& control, QLineEdit& widget);
void Bind(TStaticText& control, QLabel& widget);
// Two columns, the titles as header; keys are read-only, values editable.
void Bind(TValueListEditor& control, QTableWidget& widget);
// Adds one label per panel of the control, with its width and alignment.
void Bind(TStatusBar& control, QStatusBar& widget);
void Bind(TProgressBar& control, QProgressBar& widget);
void Bind(TPanel& control, QWidget& panel, QLabel& caption);
// A widget that shows only the control's enabled and visible state (a plain group).
void Bind(TControl& control, QWidget& widget);
// The timer runs while the control says so and ticks it every period.
void Bind(TTimer& control, QTimer& timer);
// A window's caption and enabled state; showing and closing stay with the window's view.
void Bind(TForm& control, QWidget& window);

// Runs follow(owner) now and after every change of the control, for as long as owner lives.
template <class TOwner> void Follow(TControl& control, TOwner& owner, std::function<void(TOwner&)> follow) {
    const std::function<void()> run = [guard = QPointer<TOwner>(&owner), follow = std::move(follow)] {
        if (guard)
            follow(*guard);
    };
    control.Watch(run);
    run();
}
