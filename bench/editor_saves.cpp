// The editor's Save, over and over, through the headless main window, until it is killed: the
// first message length and the last image byte change together at every save, so a pair on disk
// that disagrees is one that a killed save left mixed. bench/editor_save_kills.sh kills it.
#include "app/UnitMain.h"
#include "support/FakeUi.h"
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: editor_saves PROJECT.usr\n");
        return 2;
    }
    const std::string project = argv[1];
    FakeUi ui;
    TMain main(ui, "");
    for (unsigned save = 0;; ++save) {
        const unsigned mark = 0x11 * (1 + save % 2);
        main.Image.Data()[2047] = static_cast<uint8_t>(mark);
        main.Algorithms.LenMes.SetValue(1, std::to_string(mark));
        ui.FileAnswers = {project};
        main.Saved = false;
        main.TBSaveClick();
        if (!main.Saved) {
            std::fprintf(stderr, "save %u failed: %s\n", save, ui.Boxes.empty() ? "" : ui.Boxes.back().Text.c_str());
            return 1;
        }
        if (save == 0)
            std::puts("saving");
        std::fflush(stdout);
    }
}
