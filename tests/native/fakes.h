#pragma once
// In-memory fakes of the file system, of INI files, of Windows Installer and of locale conversions (C-form numbers
// with a chosen decimal separator, dates written "day <number>"), recording what was done.
#include "ini/profile_functions.h"
#include "installer/installer_engine.h"
#include "system/file_system.h"
#include "system/folder_access.h"
#include "system/folder_identity.h"
#include "system/locale_conversions.h"
#include "system/platform_error.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <map>
#include <set>
#include <vector>

namespace orvh::test {

// Case-blind names; a copy needs the source and the destination's folder and refuses a
// read-only destination. Changes are logged in order, existence tests of files too.

class FakeFileSystem final : public FileSystem {
public:
    struct File {
        std::string content;
        bool readOnly = false;
    };

    void AddFolder(const std::wstring& path) { folders_.insert(Key(path)); }
    // A link at `path` (a folder the listing shows) that leads to `target`.
    void AddLink(const std::wstring& path, const std::wstring& target) {
        folders_.insert(Key(path));
        links[Key(path)] = target;
    }
    void AddFile(const std::wstring& path, std::string content = "", bool readOnly = false) {
        files[Key(path)] = {std::move(content), readOnly};
    }
    // The content of a file, or "-" when there is none.
    std::string Content(const std::wstring& path) const {
        return files.count(Key(path)) ? files.at(Key(path)).content : "-";
    }

    bool FileExists(const std::wstring& path) const override {
        examined.push_back(path);
        return files.count(Key(path)) != 0;
    }
    bool FolderExists(const std::wstring& path) const override { return folders_.count(Key(path)) != 0; }
    void CreateFolder(const std::wstring& path) override {
        Refuse(!FolderExists(Parent(path)) || FolderExists(path) || files.count(Key(path)), 183);
        folders_.insert(Key(path));
        log.push_back(L"mkdir " + path);
    }
    void CopyFile(const std::wstring& source, const std::wstring& destination) override {
        Refuse(!files.count(Key(source)) || !FolderExists(Parent(destination)), 3);
        Refuse(files.count(Key(destination)) && files[Key(destination)].readOnly, 5);
        files[Key(destination)] = files[Key(source)];
        log.push_back(L"copy " + source + L" -> " + destination);
    }
    Deletion DeleteFile(const std::wstring& path) override {
        if (links.count(Key(path))) return Deletion::LinkLeft;  // as Wine leaves a file link
        Refuse(refused.count(path) || !files.erase(Key(path)), 32);
        log.push_back(L"delete " + path);
        return Deletion::Deleted;
    }
    Deletion DeleteFolder(const std::wstring& path) override {
        Refuse(!folders_.erase(Key(path)), 3);
        log.push_back(L"rmdir " + path);
        return Deletion::Deleted;
    }
    std::wstring GetFilePath(const std::wstring& path) const override { return path; }
    std::optional<std::wstring> LinkTarget(const std::wstring& path) const override {
        const auto link = links.find(Key(path));
        return link == links.end() ? std::nullopt : std::optional(link->second);
    }
    void HoldFolder(const std::wstring& path) override {
        Refuse(!FolderExists(path), 3);
        held.insert(Key(path));
    }
    void ReleaseFolder(const std::wstring& path) override { held.erase(Key(path)); }
    bool SameContent(const std::wstring& a, const std::wstring& b) const override {
        return files.count(Key(a)) && files.count(Key(b)) && files.at(Key(a)).content == files.at(Key(b)).content;
    }
    // In lower case, as the names are kept.
    std::vector<std::wstring> EntryNames(const std::wstring& folder) const override {
        Refuse(!FolderExists(folder), 3);
        std::vector<std::wstring> names;
        const auto add = [&](const std::wstring& path) {
            if (Parent(path) == Key(folder)) names.push_back(path.substr(path.rfind(L'\\') + 1));
        };
        for (const auto& entry : files) add(entry.first);
        for (const auto& path : folders_) add(path);
        return names;
    }

    std::map<std::wstring, File> files;  // by lower-case path
    std::vector<std::wstring> log;
    mutable std::vector<std::wstring> examined;
    std::set<std::wstring> refused;  // files whose deletion fails, as the caller spells them
    std::map<std::wstring, std::wstring> links;  // where the link at a lower-case path leads
    std::set<std::wstring> held;                 // folders held, by lower-case path

private:
    static void Refuse(bool refused, std::int32_t number) {
        if (refused) throw PlatformError(number, L"FileSystem", L"refused");
    }
    // A trailing backslash names the same file or folder, as it does for Windows.
    static std::wstring Key(std::wstring key) {
        if (!key.empty() && key.back() == L'\\') key.pop_back();
        std::transform(key.begin(), key.end(), key.begin(), [](wchar_t c) { return std::towlower(c); });
        return key;
    }
    static std::wstring Parent(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

    std::set<std::wstring> folders_;
};

// The system's buffer rule: at most size - 1 characters and a NUL, nothing for size 0.

class FakeProfile final : public ProfileFunctions {
public:
    void Set(const std::wstring& file, const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        values[file + L"|" + section + L"|" + key] = value;
    }
    void GetString(const std::wstring& section, const std::wstring& key, const std::wstring& defaultText,
                   std::wstring& buffer, std::size_t size, const std::wstring& file) const override {
        reads.push_back(std::to_wstring(size) + L" " + defaultText);
        const auto it = values.find(file + L"|" + section + L"|" + key);
        const std::wstring& value = it == values.end() ? defaultText : it->second;
        if (size == 0) return;
        const std::size_t n = std::min(value.size(), size - 1);
        std::copy_n(value.begin(), n, buffer.begin());
        buffer[n] = L'\0';
    }
    void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                     const std::wstring& file) override {
        writes.push_back(value);
        Set(file, section, key, value);
    }

    std::map<std::wstring, std::wstring> values;
    mutable std::vector<std::wstring> reads;  // each as "<size given> <default text>"
    std::vector<std::wstring> writes;
};

// Where a folder named really is, which may not be written, what protecting gives, the
// entries no elevated run made; the folders protected, in order.
struct FakeFolderAccess final : FolderAccess {
    std::optional<std::wstring> FinalPath(const std::wstring& f) const override {
        return finalPaths.count(f) ? finalPaths.at(f) : f;
    }
    bool MayWriteIn(const std::wstring& f) const override { return !unwritable.count(f); }
    Protection Protect(const std::wstring& f) override { return protectedFolders.push_back(f), protection; }
    std::vector<std::wstring> ForeignEntries(const std::wstring& f) const override {
        return foreign.count(f) ? foreign.at(f) : std::vector<std::wstring>{};
    }
    std::map<std::wstring, std::wstring> finalPaths;
    std::set<std::wstring> unwritable;
    Protection protection{ProtectResult::Protected, 0};
    std::map<std::wstring, std::vector<std::wstring>> foreign;
    std::vector<std::wstring> protectedFolders;
};

// Folders are one when their texts are, or when `same` names the pair as "a=b".
struct FakeFolderIdentity final : FolderIdentity {
    bool SameFolder(const std::wstring& a, const std::wstring& b) const override { return a == b || a + L"=" + b == same; }
    std::wstring same;
};

class FakeConversions final : public LocaleConversions {
public:
    std::optional<double> ParseNumber(std::wstring_view text) const override {
        std::wstring c(text);
        if (c.empty() || (decimal != L'.' && c.find(L'.') != c.npos)) return std::nullopt;
        std::replace(c.begin(), c.end(), decimal, L'.');
        wchar_t* end = nullptr;
        const double value = std::wcstod(c.c_str(), &end);
        return end == c.c_str() + c.size() ? std::optional(value) : std::nullopt;
    }
    // Plain decimal text, rounded half to even; beyond 32 bits an overflow.
    WholeNumber ToWholeNumber(std::wstring_view text) const override {
        const auto number = ParseNumber(text);
        if (!number) return {0, WholeNumber::Fault::TypeMismatch};
        const double rounded = std::nearbyint(*number);
        if (rounded < -2147483648.0 || rounded > 2147483647.0) return {0, WholeNumber::Fault::Overflow};
        return {static_cast<std::int32_t>(rounded), WholeNumber::Fault::None};
    }
    std::wstring NumberToText(double value) const override {
        wchar_t text[64];
        std::swprintf(text, 64, L"%.15g", value);
        std::wstring result(text);
        std::replace(result.begin(), result.end(), L'.', decimal);
        return result;
    }
    std::optional<double> ParseDate(std::wstring_view text) const override {
        return text.starts_with(L"day ") ? ParseNumber(text.substr(4)) : std::nullopt;
    }
    std::wstring DateToText(double value) const override { return L"day " + NumberToText(value); }
    std::wstring DateSeparator() const override { return dateSeparator; }

    wchar_t decimal = L'.';
    std::wstring dateSeparator = L"/";
};

// Windows Installer as tables (the upgrade code is a "property": the product must be opened;
// a missing entry is a failed read). Changes are logged with the UI level in force.
class FakeInstallerEngine final : public InstallerEngine {
public:
    using Values = std::map<std::wstring, std::wstring>;

    void SetUiLevel(int level) override { uiLevel = level; }
    std::vector<std::wstring> Products() override {
        std::vector<std::wstring> codes;
        for (const auto& p : products) codes.push_back(p.at(L"code"));
        return codes;
    }
    std::optional<std::wstring> ProductInfo(const std::wstring& code, const std::wstring& name) override {
        return Lookup(code, name);
    }
    std::optional<std::wstring> ProductUpgradeCode(const std::wstring& code) override {
        return Lookup(code, L"property UpgradeCode");
    }
    std::wstring PackageProperty(const std::wstring& path, const std::wstring& name) override {
        if (name != L"ProductCode" || !packageCodes.count(path)) throw PlatformError(1620, L"Package", L"bad");
        return packageCodes.at(path);
    }
    std::optional<std::wstring> FileVersion(const std::wstring& path) override {
        return fileVersions.count(path) ? std::optional(fileVersions.at(path)) : std::nullopt;
    }
    unsigned InstallProduct(const std::wstring& path, const InstallRequest& request) override {
        changes.push_back(L"install " + path + L" [" + PropertiesOf(request) + L"] ui " + std::to_wstring(uiLevel));
        return result;
    }
    unsigned ApplyPatch(const std::wstring& path, const InstallRequest& request) override {
        changes.push_back(L"patch " + path + L" [" + PropertiesOf(request) + L"] ui " + std::to_wstring(uiLevel));
        return result;
    }
    void AddSource(const std::wstring& code, const std::wstring& folder) override {
        changes.push_back(L"add source " + folder + L" to " + code);
    }

    std::vector<Values> products;
    Values packageCodes, fileVersions;
    int uiLevel = 0;
    std::vector<std::wstring> changes;
    unsigned result = 0;

private:
    std::optional<std::wstring> Lookup(const std::wstring& code, const std::wstring& name) const {
        for (const auto& p : products) {
            if (p.at(L"code") == code && p.count(name)) return p.at(name);
        }
        return std::nullopt;
    }
};

// An installed product with the five attributes the queries read.
inline FakeInstallerEngine::Values Installed(std::wstring code, std::wstring name, std::wstring upgradeCode,
                                             std::wstring version, std::wstring source = L"S:\\Setup\\") {
    FakeInstallerEngine::Values product = {{L"code", code}, {L"InstalledProductName", name}, {L"VersionString", version},
                                           {L"InstallSource", source}, {L"PackageName", L"p.msi"}};
    if (!upgradeCode.empty()) product[L"property UpgradeCode"] = upgradeCode;
    return product;
}

} // namespace orvh::test
