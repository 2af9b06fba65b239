#include "MainView.h"
#include "ModalViews.h"
#include "QtUi.h"
#include "app/UnitMain.h"
#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <exception>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    // The command text: everything that follows the program name, taken before Qt removes
    // its own options, so "-style fusion -debug" is no debug switch.
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            commandLine += ' ';
        commandLine += argv[i];
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
        main = std::make_unique<TMain>(ui, commandLine);
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
