#include "MainView.h"
#include "ModalViews.h"
#include "QtUi.h"
#include "app/EditorArguments.h"
#include "app/UnitMain.h"
#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // Read before Qt takes its own options out, so "-style fusion -debug" is no debug switch.
    // --version and --help need no display: they are answered before Qt starts.
    const TEditorArguments arguments =
        TEditorArguments::Read(std::vector<std::string>(argv + 1, argv + argc));
    if (arguments.Answer != TEditorArguments::TAnswer::None) {
        std::fputs(arguments.AnswerText().c_str(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }

    QApplication app(argc, argv);
    // The editor speaks Russian; so should the buttons of Qt's own boxes and dialogs.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);

    QtUi ui;
    std::unique_ptr<TMain> main;
    std::unique_ptr<MainView> view;
    try {
        main = std::make_unique<TMain>(ui, arguments.CommandText);
        view = std::make_unique<MainView>(*main);
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QString::fromStdString(TMain::CaptionBase),
                              QString::fromLocal8Bit(error.what()));
        return 1;
    }
    ui.SetParentWindow(view.get());
    RegisterModalViews(ui, *main);
    view->show();
    app.exec();
    return 0;
}
