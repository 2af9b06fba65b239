#pragma once
#include "FormWindow.h"

class TDbg;

// The image view window "Dbg": the byte grid in a readable fixed-width font, header row and address
// column fixed while the bits scroll.
class DbgView : public FormWindow {
public:
    explicit DbgView(TDbg& form, QWidget* parent = nullptr);
};
