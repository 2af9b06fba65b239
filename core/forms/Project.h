#pragma once
#include "ui/Button.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/StaticText.h"

// The new-project dialog: one name field. Created once, so it keeps its last text.
class TFormProjectName : public TForm {
public:
    TFormProjectName() : TForm("FormProjectName") {
        SetCaption("Создание проета");
        Width = 233;
        SetHeight(125);
        OKBtn.SetCaption("OK");
        OKBtn.OnClick = [this](TButton&) { Close(TModalResult::Ok); };
        CancelBtn.SetCaption("Cancel");
        CancelBtn.OnClick = [this](TButton&) { Close(TModalResult::Cancel); };
    }
    TStaticText Label1{"Label1", "Задайте имя нового проекта"};
    TEdit ProjectName{"ProjectName"};
    TButton OKBtn{"OKBtn"};
    TButton CancelBtn{"CancelBtn"};

private:
    void Close(TModalResult result) {
        ModalResult = result;
        Hide();
    }
};
