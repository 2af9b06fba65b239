#include "MainView.h"
#include "Bind.h"
#include "Build.h"
#include "DbgView.h"
#include "Painter.h"
#include "PortView.h"
#include "TimelineView.h"
#include "app/MainLayout.h"
#include "app/UnitMain.h"
#include "ui/Pictures.h"
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <vector>

namespace {
QFrame* Line(QFrame::Shape shape, QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}
} // namespace

MainView::MainView(TMain& main, QWidget* parent)
    : QWidget(parent), Main(main), Timer(this), ReplyTimer(this), LineTimer(this) {
    // A fixed window: minimise, but no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(Icon(TPictures::App()));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setFixedSize(Main.Width, Main.Height());
    Bind(Main, *this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(MakeToolBar());
    QFrame* underToolBar = Line(QFrame::HLine, this);
    underToolBar->setFixedHeight(TMainLayout::LineWidth);
    column->addWidget(underToolBar);

    // The editor scrolls inside the window, so on a small screen the toolbar and the status
    // bar stay in sight.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("EditorScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    auto* editor = new QWidget(scroll);
    editor->setFixedSize(TMainLayout::Width, TMainLayout::BodyHeight);
    Build({&Main.Composition.Panel, &Main.Algorithms.Panel}, *editor);
    Line(QFrame::VLine, editor)
        ->setGeometry(TMainLayout::LeftPanelWidth, 0, TMainLayout::LineWidth, TMainLayout::BodyHeight);
    scroll->setWidget(editor);
    column->addWidget(scroll, 1);

    auto* status = new QStatusBar(this);
    status->setFixedHeight(TMainLayout::StatusBarHeight);
    Bind(Main.StatusBar1, *status);
    column->addWidget(status);

    BindShortCuts();
    MakePanelScan();
    Bind(Main.Connection.SearchTimer, Timer);
    Bind(Main.Connection.Link.ReplyTimer, ReplyTimer);
    Bind(Main.Connection.LineTimer, LineTimer);
    // Shown by the Debug command, before the traffic log so that the log comes in front.
    new DbgView(Main.Dbg, this);
    new PortView(Main.FormPort, this);
    new TimelineView(Main.Timeline, this);
    PumpHandOvers();

    // TMain hides itself when its close handling lets the window go ("Выход").
    Main.Watch([view = QPointer<MainView>(this)] {
        if (view && view->Main.Closed && !view->Main.Visible() && !view->Closing && view->isVisible())
            view->close();
    });

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        FitScreen(screen->availableGeometry());
}

void MainView::FitScreen(const QRect& available) {
    // The frame the window system adds; before the first showing, a usual title bar.
    const QRect frame = frameGeometry(), client = geometry();
    const bool framed = isVisible() && frame != client;
    const QSize margins = framed ? frame.size() - client.size() : QSize(8, 32);
    const TRect fit =
        TMainLayout::ClientIn(available.width() - margins.width(), available.height() - margins.height(),
                              style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    setFixedSize(fit.Width, fit.Height);
    move(available.left() + fit.Left, available.top() + fit.Top);
    Main.PanelScan.SetBounds(TMainLayout::PanelScanIn(fit.Width, fit.Height));
}

void MainView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Now the window system's frame is known: fit once more if it does not fit after all.
    if (const QScreen* shown = screen()) {
        const QRect available = shown->availableGeometry();
        if (!available.contains(frameGeometry()))
            QTimer::singleShot(0, this, [this, available] { FitScreen(available); });
    }
}

void MainView::BindShortCuts() {
    std::vector<TButton*> commands(Main.ToolBar1.begin(), Main.ToolBar1.end());
    for (TButton* button : commands)
        for (const std::string& keys : button->ShortCuts) {
            auto* shortcut = new QShortcut(QKeySequence(QString::fromStdString(keys)), this);
            shortcut->setContext(Qt::WindowShortcut);
            QObject::connect(shortcut, &QShortcut::activated, this, [button] { button->Click(); });
        }
}

MainView::~MainView() {
    Main.HandOver.SetWakeHook({});
}

void MainView::PumpHandOvers() {
    // The hook runs in the posting worker thread: it only queues a call to the
    // application object (which outlives this window); the call runs in this thread and
    // checks that the window, and so TMain, is still there.
    THandOver* handOver = &Main.HandOver;
    Main.HandOver.SetWakeHook([handOver, view = QPointer<MainView>(this)] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [handOver, view] {
                if (view)
                    handOver->RunPending();
            },
            Qt::QueuedConnection);
    });
}

QWidget* MainView::MakeToolBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(0);
    bar->setFixedHeight(TMainLayout::ToolBarHeight);
    for (TButton* button : Main.ToolBar1) {
        if (button->IsSeparator) {
            QFrame* gap = Line(QFrame::VLine, bar);
            gap->setFixedWidth(TMainLayout::SeparatorWidth);
            row->addWidget(gap);
            continue;
        }
        auto* tool = new QToolButton(bar);
        tool->setFixedSize(TMainLayout::ToolButtonWidth, TMainLayout::ToolButtonHeight);
        tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        tool->setAutoRaise(true);
        tool->setIconSize(QSize(TPictures::ToolSize, TPictures::ToolSize));
        tool->setIcon(Icon(TPictures::Tool(button->Name)));
        // The longest caption, "Подключить", must fit the button's width.
        QFont caption = tool->font();
        caption.setPointSizeF(7.5);
        tool->setFont(caption);
        Bind(*button, *tool);
        if (!button->Menu.empty())
            tool->setMenu(MakeMenu(*button, *tool));
        row->addWidget(tool);
    }
    row->addStretch();
    return bar;
}

QMenu* MainView::MakeMenu(TButton& button, QToolButton& tool) {
    // The arrow beside the picture opens the list; the button itself keeps its command.
    tool.setPopupMode(QToolButton::MenuButtonPopup);
    auto* menu = new QMenu(&tool);
    menu->setToolTipsVisible(true);
    for (TButton* entry : button.Menu) {
        QAction* action = entry->IsSeparator ? menu->addSeparator() : menu->addAction(QString());
        action->setObjectName(QString::fromStdString(entry->Name));
        Follow<QAction>(*entry, *action, [entry](QAction& a) {
            a.setVisible(entry->Visible());
            a.setEnabled(entry->Enabled());
            // A file name's "&" is no mnemonic.
            a.setText(
                QString::fromStdString(entry->Caption()).replace(QLatin1Char('&'), QStringLiteral("&&")));
            a.setToolTip(QString::fromStdString(entry->Hint()));
        });
        if (!entry->IsSeparator)
            QObject::connect(action, &QAction::triggered, action, [entry] { entry->Click(); });
    }
    return menu;
}

QWidget* MainView::MakePanelScan() {
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    auto* caption = new QLabel(panel);
    caption->setAlignment(Qt::AlignCenter);
    const TRect& at = TMainLayout::ScanCaption;
    caption->setGeometry(at.Left, at.Top, at.Width, at.Height);
    Bind(Main.PanelScan, *panel, *caption);
    Bind(Main.ProgressBar, *new QProgressBar(panel));
    return panel;
}

void MainView::closeEvent(QCloseEvent* event) {
    Closing = true;
    if (Main.Closed || Main.FormClose())
        event->accept();
    else
        event->ignore();
    Closing = false;
}
