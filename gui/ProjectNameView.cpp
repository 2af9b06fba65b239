#include "ProjectNameView.h"
#include "Bind.h"
#include "forms/Project.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ProjectNameView::ProjectNameView(TFormProjectName& form, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      Name(new QLineEdit(this)) {
    if (parent)
        setFont(parent->font());
    Bind(form, *this);
    setFixedSize(form.Width, form.Height());

    auto* label = new QLabel(this);
    Bind(form.Label1, *label);
    label->setGeometry(12, 12, 209, 16);
    Bind(form.ProjectName, *Name);
    Name->setGeometry(12, 32, 209, 22);

    auto* ok = new QPushButton(this);
    Bind(form.OKBtn, *ok);
    ok->setGeometry(35, 84, 75, 25);
    ok->setDefault(true);
    auto* cancel = new QPushButton(this);
    Bind(form.CancelBtn, *cancel);
    cancel->setGeometry(123, 84, 75, 25);
}

void ProjectNameView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Name->setFocus();
    Name->selectAll();
}
