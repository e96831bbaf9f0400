#pragma once
// Starting a program without waiting for it, on CreateProcessW.
#include "system/processes.h"

namespace orvh {

// Starts the program with the show command and returns at once; the started program runs
// on by itself. A refused start raises the Win32 error.
void StartProgram(const std::wstring& applicationPath, const std::wstring& commandLine, ShowCommand show);

// A tool of Windows by its path in the system folder ("C:\Windows\System32\<name>").
std::wstring SystemToolPath(std::wstring_view name);

class Win32ProgramStarter final : public ProgramStarter {
public:
    void Start(const std::wstring& applicationPath, const std::wstring& commandLine, ShowCommand show) override;
};

} // namespace orvh
