#pragma once
#include <string>

// The name DIR/comN under which the editor finds the simulator's device.
class TSimLink {
public:
    TSimLink() = default;
    TSimLink(const TSimLink&) = delete;
    TSimLink& operator=(const TSimLink&) = delete;
    ~TSimLink() { Remove(); }

    // Points `path` at `device`, replacing an earlier link; refuses to replace anything else.
    bool Create(const std::string& path, const std::string& device, std::string& error);
    // Removes the link if it still points at our device (a newer simulator may have taken the name).
    void Remove();

private:
    std::string Path;
    std::string Device;
};
