#pragma once
#include "model/ConfigImage.h"
#include <array>
#include <string>

// One stage of an activation input as the image holds it.
struct TStageSettings {
    bool On = false;
    int Message = 0;      // 1 … 72; 0 none; above 72 no message the editor offers
    int Repeats = 0;      // plays; 0 = unlimited
    int PauseSeconds = 0; // 0, 5 … 35
    std::array<bool, 8> Zones{};
    std::array<bool, 16> Relays{}; // 2 x module + relay, K1 = 0
};
using TStages = std::array<TStageSettings, Layout::Stages>;

// What the installer calls the zones, the control modules and their relays.
inline std::string ZoneLabel(int zone) {
    return "Зона " + std::to_string(zone + 1);
}
inline std::string ModuleLabel(int module) {
    return "Модуль " + std::to_string(module + 1);
}
inline std::string RelayLabel(int relay) {
    return "K" + std::to_string(relay + 1);
}

// The stages of one input, read from the image.
TStages DecodeStages(const ConfigImage& image, int input);
