#pragma once
#include <QTimer>
#include <QWidget>

class QMenu;
class QToolButton;
class TButton;
class TMain;

// The main window: toolbar, the two editor panels, the status bar and the progress
// panel, all mirroring TMain, and the two diagnostic windows it owns. Closing asks TMain,
// which may keep the window open. While it exists, calls that the serial port's workers
// hand over to this thread run from Qt's event loop, whichever loop (a modal dialog's
// or a message box's too) is running.
class MainView : public QWidget {
public:
    explicit MainView(TMain& main, QWidget* parent = nullptr);
    ~MainView() override;
    MainView(const MainView&) = delete;
    MainView& operator=(const MainView&) = delete;

    // Places the window on the screen's free area as the core fits it there (the editor scrolls
    // where the area is smaller than the design).
    void FitScreen(const QRect& available);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void PumpHandOvers();
    void BindShortCuts();
    QMenu* MakeMenu(TButton& button, QToolButton& tool);
    QWidget* MakeToolBar();
    QWidget* MakePanelScan();

    TMain& Main;
    QTimer Timer;
    // The link's wait for each reply.
    QTimer ReplyTimer;
    QTimer LineTimer;
    bool Closing = false;
};
