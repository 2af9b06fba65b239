#pragma once
// The rig with the real verda-sim on a pseudo-terminal as the controller: POSIX only.
#include "LinkRig.h"
#include "support/VerdaSimProcess.h"
#include <cstdlib>

class PtyLinkRig : public LinkRig {
public:
    ~PtyLinkRig() override {
        Main.reset(); // closes the port before verda-sim goes
        unsetenv("VAROKCONFIG_PORTS");
    }

    // What verda-sim saves when stopped.
    TImage Memory() override {
        TImage memory{};
        EXPECT_EQ(Sim.Finish(SIGTERM), 0);
        const std::string saved = TempDir::Read(Dir.File("saved.usr"));
        EXPECT_EQ(saved.size(), memory.size());
        std::copy_n(saved.begin(), std::min(saved.size(), memory.size()), memory.begin());
        return memory;
    }

protected:
    void StartController(const TImage& memory, std::vector<std::string> args) override {
        TempDir::Write(Dir.File("memory.usr"), std::string(memory.begin(), memory.end()));
        args.insert(args.end(), {"--image", Dir.File("memory.usr"), "--save", Dir.File("saved.usr")});
        ASSERT_FALSE(StartVerdaSim(Sim, args).empty());
        setenv("VAROKCONFIG_PORTS", Dir.Path.c_str(), 1);
    }

private:
    TChildProcess Sim;
};
