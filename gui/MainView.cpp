#include "MainView.h"
#include "AlgorithmView.h"
#include "Bind.h"
#include "CompositionView.h"
#include "DbgView.h"
#include "Pictures.h"
#include "PortView.h"
#include "TimelineView.h"
#include "app/UnitMain.h"
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int LeftPanelWidth = 214;
constexpr QSize ToolButtonSize(69, 44);
constexpr QSize ToolPictureSize(24, 24);
constexpr int SeparatorWidth = 8;
constexpr QSize PanelScanSize(233, 81);
constexpr QSize ProgressSize(201, 16);

QFrame* Line(QFrame::Shape shape, QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}
} // namespace

MainView::MainView(TMain& main, QWidget* parent)
    : QWidget(parent), Main(main), Timer(this), ReplyTimer(this) {
    // A fixed window: minimise, but no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(AppPicture());
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setFixedSize(Main.Width, Main.Height());
    Bind(Main, *this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(MakeToolBar());
    column->addWidget(Line(QFrame::HLine, this));

    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    auto* composition = new CompositionView(Main.Composition, Main.Algorithms.LenMes, this);
    composition->setFixedWidth(LeftPanelWidth);
    body->addWidget(composition);
    body->addWidget(Line(QFrame::VLine, this));
    body->addWidget(new AlgorithmView(Main.Algorithms, this), 1);
    column->addLayout(body, 1);

    auto* status = new QStatusBar(this);
    Bind(Main.StatusBar1, *status);
    column->addWidget(status);

    MakePanelScan();
    Bind(Main.Timer, Timer);
    Bind(Main.Link.ReplyTimer, ReplyTimer);
    // Shown by the Debug command, before the traffic log so that the log comes in front.
    new DbgView(Main.Dbg, this);
    new PortView(Main.FormPort, this);
    new TimelineView(Main.Timeline, this);
    if (auto* total = findChild<QLabel*>(QString::fromStdString(Main.Algorithms.TotalTime->Name)))
        OpenTimelineOnClick(*total, Main.Timeline);
    PumpHandOvers();

    // TMain hides itself when its close handling lets the window go ("Выход").
    Main.Watch([view = QPointer<MainView>(this)] {
        if (view && view->Main.Closed && !view->Main.Visible() && !view->Closing && view->isVisible())
            view->close();
    });

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
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
    for (TButton* button : Main.ToolBar1) {
        if (button->IsSeparator) {
            QFrame* gap = Line(QFrame::VLine, bar);
            gap->setFixedWidth(SeparatorWidth);
            row->addWidget(gap);
            continue;
        }
        auto* tool = new QToolButton(bar);
        tool->setFixedSize(ToolButtonSize);
        tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        tool->setAutoRaise(true);
        tool->setIconSize(ToolPictureSize);
        tool->setIcon(ToolPicture(button->Name));
        // The longest caption, "Подключить", must fit the button's width.
        QFont caption = tool->font();
        caption.setPointSizeF(7.5);
        tool->setFont(caption);
        Bind(*button, *tool);
        row->addWidget(tool);
    }
    row->addStretch();
    return bar;
}

QWidget* MainView::MakePanelScan() {
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->setGeometry(
        QRect(QPoint((Main.Width - PanelScanSize.width()) / 2, (Main.Height() - PanelScanSize.height()) / 2),
              PanelScanSize));
    auto* caption = new QLabel(panel);
    caption->setAlignment(Qt::AlignCenter);
    caption->setGeometry(0, 12, PanelScanSize.width(), 20);
    auto* progress = new QProgressBar(panel);
    progress->setGeometry(
        QRect(QPoint((PanelScanSize.width() - ProgressSize.width()) / 2, 44), ProgressSize));
    Bind(Main.PanelScan, *panel, *caption);
    Bind(Main.ProgressBar, *progress);
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
