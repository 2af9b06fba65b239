#include "PortView.h"
#include "Bind.h"
#include "forms/UnitPort.h"
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

PortView::PortView(TFormPort& form, QWidget* parent)
    : FormWindow(form, QPoint(form.Left, form.Top), parent), Log(form), Memo(new QPlainTextEdit(this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(Memo);
    Memo->setObjectName(QString::fromStdString(Log.Memo1.Name));
    Memo->setReadOnly(true);
    // Packet lines are columns of bytes: a fixed-width face lines them up.
    Memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    Follow<PortView>(Log.Memo1, *this, [](PortView& view) {
        const auto& lines = view.Log.Memo1.Lines();
        for (; view.Shown < lines.size(); ++view.Shown)
            view.Memo->appendPlainText(QString::fromStdString(lines[view.Shown]));
    });
}
