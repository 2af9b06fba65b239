#include "app/StartFolder.h"

// A desktop starts the editor in the user's home already; a shell, where the user stands.
std::string TStartFolder::Documents() {
    return {};
}
