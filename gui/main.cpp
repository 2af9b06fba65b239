#include "MainView.h"
#include "ModalViews.h"
#include "QtUi.h"
#include "app/UnitMain.h"
#include "base/Version.h"
#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

namespace {
const char* const Usage =
    "Usage: varokconfig [PROJECT.usr]\n"
    "  or:  varokconfig -debug\n"
    "  or:  varokconfig --version | --help\n"
    "The configuration editor of the VERDA voice-alarm controller: composition, the alarm inputs'\n"
    "stages, and the controller's configuration image, read and written over a serial line.\n"
    "\n"
    "Options:\n"
    "  PROJECT.usr            opens this project at start (the message lengths from PROJECT.ini)\n"
    "  -debug                 the whole command line: shows the debug button (the traffic log and\n"
    "                         the image view) and makes the identity fields editable\n"
    "  --version              prints the version and exits\n"
    "  --help                 prints this help and exits\n"
    "\n"
    "Environment:\n"
    "  VAROKCONFIG_PORTS      a folder: port N is its entry comN and nothing else\n"
    "\n"
    "The command-line tool varokconfig-cli runs the same core without a window.\n";

// --version and --help stand alone; they need no display, so they are answered before Qt starts.
bool AnswerInformationSwitch(int argc, char** argv) {
    if (argc != 2)
        return false;
    if (std::strcmp(argv[1], "--version") == 0)
        std::printf("%s\n", VersionLine("varokconfig").c_str());
    else if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)
        std::fputs(Usage, stdout);
    else
        return false;
    return true;
}
} // namespace

int main(int argc, char** argv) {
    if (AnswerInformationSwitch(argc, argv))
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
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
