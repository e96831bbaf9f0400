#pragma once
// What the Windows-side tests read of a run beyond one delivery: the program's texts, folder
// listings, journal fragments; and what they arrange: a station nobody sees, a token that may
// not restart Windows.
#include "delivery.h"
#include "journal/journal_line.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <thread>

namespace orvh::test {

// OrvhUpdate.exe's resources, loaded once.
inline HMODULE ProgramResources() {
    static const UniqueModule program(::LoadLibraryExW(OrvhUpdateExe().c_str(), nullptr,
                                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    return program.get();
}

// The text of one string of the program's own string table.
inline std::wstring StringText(unsigned id) {
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(ProgramResources(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return std::wstring(text, static_cast<std::size_t>(length));
}

// Wine tells itself by an export of its ntdll.
inline bool UnderWine() { return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// The text of one event of the program's message table, the strings inserted.
inline std::wstring EventText(unsigned id, const std::vector<std::wstring>& strings) {
    std::vector<DWORD_PTR> inserts;
    for (const auto& text : strings) inserts.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY, ProgramResources(),
        id, MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN), reinterpret_cast<wchar_t*>(&text), 0,
        reinterpret_cast<va_list*>(inserts.data()));
    const UniqueLocalMemory<wchar_t*> owner(text);
    return std::wstring(text ? text : L"", length);
}

// One event of the program's source: its id, its type and its strings.
struct ReportedEvent {
    DWORD id = 0;
    WORD type = 0;
    std::vector<std::wstring> strings;
};

// The newest event the program reported to the Application log (Windows: Wine 8 keeps none).
inline std::optional<ReportedEvent> NewestEvent() {
    std::optional<ReportedEvent> event;
    const HANDLE log = ::OpenEventLogW(nullptr, L"Application");
    if (!log) return event;
    std::vector<BYTE> records(0x40000);
    DWORD read = 0, needed = 0;
    if (::ReadEventLogW(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ, 0, records.data(),
                        static_cast<DWORD>(records.size()), &read, &needed)) {
        for (DWORD offset = 0; offset < read && !event;) {
            const auto* record = reinterpret_cast<const EVENTLOGRECORD*>(records.data() + offset);
            if (std::wstring(reinterpret_cast<const wchar_t*>(record + 1)) == L"OrvhUpdate") {
                event = ReportedEvent{record->EventID & 0xFFFF, record->EventType, {}};
                const auto* text = reinterpret_cast<const wchar_t*>(records.data() + offset + record->StringOffset);
                for (WORD i = 0; i < record->NumStrings; ++i, text += std::wcslen(text) + 1) event->strings.emplace_back(text);
            }
            offset += record->Length;
        }
    }
    ::CloseEventLog(log);
    return event;
}

inline const std::wstring kPublisherSubject = L"C=IT, O=Orvane S.p.A., CN=Orvane S.p.A.";


// L"" when each fragment is part of an event after the one the fragment before was found in
// (a message's text as the journal writes it); else the first fragment not found and the journal.
inline std::wstring MissingInOrder(const std::vector<JournalLine>& journal, const std::vector<std::wstring>& fragments) {
    auto line = journal.begin();
    for (const auto& fragment : fragments) {
        const std::wstring written = OneLine(fragment);
        line = std::find_if(line, journal.end(), [&](const JournalLine& l) { return l.event.find(written) != l.event.npos; });
        if (line == journal.end()) {
            std::wstring report = L"not in the journal (in this order): " + written + L"\n";
            for (const auto& each : journal) report += std::to_wstring(each.ms) + L" " + each.event + L"\n";
            return report;
        }
        ++line;
    }
    return L"";
}

// A folder's entries, sub-folders marked with "\", the fixture packages with their version.
inline std::vector<std::wstring> Contents(const std::wstring& folder) {
    namespace fx = fixtures;
    const std::pair<std::wstring_view, std::wstring_view> known[] = {
        {fx::hub_1_1_601.file, fx::hub_1_1_601.version}, {fx::hub_1_2_0.file, fx::hub_1_2_0.version}};
    std::vector<std::wstring> entries;
    for (const auto& name : FolderEntries(folder)) {
        const std::wstring path = folder + L"\\" + name;
        std::wstring entry = std::filesystem::is_directory(path) ? name + L"\\" : name;
        const std::string bytes = ReadFileBytes(path); // "" for a folder
        for (const auto& [file, version] : known) {
            if (bytes == ReadFileBytes(FixturePackagePath(file))) entry += L" " + std::wstring(version);
        }
        entries.push_back(entry);
    }
    return entries;
}

// A symbolic link at `link` to `target` (the caller sees whether it stands), removed when the
// result goes. On Windows the system's; under Wine, which makes none itself, the host's, made by
// the host's own ln (Wine starts a host program as any other, with no handle to wait on). Wine
// reads a linked folder as a reparse point and a linked file as a plain file.
inline std::shared_ptr<void> HostLink(const std::wstring& link, const std::wstring& target, bool folder) {
    if (::GetEnvironmentVariableW(L"WINEPREFIX", nullptr, 0) == 0) {
        ::CreateSymbolicLinkW(link.c_str(), target.c_str(), (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 2);
        return std::shared_ptr<void>(nullptr, [=](void*) { folder ? ::RemoveDirectoryW(link.c_str()) : ::DeleteFileW(link.c_str()); });
    }
    using UnixName = char*(__cdecl*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name"));
    const auto host = [unixName](const std::wstring& path) {
        char* name = unixName(path.c_str());
        const std::wstring text(name, name + std::strlen(name));
        ::HeapFree(::GetProcessHeap(), 0, name);
        return L"\"" + text + L"\"";
    };
    const auto run = [link](std::wstring command, bool made) {
        STARTUPINFOW startup{sizeof startup};
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return;
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        for (int i = 0; i < 300 && (::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) != made; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    run(L"/bin/ln -s " + host(target) + L" " + host(link), true);
    return std::shared_ptr<void>(nullptr, [run, remove = L"/bin/rm " + host(link)](void*) { run(remove, false); });
}

// A window station nobody sees, as a service's is; a message box of a program started on its
// Desktop() never returns.
class InvisibleStation {
public:
    InvisibleStation() {
        station_ = ::CreateWindowStationW(kName, 0, WINSTA_ALL_ACCESS, nullptr);
        ::SetProcessWindowStation(station_);
        desktop_ = ::CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        ::SetProcessWindowStation(Visible());
    }
    ~InvisibleStation() {
        ::CloseDesktop(desktop_);
        ::CloseWindowStation(station_);
    }
    InvisibleStation(const InvisibleStation&) = delete;
    InvisibleStation& operator=(const InvisibleStation&) = delete;
    // By name: under Wine the handle of the process's own station can already have gone.
    static HWINSTA Visible() {
        static const HWINSTA visible = ::OpenWindowStationW(L"WinSta0", FALSE, WINSTA_ALL_ACCESS);
        return visible;
    }
    static std::wstring Desktop() { return std::wstring(kName) + L"\\Default"; }

private:
    static constexpr const wchar_t* kName = L"OrvhNobodySees";
    HWINSTA station_ = nullptr;
    HDESK desktop_ = nullptr;
};

// The test's own token without the shutdown privilege, as an account that may not restart Windows.
inline UniqueHandle TokenWithoutShutdownPrivilege() {
    HANDLE own = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &own);
    const UniqueHandle ownOwner(own);
    LUID_AND_ATTRIBUTES shutdown{};
    ::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &shutdown.Luid);
    HANDLE restricted = nullptr;
    if (!::CreateRestrictedToken(own, 0, 0, nullptr, 1, &shutdown, 0, nullptr, &restricted)) {
        ThrowLastError(L"CreateRestrictedToken");
    }
    return UniqueHandle(restricted);
}

// OrvhSet.exe, the delivering side's tool, run with its output captured.
struct ToolRun {
    DWORD exitCode = 0;
    std::string output; // stdout and stderr
};

inline std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

inline ToolRun RunTool(const std::wstring& arguments) {
    const ScratchFolder scratch;
    const std::wstring tool = TestProgramFolder() + L"\\OrvhSet.exe", outPath = scratch / L"out.txt";
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    UniqueFile out(::CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = out.get();
    std::wstring line = Quoted(tool) + L" " + arguments;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(tool.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
        ThrowLastError(L"CreateProcessW " + tool);
    }
    const UniqueHandle process(started.hProcess), thread(started.hThread);
    ToolRun run;
    ::WaitForSingleObject(process.get(), 120000);
    ::GetExitCodeProcess(process.get(), &run.exitCode);
    out.reset();
    run.output = ReadFileBytes(outPath);
    return run;
}

inline ToolRun MakeSet(const std::wstring& folder, const std::vector<std::wstring>& files) {
    std::wstring arguments = L"make " + Quoted(folder);
    for (const auto& file : files) arguments += L" " + Quoted(file);
    return RunTool(arguments);
}

} // namespace orvh::test
