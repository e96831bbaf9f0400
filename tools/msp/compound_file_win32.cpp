#include "compound_file_win32.h"

#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

#include <objbase.h>

namespace orvh::msp {
namespace {

void Check(HRESULT result, const wchar_t* call) {
    if (FAILED(result)) throw Win32Error(static_cast<DWORD>(result), call);
}

} // namespace

const CLSID kTransformStorageClass = {0x000C1082, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

void WriteCompoundFile(const std::wstring& path, const CLSID& storageClass, const std::vector<NamedStream>& streams) {
    IStorage* created = nullptr;
    Check(::StgCreateDocfile(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &created),
          L"StgCreateDocfile");
    const UniqueComInterface<IStorage> storage(created);
    Check(storage.get()->SetClass(storageClass), L"IStorage::SetClass");
    for (const auto& stream : streams) {
        IStream* opened = nullptr;
        Check(storage.get()->CreateStream(stream.name.c_str(), STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                          &opened),
              L"IStorage::CreateStream");
        const UniqueComInterface<IStream> owned(opened);
        ULONG written = 0;
        Check(opened->Write(stream.data.data(), static_cast<ULONG>(stream.data.size()), &written), L"IStream::Write");
        if (written != stream.data.size()) throw Win32Error(ERROR_WRITE_FAULT, L"IStream::Write");
    }
    Check(storage.get()->Commit(STGC_DEFAULT), L"IStorage::Commit");
}

} // namespace orvh::msp
