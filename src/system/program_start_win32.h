#pragma once
// Starting a program without waiting for it, on CreateProcessW.
#include "system/processes.h"

namespace orvh {

// Starts the program with the show command and returns at once; the started program runs
// on by itself. An empty `applicationPath` lets the system find the command line's first
// word through its program search. A refused start raises the Win32 error.
void StartProgram(const std::wstring& applicationPath, const std::wstring& commandLine, ShowCommand show);

class Win32ProgramStarter final : public ProgramStarter {
public:
    void Start(const std::wstring& applicationPath, const std::wstring& commandLine, ShowCommand show) override;
};

} // namespace orvh
