#include "main/command_line.h"


namespace orvh {
namespace {

constexpr std::wstring_view kClusterSwitch = L"/ServizioCluster=";
constexpr std::wstring_view kProcessSwitch = L"/AttendiProcesso=";
constexpr std::wstring_view kExeNameSwitch = L"/ExeName=";
constexpr std::wstring_view kOrvhExeSwitch = L"/OrvhExe=";
constexpr std::wstring_view kUpdateFolderSwitch = L"/PathAggiornamento=";
constexpr std::wstring_view kUpgradeCodeSwitch = L"/MsiUpdateCode=";
constexpr std::wstring_view kNoRestartSwitch = L"/NoRiavvio";
constexpr std::wstring_view kInstallerWaitSwitch = L"/AttendiInstaller=";

std::wstring AsciiUpper(std::wstring_view text) {
    std::wstring upper(text);
    for (auto& c : upper) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return upper;
}

bool IsBlankOrTab(wchar_t c) { return c == L' ' || c == L'\t'; }

} // namespace

std::wstring_view CommandTail(std::wstring_view commandLine) {
    std::size_t i = 0;
    if (commandLine.starts_with(L'"')) {
        const auto close = commandLine.find(L'"', 1);
        i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !IsBlankOrTab(commandLine[i])) ++i;
    }
    while (i < commandLine.size() && IsBlankOrTab(commandLine[i])) ++i;
    return commandLine.substr(i);
}

bool IsHelpRequest(std::wstring_view tail) { return tail.find(L'?') != std::wstring_view::npos; }

std::wstring HelpText(std::wstring_view usageString) {
    std::wstring text(usageString);
    for (auto at = text.find(L"/n"); at != std::wstring::npos; at = text.find(L"/n", at + 2)) {
        text.replace(at, 2, L"\r\n");
    }
    return text;
}

std::optional<std::wstring> SwitchValue(std::wstring_view tail, std::wstring_view upperTail,
                                        std::wstring_view switchName, bool quotedValues) {
    const auto at = upperTail.find(AsciiUpper(switchName));
    if (at == std::wstring_view::npos) return std::nullopt;
    const auto rest = tail.substr(at + switchName.size());

    const auto firstQuote = rest.find(L'"');
    if (quotedValues && firstQuote != std::wstring_view::npos) {
        const auto closing = rest.find(L'"', firstQuote + 1);
        const auto length = closing == std::wstring_view::npos ? std::wstring_view::npos : closing - firstQuote - 1;
        return std::wstring(rest.substr(firstQuote + 1, length));
    }
    return std::wstring(rest.substr(0, rest.find(L' ')));
}

CommandSwitches ReadSwitches(std::wstring_view tail, std::wstring_view upperTail) {
    CommandSwitches s;
    s.clusterResource = SwitchValue(tail, upperTail, kClusterSwitch, true).value_or(L"");
    s.processIdText = SwitchValue(tail, upperTail, kProcessSwitch, false);
    if (auto exe = SwitchValue(tail, upperTail, kExeNameSwitch, true)) {
        s.productExecutable = *exe;
    } else {
        s.productExecutable = SwitchValue(tail, upperTail, kOrvhExeSwitch, true).value_or(L"");
    }
    s.updateFolderValue = SwitchValue(tail, upperTail, kUpdateFolderSwitch, true).value_or(L"");
    s.upgradeCode = SwitchValue(tail, upperTail, kUpgradeCodeSwitch, true).value_or(L"");
    if (s.upgradeCode.empty()) s.upgradeCode = kServerUpgradeCode;
    s.noRestart = SwitchValue(tail, upperTail, kNoRestartSwitch, false).has_value();
    s.installerWaitText = SwitchValue(tail, upperTail, kInstallerWaitSwitch, false);
    return s;
}

} // namespace orvh
