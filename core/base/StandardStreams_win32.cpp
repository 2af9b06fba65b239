#include "base/StandardStreams.h"
#include <fcntl.h>
#include <io.h>
#include <windows.h>

// The serial port is a handle, never a C descriptor, so it cannot take a stream's number; the C
// streams still get the null device so that writing to them fails cleanly.
void OpenStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (_get_osfhandle(fd) != -1)
            continue;
        const int opened = _open("NUL", fd == 0 ? _O_WRONLY : _O_RDONLY);
        if (opened >= 0 && opened != fd) {
            _dup2(opened, fd);
            _close(opened);
        }
    }
}
