#pragma once
// Font files that older versions of the product put into the Windows Fonts folder and
// that newer versions no longer want there: the "ORVH MS" family, installed up to version
// 0001.0004.0000.0155, and the four "MONO821" files, installed up to 0001.0001.0000.0300.
#include <functional>
#include <string>

namespace orvh {

class FileSystem;

// The Windows Fonts folder without a trailing backslash; empty when it is unknown.
using FontsFolderLookup = std::function<std::wstring()>;

// Deletes, read-only files included, the obsolete font files a product at `version` (a
// canonical version, empty when none is installed) may have left. True when at least one
// file was deleted; false when none was, and at the first failure, whatever was deleted
// before it.
bool RemoveOldFonts(const std::wstring& version, const FontsFolderLookup& fontsFolder, FileSystem& fileSystem);

} // namespace orvh
