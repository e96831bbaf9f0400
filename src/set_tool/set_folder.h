#pragma once
// An update set as the launcher sees it in Nuovo: the edition's files under their names, the
// versions ORVHUpdate.cfg announces under both key schemes, and whatever else lies there.
#include "common/edition.h"
#include "set_tool/set_facts.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvh {
class FileSystem;
class OvFileIni;
} // namespace orvh

namespace orvh::set_tool {

struct SetFolder {
    std::wstring folder;
    Edition edition = Edition::Server;
    bool configurationPresent = false;
    std::vector<std::wstring> entries;           // every name in the folder
    std::map<SetRole, FileFacts> files;             // the edition's files present
    std::map<std::wstring, std::wstring> announced; // non-empty values of both schemes' keys, by key
    // The set's files still being written or not whole, by name: their content is not read.
    std::map<std::wstring, ArrivalVerdict> notArrived;

    std::wstring PathOf(std::wstring_view name) const { return folder + L"\\" + std::wstring(name); }
    std::wstring Announced(const std::wstring& key) const {
        const auto found = announced.find(key);
        return found == announced.end() ? L"" : found->second;
    }
};

// The facts of one file in its role; a file that cannot be read raises a PlatformError whose
// source is the file's path.
FileFacts ReadFile(const std::wstring& path, SetRole role, SetFileReader& reader);

// The edition of a set: the one asked for, else the one whose package or patch names are
// present, as the launcher knows its files by name; the server edition when nothing tells.
// A file the reader cannot read raises its PlatformError.
SetFolder ReadSetFolder(const std::wstring& folder, std::optional<Edition> edition, const FileSystem& fs,
                        const OvFileIni& ini, SetFileReader& reader);

} // namespace orvh::set_tool
