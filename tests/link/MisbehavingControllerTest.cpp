// Controllers and lines that misbehave, each through the editor with the fake device: what the
// user sees, that every operation ends with a verdict, and that a read which does not move every
// block leaves the project as it was.
#include "LinkRig.h"
#include "link/LinkProtocol.h"

namespace {
using namespace LinkProtocol;

enum class TAct {
    Read,
    Write,
    // A read that stalls after a few blocks, with Save pressed while it waits.
    ReadSavingMidway,
    // Connect to the fixed port 3, or search with ports 1 and 2 missing.
    FixedPort,
    Search,
    // "Выход" during a read of an unsaved project that stalled, then Cancel at the save question.
    ExitCancelMidRead,
};

// What the line does to the controller's answers (counted from 1: the probe is the first).
using TLine = std::function<std::string(uint64_t answer, const std::string& reply)>;
TLine OnAnswer(uint64_t which, std::function<std::string(const std::string&)> change) {
    return [which, change](uint64_t answer, const std::string& reply) {
        return answer == which ? change(reply) : reply;
    };
}
std::string SpoilChecksum(std::string reply) {
    reply.back() = static_cast<char>(~reply.back());
    return reply;
}

struct TMisbehaviour {
    const char* Meaning;
    std::vector<std::string> Faults;
    TAct Act;
    // Every box shown, in order.
    std::vector<std::string> Boxes;
    // The port the editor shows as connected; empty: shown as not connected.
    std::string Connected = "Подключено на COM 3";
    TLine Line = nullptr;
    size_t Notes = 0;
};

const std::string Connected = "Подключено на COM 3";
const std::string WriteQuestion = "Текущие настройки конфигурации контроллера будут изменены!\n\tПродолжить?";
const std::string ReadFailed = "\nЧтение не завершено. Конфигурация не изменена.";
const std::string WriteFailed =
    "\nЗапись не завершена. Контроллер может хранить частично записанную конфигурацию.";

// A single reply that names another block steers nothing: the block asked for is asked again.
const TMisbehaviour Rows[] = {
    {"reply for another block, read", {"--reply-address", "0100"}, TAct::Read, {Connected}},
    {"reply for another block, write", {"--reply-address", "0100"}, TAct::Write, {Connected, WriteQuestion}},
    {"07E0 first, read", {"--reply-address", "07E0"}, TAct::Read, {Connected}},
    {"unaligned 07D0 on every block, read",
     {"--fixed-reply-address", "07D0"},
     TAct::Read,
     {Connected, "Контроллер ответил блоком с недопустимым адресом 07D0." + ReadFailed}},
    {"same block for ever",
     {"--fixed-reply-address", "0100"},
     TAct::Read,
     {Connected, "Контроллер не передал блоки 0000-07E0." + ReadFailed}},
    // Broken answers are noise to the link: the status bar and a note say how many were asked again.
    {"short probe answer",
     {"--probe-length", "3"},
     TAct::FixedPort,
     {"Ошибка подключения !"},
     "",
     nullptr,
     1},
    {"stray bytes before a reply",
     {},
     TAct::Read,
     {Connected},
     Connected,
     OnAnswer(2, [](const std::string& reply) { return std::string(6, '\0') + reply; }),
     1},
    {"reply restarted",
     {},
     TAct::Write,
     {Connected, WriteQuestion},
     Connected,
     OnAnswer(3, [](const std::string& reply) { return reply.substr(0, 20) + reply; }),
     1},
    {"bad checksum once", {}, TAct::Read, {Connected}, Connected, OnAnswer(4, SpoilChecksum), 1},
    {"bad checksum on every block",
     {},
     TAct::Read,
     {Connected, "Неверная контрольная сумма в ответах контроллера для блока 0000." + ReadFailed},
     Connected,
     [](uint64_t answer, const std::string& reply) { return answer > 1 ? SpoilChecksum(reply) : reply; }},
    {"identical replies with a different checksum",
     {"--bad-crc"},
     TAct::Read,
     {Connected, "Неверная контрольная сумма в ответе контроллера на COM 3"},
     Connected,
     nullptr,
     1},
    // Each of the first blocks of a read is asked for twice.
    {"silence after three blocks, Save meanwhile",
     {"--stop-after", "7"},
     TAct::ReadSavingMidway,
     {Connected, "Нет ответа от контроллера" + ReadFailed}},
    {"hang-up during a write",
     {"--hangup-after", "5"},
     TAct::Write,
     {Connected, WriteQuestion,
      "Нет подключения" + WriteFailed + " Записаны блоки 0000-0060. Блок 0080 мог быть записан."},
     ""},
    {"fixed silent port", {"--silent"}, TAct::FixedPort, {"Нет ответа от контроллера на COM 3"}, ""},
    {"empty search", {"--silent"}, TAct::Search, {TConnection::NoController}, ""},
    {"exit and cancel during a read",
     {"--stop-after", "5"},
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
            ASSERT_TRUE(Rig.RunOut());
            break;
        case TAct::Write:
            Main().TBWriteClick();
            ASSERT_TRUE(Rig.RunOut());
            break;
        case TAct::ReadSavingMidway:
            Main().TBReadClick();
            ASSERT_TRUE(Rig.Pump([&] { return Main().ProgressBar.Position() == 96; }));
            Rig.Ui.FileAnswers.push_back(Rig.Dir.File("midway.usr"));
            ASSERT_EQ(Main().Save(), TMain::TSaveResult::Saved);
            Caption = Main().Caption(); // names the file saved
            ASSERT_TRUE(Rig.RunOut());
            break;
        case TAct::FixedPort:
            Rig.Ui.FormScripts.push_back([](TForm& form) {
                auto& dialog = static_cast<TSetComPort&>(form);
                dialog.CheckBox1.Click();
                dialog.SelectPort(LinkRig::Port);
                dialog.Button1.Click();
                return dialog.ModalResult;
            });
            Main().TBFind.Click();
            ASSERT_TRUE(Rig.RunOut());
            break;
        case TAct::Search:
            // Ports 1 and 2 do not exist and cost nothing; port 3 is silent for one tick.
            Rig.Ui.FormScripts.push_back([](TForm& form) {
                static_cast<TSetComPort&>(form).Button1.Click();
                return form.ModalResult;
            });
            Main().TBFind.Click();
            ASSERT_EQ(Main().Connection.PortNumber(), 3);
            ASSERT_TRUE(Main().Connection.SearchTimer.Running());
            Main().Connection.SearchTimer.Tick();
            break;
        case TAct::ExitCancelMidRead:
            Main().TBReadClick();
            ASSERT_TRUE(Rig.Pump([&] { return Main().ProgressBar.Position() == 64; }));
            Rig.Ui.BoxAnswers.push_back(TModalResult::Cancel);
            Main().ToolButton1.Click();
            break;
        }
    }

    LinkRig Rig;
    // The window's caption before the act.
    std::string Caption;
};

TEST_P(MisbehavingController, EndsWithAVerdictAndKeepsTheProject) {
    const TMisbehaviour& row = GetParam();
    const TImage memory = PatternImage(1);
    Rig.Start(memory, row.Faults);
    Rig.Line = row.Line;
    const bool probing = row.Act == TAct::FixedPort || row.Act == TAct::Search;
    if (!probing)
        Rig.Connect();
    // The project as it was before: a pattern of its own, saved or not.
    const TImage project = PatternImage(2);
    std::copy(project.begin(), project.end(), Main().Image.Data());
    const bool saved = row.Act != TAct::ExitCancelMidRead;
    Main().Saved = saved;
    Main().UpdateCaption();
    Caption = Main().Caption();
    Act(row.Act);

    // The pattern a complete read brings is no configuration: a box names its errors too.
    std::vector<std::string> boxes = Rig.Ui.Texts();
    std::erase(boxes, Main().Check.OpenText());
    EXPECT_EQ(boxes, row.Boxes);
    EXPECT_EQ(Rig.Ui.Notes.size(), row.Notes);
    // What the line did stands in the status bar as well.
    for (const std::string& note : Rig.Ui.Notes)
        if (note.rfind("Линия с помехами: ", 0) == 0) {
            EXPECT_EQ(Main().StatusBar1.PanelText(TConnectionControls::NoisePanel), note);
        }
    EXPECT_EQ(Main().Connection.LinkMode(), ModeIdle);
    EXPECT_FALSE(Main().PanelScan.Visible());
    EXPECT_LE(Main().ProgressBar.Position(), Main().ProgressBar.Max);
    const bool connected = !row.Connected.empty();
    EXPECT_EQ(Main().StatusBar1.PanelText(0), connected ? row.Connected : TConnectionControls::NotConnected);
    EXPECT_EQ(Main().TBRead.Enabled(), connected);
    EXPECT_EQ(Main().TBFind.Down(), connected || row.Boxes.back() == "Ошибка подключения !");
    const bool done = Main().Connection.Link.Result.Outcome == TLinkOutcome::Done;
    if (row.Act == TAct::Read || row.Act == TAct::Write) {
        const char* status[2][2] = {{"Запись не завершена", "Запись завершена, конфигурация проверена"},
                                    {"Чтение не завершено", "Чтение завершено"}};
        EXPECT_EQ(Main().StatusBar1.PanelText(1), status[row.Act == TAct::Read][done]);
    }
    if (row.Act == TAct::Write && done) {
        EXPECT_EQ(Rig.Memory(), project);
    }
    if (row.Act == TAct::Read || row.Act == TAct::ReadSavingMidway || row.Act == TAct::ExitCancelMidRead) {
        // A complete read shows the controller's configuration, an incomplete one keeps the project.
        if (done) {
            EXPECT_TRUE(std::equal(memory.begin() + 0x0700, memory.end(), Rig.Image().begin() + 0x0700));
            EXPECT_FALSE(Main().Saved);
            EXPECT_EQ(Main().Caption(), "Конфигурация -  *");
        } else {
            EXPECT_EQ(Rig.Image(), project);
            EXPECT_EQ(Main().Saved, saved);
            EXPECT_EQ(Main().Caption(), Caption);
        }
    }
    if (row.Act == TAct::ReadSavingMidway) {
        EXPECT_EQ(TempDir::Read(Rig.Dir.File("midway.usr")), std::string(project.begin(), project.end()))
            << "a read under way is not saved half-read";
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
