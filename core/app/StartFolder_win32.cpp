#include "app/StartFolder.h"
#include "base/WideText.h"
#include <shlobj.h>
#include <windows.h>

// The user's Documents, wherever the profile keeps it (also moved to another drive).
std::string TStartFolder::Documents() {
    wchar_t path[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path) !=
        S_OK)
        return {};
    return Utf8Text(path);
}
