// Reading standard input on Windows (see StandardInput.h).
#include <windows.h>

#include "ui/load/StandardInput.h"

namespace lexaro {

qint64 ReadStandardInput(char* buffer, std::size_t room, bool& waiting) {
    waiting = false;
    qint64 got = -1;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD available = 0;
    DWORD n = 0;
    if (input == nullptr || input == INVALID_HANDLE_VALUE) {
        got = 0;  // started without one: an empty text
    } else if (GetFileType(input) == FILE_TYPE_PIPE &&
               !PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) {
        got = GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;  // the writer has closed it: the end
    } else if (GetFileType(input) == FILE_TYPE_PIPE && available == 0) {
        Sleep(kStandardInputPollMs);
        waiting = true;
        got = 0;
    } else if (ReadFile(input, buffer, static_cast<DWORD>(room), &n, nullptr)) {
        got = n;
    } else {
        got = GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return got;
}

}  // namespace lexaro
