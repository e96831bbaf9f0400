#pragma once
// The journal on disk: one file per run in the OrvhUpdate folder of the user's temporary
// folder, UTF-8 with a byte-order mark and CRLF line ends, each line written through as
// it comes, so that a forced restart or an error report leaves every earlier line. The
// folder is held open for the run (see journal/journal_folder.h for which folder is used).
#include "common/journal.h"
#include "system/unique_handles_win32.h"

#include <string>

namespace orvh {

class JournalFile final : public Journal {
public:
    // Opens this run's journal and deletes the oldest ones beyond those kept. A journal
    // that cannot be created, or whose folder is not to be used, is left out without a word.
    // `elevated`: the process runs with an administrator's full rights or SYSTEM's.
    explicit JournalFile(bool elevated);

    void Write(std::wstring_view event) override;
    // Where Windows Installer's own log of the run goes; empty without a journal.
    const std::wstring& InstallerLogPath() const { return installerLog_; }
    // This run's journal; empty without one.
    const std::wstring& Path() const { return path_; }

private:
    UniqueFile folder_;
    UniqueFile file_;
    ULONGLONG processStart_ = 0;  // in 100 ns units, as the system tells times
    std::wstring installerLog_;
    std::wstring path_;
};

} // namespace orvh
