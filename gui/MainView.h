#pragma once
#include <QTimer>
#include <QWidget>

class TMain;

// The main window: toolbar, the two editor panels, the status bar and the progress
// panel, all mirroring TMain. Closing asks TMain, which may keep the window open.
class MainView : public QWidget {
public:
    static constexpr int ClientWidth = 1008;
    static constexpr int ClientHeight = 761;

    explicit MainView(TMain& main, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* MakeToolBar();
    QWidget* MakePanelScan();

    TMain& Main;
    QTimer Timer;
    bool Closing = false;
};
