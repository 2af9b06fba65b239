#include "MainView.h"
#include "QtUi.h"
#include "app/EditorArguments.h"
#include "app/UnitMain.h"
#include "base/StandardStreams.h"
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    OpenStandardStreams();
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
    const std::unique_ptr<TMain> main = ui.StartMain(arguments.CommandText);
    if (!main)
        return 1;
    MainView view(*main);
    ui.SetParentWindow(&view);
    view.show();
    app.exec();
    return 0;
}
