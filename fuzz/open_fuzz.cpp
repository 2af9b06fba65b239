// Open with arbitrary bytes as the project file: the decoding into the editor must hold for
// any image, and for any file length.
#include "FuzzUi.h"
#include "app/UnitMain.h"
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("open-fuzz-" + std::to_string(getpid()) + ".usr"))
            .string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    static TFuzzUi ui;
    static TMain main(ui, "");
    ui.FileName = path;
    main.Saved = true;
    main.TBOpenClick();
    // Edits after the decode go through the same rules.
    main.ApplyRules("ALL");
    return 0;
}
