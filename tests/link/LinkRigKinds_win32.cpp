#include "LinkRig.h"

// No pseudo-terminals, no verda-sim process: the fake device alone.
std::vector<TRigKind> RigKinds() {
    return {FakeDeviceRig};
}
