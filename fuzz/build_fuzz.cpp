#include "BuildCommand.h"
#include "ConfigText.h"
#include "JsonReader.h"
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
bool Build(const std::string& json, ConfigImage& image) {
    TJson document;
    TConfiguration config;
    std::string error;
    if (!ParseJson(json, document, error) || !ConfigurationFromJson(document, config, error))
        return false;
    image = EncodeConfiguration(config);
    return true;
}
} // namespace

// Arbitrary bytes twice: as a configuration in JSON, whose image must survive show --json and
// build unchanged, and as an image (zero-filled), which show --json and build must give back
// byte for byte.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ConfigImage first, again;
    if (Build(bytes, first) &&
        (!Build(ShowJson(DecodeConfiguration(first, nullptr)), again) || again != first))
        std::abort();

    ConfigImage image;
    std::copy_n(data, std::min(size, Layout::ImageSize), image.Data());
    std::vector<std::string> lengths(72, "7");
    lengths[0] = "abc";
    lengths[1] = "";
    if (!Build(ShowJson(DecodeConfiguration(image, &lengths)), again) || again != image)
        std::abort();
    return 0;
}
