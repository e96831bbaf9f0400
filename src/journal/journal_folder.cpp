#include "journal/journal_folder.h"

namespace orvh {

bool UseJournalFolder(bool elevated, const JournalFolderFacts& facts) {
    if (!facts.folder || facts.link) return false;
    return !elevated || facts.owner != FolderOwner::Other;
}

std::optional<std::wstring> JournalFolderSecurity(bool elevated) {
    if (!elevated) return std::nullopt;
    return L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
}

} // namespace orvh
