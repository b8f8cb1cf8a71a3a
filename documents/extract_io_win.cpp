// SPDX-License-Identifier: GPL-2.0-or-later
// lexaro-extract's command line, input and output on Windows (see extract_io.h).
#include <windows.h>
// (shellapi.h needs windows.h first)
#include <shellapi.h>

#include <cstdlib>
#include <exception>

#include "documents/extract_io.h"

namespace lexaro::documents {

namespace {

std::wstring Wide(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 1)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
    wide.pop_back();
    return wide;
}

}  // namespace

// From UTF-16 to UTF-8.
std::vector<std::string> Arguments(int /*argc*/, char** /*argv*/) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide != nullptr && i < count; ++i) {
        const int length =
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(static_cast<std::size_t>(std::max(length, 1)), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), length, nullptr, nullptr);
        argument.pop_back();  // the terminating NUL
        arguments.push_back(std::move(argument));
    }
    LocalFree(wide);
    return arguments;
}

ExtractExit ReadFile(const std::string& path, std::string& bytes) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return ExtractExit::Unreadable;
    }
    LARGE_INTEGER size{};
    ExtractExit status = ExtractExit::Ok;
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
        status = ExtractExit::Unreadable;
    } else if (static_cast<unsigned long long>(size.QuadPart) > kMaxTextFileBytes) {
        status = ExtractExit::TooLarge;
    } else {
        status = ReadUpToLimit(static_cast<std::size_t>(size.QuadPart), bytes,
                               [file](char* buffer, std::size_t room) -> long long {
                                   DWORD got = 0;
                                   const auto want =
                                       static_cast<DWORD>(std::min<std::size_t>(room, 1U << 30));
                                   return ::ReadFile(file, buffer, want, &got, nullptr) ? got : -1;
                               });
    }
    CloseHandle(file);
    return status;
}

bool WriteAll(std::string_view text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    while (!text.empty()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1U << 20));
        if (!WriteFile(out, text.data(), chunk, &wrote, nullptr) || wrote == 0) {
            return false;
        }
        text.remove_prefix(wrote);
    }
    return true;
}

// A crash or an abort must end the helper with a code the window reads as a damaged document,
// at once: not with abort()'s 3 (Unreadable), and not behind an error box nobody will see.
void QuietFailures() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::set_terminate([] { std::_Exit(static_cast<int>(ExtractExit::Damaged)); });
}

}  // namespace lexaro::documents
