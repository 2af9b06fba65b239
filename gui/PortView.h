#pragma once
#include "FormWindow.h"

class TFormPort;
class QPlainTextEdit;

// The traffic log window "Port": its memo, read-only, growing line by line.
class PortView : public FormWindow {
public:
    explicit PortView(TFormPort& form, QWidget* parent = nullptr);

private:
    TFormPort& Log;
    QPlainTextEdit* Memo;
    // Memo lines already in the widget: only the new ones are appended.
    size_t Shown = 0;
};
