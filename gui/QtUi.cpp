#include "QtUi.h"
#include "FileFilter.h"
#include "FormDialog.h"
#include "app/ReadableCopy.h"
#include "project/FileUtil.h"
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

QtUi::~QtUi() {
    // Dialogs whose parent window is already gone were deleted with it.
    for (auto& [form, dialog] : Dialogs)
        delete dialog.data();
}

std::optional<TModalResult> QtUi::Box(TBoxKind kind, const std::string& caption, const std::string& text,
                                      TBoxButtons buttons) {
    // By TBoxKind: information, error, warning, plain.
    const QMessageBox::Icon icons[] = {QMessageBox::Information, QMessageBox::Critical, QMessageBox::Warning,
                                       QMessageBox::NoIcon};
    QMessageBox::StandardButtons shown = QMessageBox::Ok;
    if (buttons == TBoxButtons::OkCancel || buttons == TBoxButtons::OkCancelDefaultCancel)
        shown = QMessageBox::Ok | QMessageBox::Cancel;
    else if (buttons == TBoxButtons::YesNo)
        shown = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == TBoxButtons::YesNoCancel)
        shown = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox box(icons[static_cast<int>(kind)], QString::fromStdString(caption),
                    QString::fromStdString(text), shown, Parent);
    // A box with OK alone answers OK to the close box too.
    if (buttons == TBoxButtons::Ok)
        box.setEscapeButton(QMessageBox::Ok);
    if (buttons == TBoxButtons::OkCancelDefaultCancel)
        box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    if (!box.clickedButton())
        return std::nullopt;
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return TModalResult::Ok;
    case QMessageBox::Yes:
        return TModalResult::Yes;
    case QMessageBox::No:
        return TModalResult::No;
    default:
        return TModalResult::Cancel;
    }
}

bool QtUi::FileDialog(const TFileDialog& dialog, std::string& fileName, bool save) {
    QFileDialog files(Parent);
    files.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Neither dialog insists on an existing file nor asks before overwriting one.
    files.setFileMode(QFileDialog::AnyFile);
    files.setOption(QFileDialog::DontConfirmOverwrite);
    const QString filter = QtFileFilter(dialog.Filter);
    if (!filter.isEmpty())
        files.setNameFilter(filter);
    if (!dialog.FileName.empty())
        files.selectFile(QString::fromStdString(dialog.FileName));
    if (files.exec() != QDialog::Accepted || files.selectedFiles().isEmpty())
        return false;
    const std::string chosen = files.selectedFiles().constFirst().toStdString();
    // Only a name typed into the save dialog gets the default extension: Open takes
    // the file chosen, "Hall" as much as "Hall.usr".
    fileName = save ? WithDefaultExt(chosen, dialog.DefaultExt) : chosen;
    // As the dialogs of the controller's own platform do, the chosen file's folder becomes
    // the working folder, so the report lands beside the last project opened or saved.
    QDir::setCurrent(QFileInfo(QString::fromStdString(fileName)).absolutePath());
    return true;
}

TModalResult QtUi::ShowModal(TForm& form) {
    QPointer<QDialog>& dialog = Dialogs[&form];
    if (!dialog)
        dialog = new FormDialog(form, Parent);
    return form.RunModal([&dialog] { dialog->exec(); });
}

namespace {
#ifdef Q_OS_WIN
// Editors here read the file's Windows-1251 as it is.
QString FileToShow(const QString& original, std::string&) {
    return original;
}
#else
// A desktop editor here takes the Windows-1251 file for UTF-8: it gets a UTF-8 copy in the
// per-user runtime folder, where nobody can plant a link for it to follow. Empty when the file
// cannot be read; `copy` is set to the copy made.
QString FileToShow(const QString& original, std::string& copy) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const TFileResult written =
        TReadableCopy::Write(original.toStdString(), folder.toStdString(), false, copy);
    if (written)
        return QString::fromStdString(copy);
    // No copy to show: the original, garbled letters and all, is better than nothing.
    return written.Writing ? original : QString();
}
#endif
} // namespace

bool QtUi::OpenInTextEditor(const std::string& path) {
    // The previous copy has been read by its editor by now; one copy at a time is kept.
    if (!LastCopy.empty())
        RemoveFile(LastCopy);
    LastCopy.clear();
    const QString shown = FileToShow(QString::fromStdString(path), LastCopy);
    return !shown.isEmpty() &&
           QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(shown).absoluteFilePath()));
}

TBrowserAnswer QtUi::OfferInBrowser(const std::string& caption, const std::string& question,
                                    const std::string& path) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), QString::fromStdString(question),
                    QMessageBox::Yes | QMessageBox::No, Parent);
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() != QMessageBox::Yes)
        return TBrowserAnswer::Declined;
    const QString file = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file)) ? TBrowserAnswer::Opened
                                                                : TBrowserAnswer::NotStarted;
}
