#pragma once
// OvResDll: access to the resources of one resource module, bound at creation to the
// program's own executable file. Texts come from the running program's string table.
#include "resources/string_table.h"
#include "system/unique_handles.h"

#include <cstdint>
#include <optional>
#include <string>

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

private:
    UniqueModule module_;
    std::wstring dllName_;
};

// The full path of the running program's executable file.
std::wstring ProgramExecutablePath();

// A string of `module`'s string table, or nullopt when it has no such id.
std::optional<std::wstring> LoadModuleString(HMODULE module, std::int32_t index);

} // namespace orvh
