#pragma once
// OvResDll: access to the resources of one resource module, bound at creation to the
// program's own executable file. Texts come from the running program's string table;
// data, pictures and sounds from the bound module. Reading a resource never interrupts
// the caller: a failure leaves its error in the current error record.
#include "resources/resource_names.h"
#include "resources/string_table.h"
#include "system/unique_handles_win32.h"

#include <oaidl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvh {

class OvResDll final : public StringTable {
public:
    OvResDll();

    // Rebinds the object to the module at `path`. The previous module is freed first; when
    // the new one cannot be loaded, error 48 is recorded and DllName() becomes empty.
    void DllName(const std::wstring& path);
    const std::wstring& DllName() const { return dllName_; }

    std::wstring LoadDllString(std::int32_t index) const override;

    HMODULE ModuleHandle() const { return module_.get(); }

    // The bytes of resource `index` of type `resFormat` (a type name, or "#" and a number);
    // empty when there is none (error 326 recorded) or it holds no bytes.
    std::vector<std::uint8_t> LoadDllData(std::int32_t index, const std::wstring& resFormat = {}) const;
    // LoadDllData's bytes read as text in the system's ANSI code page.
    std::wstring LoadDllText(std::int16_t index, const std::wstring& resFormat = {}) const;
    // Writes the resource's bytes to `target`. An existing target is kept (result 0) or,
    // with `overwrite`, deleted first. Returns the number of the error that ended it
    // (326 for a missing or empty resource, a Windows error code for the file), 0 on success.
    std::int32_t SaveDllData(std::int16_t index, const std::wstring& target, const std::wstring& resFormat,
                             bool overwrite) const;

    enum PictureKind : std::int32_t { kBitmapPicture = 0, kIconPicture = 1, kCursorPicture = 2 };
    // An OLE picture that owns the loaded bitmap, icon or cursor; none when the resource is
    // missing (error 326) or the picture cannot be made (error 481). An icon of `size` 0
    // has the system's default icon size, otherwise `size` pixels square.
    UniqueComInterface<IDispatch> LoadDllPicture(std::int32_t index, std::int32_t kind, std::int32_t size) const;
    UniqueComInterface<IDispatch> LoadDllIcon(std::int32_t index, std::int32_t size = 0) const {
        return LoadDllPicture(index, kIconPicture, size);
    }
    UniqueComInterface<IDispatch> LoadDllCursor(std::int32_t index) const {
        return LoadDllPicture(index, kCursorPicture, 0);
    }
    UniqueComInterface<IDispatch> LoadDllBitmap(std::int32_t index) const {
        return LoadDllPicture(index, kBitmapPicture, 0);
    }

    // Starts playing wave resource `index` in the background; false when it cannot.
    bool PlayWave(std::int32_t index) const;

    // The res-protocol address of the resource: "RES://" DllName "/" type "/" index.
    std::wstring GetDllURL(std::int16_t index, const std::wstring& resFormat = {}) const {
        return ResourceUrl(dllName_, index, resFormat);
    }

private:
    static bool IsArrayEmpty(const std::vector<std::uint8_t>& bytes) { return bytes.empty(); }

    UniqueModule module_;
    std::wstring dllName_;
};

// The full path of the running program's executable file.
std::wstring ProgramExecutablePath();

// A string of `module`'s string table, or nullopt when it has no such id.
std::optional<std::wstring> LoadModuleString(HMODULE module, std::int32_t index);

} // namespace orvh
