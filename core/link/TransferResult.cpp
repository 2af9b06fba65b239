#include "link/TransferResult.h"
#include <algorithm>

void TTransferResult::Moved(uint16_t address) {
    ++FMoves[address / LinkProtocol::BlockSize];
}

std::vector<uint16_t> TTransferResult::Blocks(bool (*pick)(int moves)) const {
    std::vector<uint16_t> addresses;
    for (size_t block = 0; block < FMoves.size(); ++block)
        if (pick(FMoves[block]))
            addresses.push_back(static_cast<uint16_t>(block * LinkProtocol::BlockSize));
    return addresses;
}

std::vector<uint16_t> TTransferResult::Missing() const {
    return Blocks([](int moves) { return moves == 0; });
}

std::vector<uint16_t> TTransferResult::Repeated() const {
    return Blocks([](int moves) { return moves > 1; });
}

bool TTransferResult::Complete() const {
    return std::all_of(FMoves.begin(), FMoves.end(), [](int moves) { return moves == 1; });
}

std::string TTransferResult::BlockList(std::vector<uint16_t> addresses) {
    std::sort(addresses.begin(), addresses.end());
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    std::string list;
    for (size_t first = 0; first < addresses.size();) {
        size_t last = first;
        while (last + 1 < addresses.size() &&
               addresses[last + 1] == addresses[last] + LinkProtocol::BlockSize)
            ++last;
        list += (list.empty() ? "" : ", ") + LinkProtocol::Hex4(addresses[first]);
        if (last != first)
            list += "-" + LinkProtocol::Hex4(addresses[last]);
        first = last + 1;
    }
    return list;
}
