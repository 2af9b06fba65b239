#include "LinkRigPty.h"

std::vector<TRigKind> RigKinds() {
    return {FakeDeviceRig,
            {"PseudoTerminal", []() -> std::unique_ptr<LinkRig> { return std::make_unique<PtyLinkRig>(); }}};
}
