#include "link/TransferResult.h"
#include <algorithm>

using namespace LinkProtocol;

void TTransferResult::Moved(uint16_t address) {
    ++FMoves[address / BlockSize];
}

std::vector<uint16_t> TTransferResult::Blocks(bool (*pick)(int moves)) const {
    std::vector<uint16_t> addresses;
    for (size_t block = 0; block < FMoves.size(); ++block)
        if (pick(FMoves[block]))
            addresses.push_back(static_cast<uint16_t>(block * BlockSize));
    return addresses;
}

std::vector<uint16_t> TTransferResult::Missing() const {
    return Blocks([](int moves) { return moves == 0; });
}

bool TTransferResult::Complete() const {
    return std::all_of(FMoves.begin(), FMoves.end(), [](int moves) { return moves == 1; });
}

std::vector<uint16_t> TTransferResult::MovedBlocks() const {
    return Blocks([](int moves) { return moves > 0; });
}

void TTransferResult::Differs(uint16_t address) {
    if (std::find(CompareFailures.begin(), CompareFailures.end(), address) == CompareFailures.end())
        CompareFailures.push_back(address);
}

std::string TTransferResult::Verdict() const {
    const bool read = Mode == ModeRead;
    if (Mode == ModeProbe || Outcome == TLinkOutcome::Done || Outcome == TLinkOutcome::Running)
        return {};
    if (Outcome == TLinkOutcome::Compare)
        return "Запись завершена, но контроллер хранит иначе блоки " + BlockList(CompareFailures) + ".";
    std::string text;
    switch (Outcome) {
    case TLinkOutcome::NoReply:
        text = "Нет ответа от контроллера";
        break;
    case TLinkOutcome::PortLost:
        text = "Нет подключения";
        break;
    case TLinkOutcome::Checksum:
        text = "Неверная контрольная сумма в ответах контроллера для блока " + Hex4(Unconfirmed.value_or(0)) +
               ".";
        break;
    case TLinkOutcome::Noise:
        if (OutOfTime)
            text = std::string(Noisy ? "Линия с помехами: передача" : "Передача") +
                   " не уложилась в отведённое время.";
        else
            text = "Линия с помехами: блок " + Hex4(Unconfirmed.value_or(0)) + " не удалось передать.";
        break;
    default:
        if (BadAddress)
            text = "Контроллер ответил блоком с недопустимым адресом " + Hex4(*BadAddress) + ".";
        else if (ReadingBack || read)
            text = "Контроллер не передал " +
                   (ReadingBack ? "блок " + Hex4(Unconfirmed.value_or(0)) : "блоки " + BlockList(Missing())) +
                   ".";
        else
            text = "Контроллер не подтвердил запись блоков " + BlockList(Missing()) + ".";
        break;
    }
    if (read)
        return text + "\nЧтение не завершено. Конфигурация не изменена.";
    if (ReadingBack)
        return text + "\nВсе блоки записаны, но проверка чтением не завершена.";
    text += "\nЗапись не завершена. Контроллер может хранить частично записанную конфигурацию.";
    const auto written = MovedBlocks();
    text += written.empty() ? " Ни один блок не подтверждён." : " Записаны блоки " + BlockList(written) + ".";
    if (Unconfirmed && Moves()[*Unconfirmed / BlockSize] == 0)
        text += " Блок " + Hex4(*Unconfirmed) + " мог быть записан.";
    return text;
}

std::string TTransferResult::Status() const {
    const bool whole = Outcome == TLinkOutcome::Done || Outcome == TLinkOutcome::Compare;
    if (Mode == ModeRead)
        return Outcome == TLinkOutcome::Done ? "Чтение завершено" : "Чтение не завершено";
    if (!whole)
        return "Запись не завершена";
    return Outcome == TLinkOutcome::Done && ReadingBack ? "Запись завершена, конфигурация проверена"
                                                        : "Запись завершена";
}

std::string TTransferResult::NoiseNote() const {
    return Noisy ? "Линия с помехами: " + std::to_string(Resent) + " ответов повторено" : std::string();
}

std::string TTransferResult::BlockList(std::vector<uint16_t> addresses) {
    std::sort(addresses.begin(), addresses.end());
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    std::string list;
    for (size_t first = 0; first < addresses.size();) {
        size_t last = first;
        while (last + 1 < addresses.size() && addresses[last + 1] == addresses[last] + BlockSize)
            ++last;
        list += (list.empty() ? "" : ", ") + Hex4(addresses[first]);
        if (last != first)
            list += "-" + Hex4(addresses[last]);
        first = last + 1;
    }
    return list;
}
