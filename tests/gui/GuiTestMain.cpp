#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The views run on the offscreen platform at a fixed DPI, so sizes are the same everywhere.
// Two screens: a desktop one that holds the whole window, and a laptop's 1366 x 768 beside it.
int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString config = QDir(dir.path()).filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 2;
    file.write(R"({"screens": [
        {"name": "Desktop", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "Laptop", "x": 1920, "y": 0, "width": 1366, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
    ]})");
    file.close();
    // The editor's settings of the tests stay in the test's folder, not the user's.
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    qputenv("APPDATA", dir.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    qputenv("QT_FONT_DPI", "96");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
