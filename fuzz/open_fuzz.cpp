// Open with arbitrary bytes as the project file: the decoding into the editor must hold for
// any image, and for any file length. One window for every input; the file lives in memory,
// so an input costs no disk work.
#include "FuzzUi.h"
#include "app/UnitMain.h"
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int file = memfd_create("open-fuzz.usr", 0);
    static TFuzzUi ui;
    static TMain main(ui, "");
    if (file < 0 || ftruncate(file, 0) != 0 || pwrite(file, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    ui.FileName = "/proc/self/fd/" + std::to_string(file);
    main.Saved = true;
    main.TBOpenClick();
    // Edits after the decode go through the same rules.
    main.ApplyRules("ALL");
    return 0;
}
