#pragma once
#include <QWidget>

class TCompositionRules;
class TValueListEditor;

// The left-hand panel: the composition controls with their labels, the controller's
// identity, and at the bottom the table of message playback lengths.
class CompositionView : public QWidget {
public:
    CompositionView(TCompositionRules& rules, TValueListEditor& lengths, QWidget* parent = nullptr);
};
