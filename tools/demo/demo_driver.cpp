// Starts OrvhUpdate.exe (beside this program) with the command-line tail given as this
// program's arguments, prints every message box it shows (title, icon, text, buttons),
// answers each with its first button, and reports how the launcher ended.
#include "launched_program.h"
#include "message_box_reader.h"
#include "test_paths.h"

#include <cstdio>
#include <string>

namespace {

const wchar_t* IconName(orvh::test::BoxIcon icon) {
    switch (icon) {
    case orvh::test::BoxIcon::Stop: return L"stop";
    case orvh::test::BoxIcon::Information: return L"information";
    case orvh::test::BoxIcon::Warning: return L"warning";
    case orvh::test::BoxIcon::Question: return L"question";
    case orvh::test::BoxIcon::None: break;
    }
    return L"none";
}

// The tail as this program received it, after its own name.
std::wstring OwnTail() {
    std::wstring line = ::GetCommandLineW();
    std::size_t i = 0;
    if (!line.empty() && line[0] == L'"') {
        i = line.find(L'"', 1);
        i = i == std::wstring::npos ? line.size() : i + 1;
    } else {
        while (i < line.size() && line[i] != L' ' && line[i] != L'\t') ++i;
    }
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
    return line.substr(i);
}

void Print(const std::wstring& text) {
    // UTF-8 on the console so that accented texts arrive intact.
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

} // namespace

int wmain() {
    using namespace std::chrono_literals;
    const std::wstring tail = OwnTail();
    Print(L"started: OrvhUpdate.exe " + tail + L"\n");
    orvh::test::LaunchedProgram program(orvh::test::OrvhUpdateExe(), tail);

    std::vector<HWND> answered;
    while (!program.WaitForExit(0ms)) {
        HWND box = orvh::test::WaitForMessageBox(program.ProcessId(), 500ms, answered);
        if (!box) continue;
        const auto contents = orvh::test::ReadMessageBox(box);
        std::wstring text = contents.text;
        for (std::size_t at = 0; (at = text.find(L"\r\n", at)) != std::wstring::npos;) text.replace(at, 2, L"\n    | ");
        Print(L"message box\n  title: " + contents.title + L"\n  icon:  " + IconName(contents.icon) +
              L"\n  text:\n    | " + text + L"\n  buttons:");
        for (const auto& button : contents.buttons) Print(L" [" + button.text + L"]");
        Print(L"\n");
        if (!contents.buttons.empty()) {
            Print(L"  pressing [" + contents.buttons.front().text + L"]\n");
            orvh::test::PressButton(box, contents.buttons.front().id);
        }
        answered.push_back(box);
    }
    DWORD exitCode = 0;
    ::GetExitCodeProcess(program.Process(), &exitCode);
    Print(L"OrvhUpdate.exe ended, exit code " + std::to_wstring(exitCode) + L"\n");
    return 0;
}
