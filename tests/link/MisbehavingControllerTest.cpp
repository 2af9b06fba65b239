// Controllers that misbehave, each through the editor with the fake device: what the user
// sees, and that a read which does not move every block leaves the project as it was.
#include "LinkRig.h"
#include "link/LinkProtocol.h"

namespace {
using namespace LinkProtocol;

enum class TAct {
    Read,
    Write,
    // The probe answer stays short; the timer's next tick judges it.
    ShortProbe,
    // The search has moved past the port that answers when its reply comes.
    LateProbe,
    // "Выход" during a read of an unsaved project that stalled, then Cancel at the save question.
    ExitCancelMidRead,
};

struct TMisbehaviour {
    const char* Meaning;
    std::vector<std::string> Faults;
    TAct Act;
    // Every box shown, in order.
    std::vector<std::string> Boxes;
    // The port the editor shows as connected; empty: shown as not connected.
    std::string Connected = "Подключено на COM 3";
};

const std::string Connected = "Подключено на COM 3";
const std::string WriteQuestion = "Текущие настройки конфигурации контроллера будут изменены!\n\tПродолжить?";
const std::string Compare = "Compare Erorr !!!";

const TMisbehaviour Rows[] = {
    {"reply for another block, read",
     {"--reply-address", "0100"},
     TAct::Read,
     {Connected, "Чтение не завершено. Контроллер не передал блоки 0000-0100. Конфигурация не изменена."}},
    {"reply for another block, write",
     {"--reply-address", "0100"},
     TAct::Write,
     {Connected, WriteQuestion, Compare,
      "Запись не завершена. Контроллер не подтвердил запись блоков 0000-0100. Контроллер может хранить "
      "частично "
      "записанную конфигурацию."}},
    {"07E0 first, read",
     {"--reply-address", "07E0"},
     TAct::Read,
     {Connected, "Чтение не завершено. Контроллер не передал блоки 0000-07E0. Конфигурация не изменена."}},
    {"07E0 first, write",
     {"--reply-address", "07E0"},
     TAct::Write,
     {Connected, WriteQuestion, Compare,
      "Запись не завершена. Контроллер не подтвердил запись блоков 0000-07E0. Контроллер может хранить "
      "частично "
      "записанную конфигурацию."}},
    {"unaligned 07D0, read",
     {"--reply-address", "07D0"},
     TAct::Read,
     {Connected, "Контроллер ответил блоком с недопустимым адресом 07D0. Операция прервана."}},
    {"unaligned 07D0, write",
     {"--reply-address", "07D0"},
     TAct::Write,
     {Connected, WriteQuestion, "Контроллер ответил блоком с недопустимым адресом 07D0. Операция прервана."}},
    {"same block for ever",
     {"--fixed-reply-address", "0100"},
     TAct::Read,
     {Connected, "Контроллер не закончил передачу за 128 ответов. Операция прервана."}},
    {"short probe answer", {"--probe-length", "3"}, TAct::ShortProbe, {"Ошибка подключения !"}, ""},
    {"late probe reply", {}, TAct::LateProbe, {Connected}},
    {"bad checksum",
     {"--bad-crc"},
     TAct::Read,
     {Connected, "Неверная контрольная сумма в ответе контроллера на COM 3",
      "Неверная контрольная сумма в ответах контроллера для блоков 0000-07E0. Данные использованы."}},
    {"exit and cancel during a read",
     {"--stop-after", "3"},
     TAct::ExitCancelMidRead,
     {Connected, "Текущий проект конфигурации будет изменен!\n\tПродолжить?",
      "Хотите сохранить текущий проект конфигурации ?"},
     ""},
};

class MisbehavingController : public ::testing::TestWithParam<TMisbehaviour> {
protected:
    TMain& Main() { return *Rig.Main; }
    void Act(TAct act) {
        switch (act) {
        case TAct::Read:
            Main().TBReadClick();
            ASSERT_TRUE(Rig.Transfer());
            break;
        case TAct::Write:
            Main().TBWriteClick();
            ASSERT_TRUE(Rig.Transfer());
            break;
        case TAct::ShortProbe:
            Rig.Ui.FormScripts.push_back(FixedPort);
            Main().TBFind.Click();
            ASSERT_TRUE(Rig.Pump([&] { return Main().ReplyCount == 3; }));
            Main().Timer.Tick();
            break;
        case TAct::LateProbe:
            // Ports 1 and 2 fail the port test; the probe goes to port 3 and is answered only
            // after the search has moved on to port 4, which fails the test too.
            Rig.Ui.FormScripts.push_back([](TForm& form) {
                static_cast<TSetComPort&>(form).Button1.Click();
                return form.ModalResult;
            });
            Main().TBFind.Click();
            for (int tick = 0; tick < 3; ++tick)
                Main().Timer.Tick();
            ASSERT_EQ(Main().PortNumber, 4);
            ASSERT_TRUE(Rig.Pump([&] { return Main().LinkMode == ModeIdle; }));
            break;
        case TAct::ExitCancelMidRead:
            Main().TBReadClick();
            ASSERT_TRUE(Rig.Pump([&] { return Main().ProgressBar.Position() == 64; }));
            Rig.Ui.BoxAnswers.push_back(TModalResult::Cancel);
            Main().ToolButton1.Click();
            break;
        }
    }
    static TModalResult FixedPort(TForm& form) {
        auto& dialog = static_cast<TSetComPort&>(form);
        dialog.CheckBox1.Click();
        dialog.ComboBoxPort.Select(LinkRig::Port - 1);
        dialog.Button1.Click();
        return dialog.ModalResult;
    }

    LinkRig Rig;
};

TEST_P(MisbehavingController, TellsTheUserAndKeepsTheProject) {
    const TMisbehaviour& row = GetParam();
    const TImage memory = PatternImage(1);
    Rig.Start(memory, row.Faults);
    const bool probing = row.Act == TAct::ShortProbe || row.Act == TAct::LateProbe;
    if (!probing)
        Rig.Connect();
    // The project as it was before: a pattern of its own, saved or not.
    const TImage project = PatternImage(2);
    std::copy(project.begin(), project.end(), Main().Image.Data());
    const bool saved = row.Act != TAct::ExitCancelMidRead;
    Main().Saved = saved;
    Main().UpdateCaption();
    const std::string caption = Main().Caption();
    Act(row.Act);

    EXPECT_EQ(Rig.Ui.Texts(), row.Boxes);
    EXPECT_EQ(Main().LinkMode, ModeIdle);
    EXPECT_FALSE(Main().PanelScan.Visible());
    EXPECT_LE(Main().ProgressBar.Position(), Main().ProgressBar.Max);
    const bool connected = !row.Connected.empty();
    EXPECT_EQ(Main().StatusBar1.PanelText(0), connected ? row.Connected : TMain::NotConnected);
    EXPECT_EQ(Main().TBRead.Enabled(), connected);
    EXPECT_EQ(Main().TBFind.Down(), row.Act != TAct::ExitCancelMidRead);
    if (row.Act == TAct::Read || row.Act == TAct::ExitCancelMidRead) {
        // A complete read shows the controller's configuration, an incomplete one keeps the project.
        if (Main().Transfer.Complete()) {
            EXPECT_TRUE(std::equal(memory.begin() + 0x0700, memory.end(), Rig.Image().begin() + 0x0700));
            EXPECT_FALSE(Main().Saved);
            EXPECT_EQ(Main().Caption(), "Конфигурация -  *");
        } else {
            EXPECT_EQ(Rig.Image(), project);
            EXPECT_EQ(Main().Saved, saved);
            EXPECT_EQ(Main().Caption(), caption);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, MisbehavingController, ::testing::ValuesIn(Rows),
                         [](const ::testing::TestParamInfo<TMisbehaviour>& info) {
                             std::string name;
                             for (const char* c = info.param.Meaning; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

} // namespace
