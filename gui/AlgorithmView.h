#pragma once
#include <QWidget>

class TAlgorithmEditor;

// The right-hand panel: the input selector and the grid of eight stage columns
// (message, repeats, pause, times, zones, relays), each widget bound to its control.
class AlgorithmView : public QWidget {
public:
    explicit AlgorithmView(TAlgorithmEditor& editor, QWidget* parent = nullptr);
};
