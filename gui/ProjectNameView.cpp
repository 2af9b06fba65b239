#include "ProjectNameView.h"
#include "Bind.h"
#include "project/Project.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ProjectNameView::ProjectNameView(TFormProjectName& form, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      Name(new QLineEdit(this)) {
    if (parent)
        setFont(parent->font());
    Bind(static_cast<TForm&>(form), *this);
    setFixedSize(form.Width, form.Height());

    auto* label = new QLabel(this);
    Bind(form.Label1, *label);
    label->setGeometry(12, 12, 209, 16);
    Bind(form.ProjectName, *Name);
    Name->setGeometry(12, 32, 209, 22);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setGeometry(35, 84, 75, 25);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setGeometry(123, 84, 75, 25);

    // OK ends the form with its result; Cancel, Escape and the close box leave no result,
    // which the modal run takes as Cancel.
    connect(ok, &QPushButton::clicked, [&form] {
        form.ModalResult = TModalResult::Ok;
        form.Hide();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ProjectNameView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Name->setFocus();
    Name->selectAll();
}
