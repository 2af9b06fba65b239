#include "Bind.h"
#include <QAbstractButton>
#include <QBrush>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <memory>
#include <vector>

namespace {
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Registers show() as the widget's mirror of the control, runs it once and returns it so
// a binder can run it again after forwarding a user action the control may have refused.
// Signals stay blocked while mirroring, so nothing shown is taken for the user's doing.
template <class TWidget, class TShow>
std::function<void()> Mirror(TControl& control, TWidget& widget, TShow show) {
    widget.setObjectName(Q(control.Name));
    QPointer<TWidget> guard(&widget);
    std::function<void()> mirror = [&control, guard, show] {
        if (!guard)
            return;
        const QSignalBlocker blocker(guard.data());
        guard->setEnabled(control.Enabled());
        guard->setToolTip(Q(control.Hint()));
        const TRect& at = control.Bounds();
        if (at.Width > 0 && guard->geometry() != QRect(at.Left, at.Top, at.Width, at.Height))
            guard->setGeometry(at.Left, at.Top, at.Width, at.Height);
        if (guard->isHidden() == control.Visible())
            guard->setHidden(!control.Visible());
        show(*guard);
    };
    control.Watch(mirror);
    mirror();
    return mirror;
}

// A click on a status bar panel goes to the control.
class TPanelClicks : public QObject {
public:
    TPanelClicks(TStatusBar& control, size_t panel, QObject* parent)
        : QObject(parent), Control(control), Panel(panel) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease)
            Control.ClickPanel(Panel);
        return false;
    }

private:
    TStatusBar& Control;
    size_t Panel;
};

Qt::Alignment ToQt(TAlignment alignment) {
    switch (alignment) {
    case TAlignment::Center:
        return Qt::AlignCenter;
    case TAlignment::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case TAlignment::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}
} // namespace

void Bind(TCheckBox& control, QCheckBox& widget, bool showCaption) {
    const auto mirror = Mirror(control, widget, [&control, showCaption](QCheckBox& w) {
        w.setChecked(control.Checked());
        if (showCaption)
            w.setText(Q(control.Caption()));
    });
    QObject::connect(&widget, &QCheckBox::clicked, [&control, mirror] {
        control.Click();
        mirror();
    });
}

void Bind(TComboBox& control, QComboBox& widget) {
    widget.setEditable(control.Editable);
    if (control.Editable) {
        // What the user types goes to the control as typed: a completer that completes
        // nothing (so no item the user did not choose is filled in) and matches case-
        // sensitively (so leaving the box on "none" does not pick "None"); Enter adds nothing.
        auto* completer = new QCompleter(QStringList(), &widget);
        completer->setCaseSensitivity(Qt::CaseSensitive);
        widget.setCompleter(completer);
        widget.setInsertPolicy(QComboBox::NoInsert);
    }
    auto shownItems = std::make_shared<std::vector<std::string>>();
    const auto mirror = Mirror(control, widget, [&control, shownItems](QComboBox& w) {
        // Most changes only move the selection; refill the list only when it differs.
        if (*shownItems != control.Items()) {
            *shownItems = control.Items();
            w.clear();
            for (const std::string& item : control.Items())
                w.addItem(Q(item));
        }
        w.setMaxVisibleItems(control.DropDownCount);
        QLineEdit* line = w.lineEdit();
        const int cursor = line ? line->cursorPosition() : 0;
        if (w.currentIndex() != control.ItemIndex())
            w.setCurrentIndex(control.ItemIndex());
        // A typed text that names no item: the selection is gone but the text stays, and
        // the cursor stays where the user is typing.
        if (line && line->text() != Q(control.Text())) {
            line->setText(Q(control.Text()));
            line->setCursorPosition(cursor);
        }
    });
    QObject::connect(&widget, &QComboBox::activated, [&control, mirror](int index) {
        control.Select(index);
        mirror();
    });
    if (QLineEdit* line = widget.lineEdit())
        QObject::connect(line, &QLineEdit::textEdited, [&control, mirror](const QString& text) {
            control.Type(text.toStdString());
            mirror();
        });
}

void Bind(TRadioGroup& control, QGroupBox& widget) {
    widget.setTitle(Q(control.Caption));
    auto* group = new QButtonGroup(&widget);
    for (int i = 0; i < control.Count(); ++i) {
        auto* radio = new QRadioButton(Q(control.Items()[static_cast<size_t>(i)]), &widget);
        const TRect at = control.ItemBounds(i);
        radio->setGeometry(at.Left, at.Top, at.Width, at.Height);
        group->addButton(radio, i);
    }
    const auto mirror = Mirror(control, widget, [&control, group](QGroupBox&) {
        // An exclusive group cannot show "none chosen"; drop exclusiveness to clear it.
        group->setExclusive(false);
        for (QAbstractButton* radio : group->buttons())
            radio->setChecked(group->id(radio) == control.ItemIndex());
        group->setExclusive(true);
    });
    QObject::connect(group, &QButtonGroup::idClicked, [&control, mirror](int index) {
        control.Select(index);
        mirror();
    });
}

void Bind(TButton& control, QAbstractButton& widget, std::function<QIcon(int)> pictures) {
    widget.setCheckable(control.Kind == TButtonKind::Toggle);
    auto shownPicture = std::make_shared<int>(-2);
    const auto mirror =
        Mirror(control, widget, [&control, pictures = std::move(pictures), shownPicture](QAbstractButton& w) {
            w.setText(Q(control.Caption()));
            if (w.isCheckable())
                w.setChecked(control.Down());
            if (pictures && *shownPicture != control.ImageIndex()) {
                *shownPicture = control.ImageIndex();
                w.setIcon(pictures(control.ImageIndex()));
            }
        });
    QObject::connect(&widget, &QAbstractButton::clicked, [&control, mirror] {
        control.Click();
        mirror();
    });
}

void Bind(TEdit& control, QLineEdit& widget) {
    const auto mirror = Mirror(control, widget, [&control](QLineEdit& w) {
        w.setReadOnly(control.ReadOnly());
        w.setMaxLength(control.MaxLength > 0 ? control.MaxLength : 32767);
        // Rewriting an equal text would put the cursor at the end while the user types.
        if (w.text() != Q(control.Text()))
            w.setText(Q(control.Text()));
    });
    QObject::connect(&widget, &QLineEdit::textEdited, [&control, mirror](const QString& text) {
        control.Type(text.toStdString());
        mirror();
    });
}

namespace {
// A left click on a text that does something when clicked.
class ClickFilter : public QObject {
public:
    ClickFilter(TStaticText& control, QObject* parent) : QObject(parent), Control(control) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonRelease ||
            static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return QObject::eventFilter(watched, event);
        Control.Click();
        return true;
    }

private:
    TStaticText& Control;
};
} // namespace

void Bind(TStaticText& control, QLabel& widget) {
    Mirror(control, widget, [&control](QLabel& w) { w.setText(Q(control.Caption())); });
    if (control.OnClick) {
        widget.setCursor(Qt::PointingHandCursor);
        widget.installEventFilter(new ClickFilter(control, &widget));
    }
}

void Bind(TValueListEditor& control, QTableWidget& widget) {
    widget.setColumnCount(2);
    widget.verticalHeader()->hide();
    const auto mirror = Mirror(control, widget, [&control](QTableWidget& w) {
        w.setHorizontalHeaderLabels({Q(control.Key(0)), Q(control.Value(0))});
        const int rows = control.RowCount() - 1;
        if (w.rowCount() != rows)
            w.setRowCount(rows);
        for (int r = 0; r < rows; ++r)
            for (int column = 0; column < 2; ++column) {
                const QString text = Q(column == 0 ? control.Key(r + 1) : control.Value(r + 1));
                QTableWidgetItem* item = w.item(r, column);
                if (!item) {
                    item = new QTableWidgetItem;
                    if (column == 0)
                        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
                    w.setItem(r, column, item);
                }
                if (item->text() != text)
                    item->setText(text);
                // A value that is wrong shows red, and why in its tool tip.
                const QString warning = column == 1 ? Q(control.ValueWarning(r + 1)) : QString();
                if (item->toolTip() != warning) {
                    item->setToolTip(warning);
                    item->setForeground(warning.isEmpty() ? QBrush() : QBrush(Qt::red));
                }
            }
    });
    QObject::connect(&widget, &QTableWidget::itemChanged, [&control, mirror](QTableWidgetItem* item) {
        if (item->column() == 1)
            control.EditValue(item->row() + 1, item->text().toStdString());
        mirror();
    });
}

void Bind(TStatusBar& control, QStatusBar& widget) {
    widget.setSizeGripEnabled(false);
    auto labels = std::make_shared<std::vector<QPointer<QLabel>>>();
    for (const TStatusPanel& panel : control.Panels()) {
        auto* label = new QLabel(&widget);
        label->setFixedWidth(panel.Width);
        label->setAlignment(ToQt(panel.Alignment));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        widget.addWidget(label);
        label->installEventFilter(new TPanelClicks(control, labels->size(), label));
        labels->push_back(label);
    }
    Mirror(control, widget, [&control, labels](QStatusBar&) {
        for (size_t i = 0; i < labels->size() && i < control.Panels().size(); ++i)
            if ((*labels)[i])
                (*labels)[i]->setText(Q(control.PanelText(i)));
    });
}

void Bind(TProgressBar& control, QProgressBar& widget) {
    widget.setTextVisible(false);
    Mirror(control, widget, [&control](QProgressBar& w) {
        w.setRange(control.Min, control.Max);
        w.setValue(control.Position());
    });
}

void Bind(TPanel& control, QWidget& panel, QLabel& caption) {
    Mirror(control, panel, [&control, label = QPointer<QLabel>(&caption)](QWidget& w) {
        if (label)
            label->setText(Q(control.Caption()));
        if (control.Visible())
            w.raise();
    });
}

void Bind(TControl& control, QWidget& widget) {
    Mirror(control, widget, [](QWidget&) {});
}

void Bind(TTimer& control, QTimer& timer) {
    timer.setObjectName(Q(control.Name));
    Follow<QTimer>(control, timer, [&control](QTimer& t) {
        if (control.Running() && !t.isActive())
            t.start(control.Interval);
        else if (!control.Running())
            t.stop();
    });
    QObject::connect(&timer, &QTimer::timeout, [&control] { control.Tick(); });
}

void Bind(TForm& control, QWidget& window) {
    window.setObjectName(Q(control.Name));
    Follow<QWidget>(control, window, [&control](QWidget& w) {
        w.setWindowTitle(Q(control.Caption()));
        w.setEnabled(control.Enabled());
    });
}
