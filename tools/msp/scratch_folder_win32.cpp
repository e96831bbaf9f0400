#include "scratch_folder_win32.h"

#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

namespace orvh::msp {

ScratchFolder::ScratchFolder(std::wstring path) : path_(std::move(path)) {
    if (!::CreateDirectoryW(path_.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        ThrowLastError(L"CreateDirectoryW");
    }
}

ScratchFolder::~ScratchFolder() {
    WIN32_FIND_DATAW found;
    UniqueFind find(::FindFirstFileW(File(L"*").c_str(), &found));
    if (find) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileW(File(found.cFileName).c_str());
        } while (::FindNextFileW(find.get(), &found));
    }
    find.reset();
    ::RemoveDirectoryW(path_.c_str());
}

} // namespace orvh::msp
