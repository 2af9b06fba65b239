#pragma once
#include "model/ConfigImage.h"
#include "ui/Form.h"
#include "ui/StringGrid.h"

// The image view: every byte of the image bit by bit and in decimal, one row a byte.
class TDbg : public TForm {
public:
    TDbg();
    TStringGrid SG{"SG"};
    int Left = 735;
    int Top = 0;
    // Fills the bit and value cells from the image.
    void RefillImageView(const ConfigImage& image);
};
