#include "journal/journal_folder.h"

namespace orvh {

JournalFolderUse UseJournalFolder(bool elevated, const JournalFolderFacts& facts) {
    if (!facts.folder || facts.link) return JournalFolderUse::Refuse;
    if (!elevated) return JournalFolderUse::Use;
    return facts.owner == FolderOwner::Other || facts.othersMayChange ? JournalFolderUse::SecureFirst
                                                                       : JournalFolderUse::Use;
}

std::optional<std::wstring> JournalFolderSecurity(bool elevated) {
    if (!elevated) return std::nullopt;
    return L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
}

std::wstring JournalFolderResecurity() { return L"O:BA" + *JournalFolderSecurity(true); }

} // namespace orvh
