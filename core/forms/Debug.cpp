#include "forms/Debug.h"
#include <cstdio>

TDbg::TDbg() : TForm("Dbg") {
    SetCaption("Dbg");
    Width = 288;
    SetHeight(593);
    SG.SetSize(10, static_cast<int>(Layout::ImageSize) + 1);
    SG.ColWidths = {30, 24, 24, 24, 24, 24, 24, 24, 24, 28};
    SG.RowHeight = 16;
    for (int c = 1; c <= 8; ++c)
        SG.PutCell(c, 0, std::to_string(8 - c));
    char address[8];
    for (int row = 1; row <= static_cast<int>(Layout::ImageSize); ++row) {
        std::snprintf(address, sizeof address, "%04X", row - 1);
        SG.PutCell(0, row, address);
    }
}

void TDbg::RefillImageView(const ConfigImage& image) {
    for (size_t i = 0; i < Layout::ImageSize; ++i) {
        const int row = static_cast<int>(i) + 1;
        const uint8_t byte = image[i];
        for (int c = 1; c <= 8; ++c)
            SG.PutCell(c, row, (byte >> (8 - c)) & 1 ? "1" : "0");
        SG.PutCell(9, row, std::to_string(byte));
    }
    SG.Refreshed();
}
