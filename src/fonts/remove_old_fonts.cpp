#include "fonts/remove_old_fonts.h"

#include "installer/version.h"
#include "system/file_system.h"
#include "system/platform_error.h"

#include <array>
#include <vector>

namespace orvh {
namespace {

struct ObsoleteFonts {
    // Versions older than this one installed the files.
    const wchar_t* installedBefore;
    // Appended to the Fonts folder as they stand.
    std::vector<const wchar_t*> entries;
};

// The "ORVH MS" family first, then the four "MONO821" files.
const std::array<ObsoleteFonts, 2> kObsoleteFonts = {{
    {L"0001.0004.0000.0155",
     {L"\\ORVH MS.TTF", L"\\ORVH MS Grassetto.TTF", L"\\ORVH MS Corsivo.TTF", L"\\ORVH MS Grassetto Corsivo.TTF",
      L"\\ORVH MS Zero.TTF", L"\\ORVH MS Zero Grassetto.TTF", L"\\ORVH MS Zero Corsivo.TTF",
      L"\\ORVH MS Zero Grassetto Corsivo.TTF"}},
    {L"0001.0001.0000.0300", {L"\\MONO821N.ttf", L"\\MON821BI.ttf", L"\\MONO821B.ttf", L"\\MONO821I.ttf"}},
}};

} // namespace

bool RemoveOldFonts(const std::wstring& version, const FontsFolderLookup& fontsFolder, FileSystem& fileSystem) {
    bool deleted = false;
    try {
        const std::wstring folder = fontsFolder();
        if (folder.empty()) return false;
        for (const auto& set : kObsoleteFonts) {
            if (!VersionGreater(set.installedBefore, version)) continue;
            for (const wchar_t* entry : set.entries) {
                const std::wstring path = folder + entry;
                if (!fileSystem.FileExists(path)) continue;
                fileSystem.DeleteFile(path);
                deleted = true;
            }
        }
    } catch (const PlatformError&) {
        return false;
    }
    return deleted;
}

} // namespace orvh
