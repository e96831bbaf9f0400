#include "set_tool/tool_output.h"

#include "installer/version.h"
#include "system/file_system.h"

#include <cstdio>

namespace orvh::set_tool {
namespace {

std::wstring Shown(const std::wstring& version) { return version.empty() ? L"none" : version; }

std::wstring Ids(const std::vector<std::int32_t>& ids, const wchar_t* separator) {
    std::wstring text;
    for (const auto id : ids) text += (text.empty() ? L"" : separator) + std::to_wstring(id);
    return text;
}

std::wstring Names(const std::vector<std::wstring>& paths) {
    std::wstring text;
    for (const auto& path : paths) text += (text.empty() ? L"" : L", ") + FileSystem::GetFileName(path);
    return text.empty() ? L"none" : text;
}

void RunText(std::wstring& out, const RunPlan& run, const std::wstring& indent) {
    if (run.road) {
        out += indent + L"reads \"" + run.keys.fullPackage + L"\" " + Shown(run.announced.fullPackage) + L", \"" +
               run.keys.patchPackage + L"\" " + Shown(run.announced.patchPackage) + L", \"" + run.keys.updater +
               L"\" " + Shown(run.announced.updater) + L"\n";
        out += indent + L"decides: " + Described(*run.road) + L"\n";
    } else {
        out += indent + L"decides no road: it reads no versions\n";
    }
    if (!run.verdict.verified.empty() || run.verdict.refusal != Refusal::None) {
        out += indent + L"verifies: " + Names(run.verdict.verified) +
               (run.verdict.refusal == Refusal::None
                    ? std::wstring(L"; accepted")
                    : L"; refuses " + FileSystem::GetFileName(run.verdict.file) + L" (message " +
                          std::to_wstring(ReasonTextOf(run.verdict.refusal)) + L")") +
               L"\n";
    }
    if (run.steps.empty()) out += indent + L"Windows Installer: nothing installed\n";
    for (const auto& step : run.steps) out += indent + L"Windows Installer: " + step + L"\n";
    out += indent + L"ends at " + Shown(run.endVersion) + (run.rotated ? L"; the set is rotated out of Nuovo" : L"; the set stays in Nuovo") +
           (run.launcherReplaced ? L"; Corrente's launcher is replaced" : L"") + L"\n";
    if (run.errorReport) out += indent + L"the launcher ends with error report " + std::to_wstring(*run.errorReport) + L"\n";
    out += indent + L"exit code " + std::to_wstring(run.exitCode) + L", event " + std::to_wstring(run.eventId) + L"\n";
    out += indent + L"product: " + (run.productCommandLine.empty() ? L"not started" : run.productCommandLine) + L"\n";
    for (const auto& box : run.messages) out += indent + L"message box: strings " + Ids(box, L", ") + L"\n";
    out += indent + L"the launcher's account (simulated paths):\n";
    for (const auto& line : run.journal) out += indent + L"  " + line + L"\n";
}

std::wstring Json(const std::wstring& text) {
    std::wstring out = L"\"";
    for (const wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out += L'\\';
            out += c;
        } else if (c < 0x20) {
            wchar_t escaped[8];
            std::swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + L"\"";
}

std::wstring Bool(bool value) { return value ? L"true" : L"false"; }

std::wstring JsonArray(const std::vector<std::wstring>& texts) {
    std::wstring out = L"[";
    for (std::size_t i = 0; i < texts.size(); ++i) out += (i ? L", " : L"") + Json(texts[i]);
    return out + L"]";
}

std::wstring RoadJson(const RunPlan& run) {
    if (!run.road) return L"null";
    const RunRoad& road = *run.road;
    std::vector<std::wstring> used;
    for (const auto& file : road.files) used.push_back(file.path);
    const bool refused = run.verdict.refusal != Refusal::None;
    return L"{\"update\": " + Json(road.update) + L", \"patch\": " + Json(road.patch) + L", \"launcher\": " +
           Json(road.updater) + L", \"installFullPackage\": " + Bool(road.installFullPackage) + L", \"repairSource\": " +
           Bool(road.repairSource) + L", \"applyPatch\": " + Bool(road.applyPatch) + L", \"replaceLauncher\": " +
           Bool(road.replaceUpdater) + L", \"used\": " + JsonArray(used) + L", \"verified\": " +
           JsonArray(run.verdict.verified) + L", \"refused\": " + (refused ? Json(run.verdict.file) : L"null") +
           L", \"refusal\": " + (refused ? std::to_wstring(ReasonTextOf(run.verdict.refusal)) : L"null") + L"}";
}

std::wstring RunJson(const RunPlan& run) {
    std::wstring out = L"{\"installed\": " + Json(run.installed) + L", \"keys\": [" + Json(run.keys.fullPackage) + L", " +
                       Json(run.keys.patchPackage) + L", " + Json(run.keys.updater) + L"], \"announced\": [" + Json(run.announced.fullPackage) + L", " +
                       Json(run.announced.patchPackage) + L", " + Json(run.announced.updater) + L"], \"road\": " +
                       RoadJson(run) + L", \"steps\": [";
    for (std::size_t i = 0; i < run.steps.size(); ++i) out += (i ? L", " : L"") + Json(run.steps[i]);
    out += L"], \"endVersion\": " + Json(run.endVersion) + L", \"rotated\": " + Bool(run.rotated) +
           L", \"launcherReplaced\": " + Bool(run.launcherReplaced) + L", \"ignoreUpdate\": " + Bool(run.ignoreUpdate) +
           L", \"productCommandLine\": " + Json(run.productCommandLine) + L", \"messages\": [";
    for (std::size_t i = 0; i < run.messages.size(); ++i) {
        out += (i ? L", " : L"") + (run.messages[i].empty() ? L"0" : std::to_wstring(run.messages[i].front()));
    }
    out += L"], \"messageStrings\": [";
    for (std::size_t i = 0; i < run.messages.size(); ++i) out += (i ? L", [" : L"[") + Ids(run.messages[i], L", ") + L"]";
    out += L"], \"errorReport\": " + (run.errorReport ? std::to_wstring(*run.errorReport) : L"null") +
           L", \"exitCode\": " + std::to_wstring(run.exitCode) + L", \"eventId\": " + std::to_wstring(run.eventId) +
           L", \"journal\": [";
    for (std::size_t i = 0; i < run.journal.size(); ++i) out += (i ? L", " : L"") + Json(run.journal[i]);
    return out + L"]";
}

} // namespace

std::wstring FindingsText(const std::vector<Finding>& findings, const std::wstring& folder) {
    std::wstring out;
    int errors = 0;
    for (const auto& finding : findings) {
        errors += finding.severity == Severity::Error;
        out += (finding.severity == Severity::Error ? L"error: " : L"warning: ") + finding.file + L": " + finding.text + L"\n";
    }
    return out + folder + L": " + std::to_wstring(errors) + L" error(s), " +
           std::to_wstring(findings.size() - errors) + L" warning(s)\n";
}

std::wstring PlanText(const std::vector<Plan>& plans, const LocaleConversions& numbers) {
    std::wstring out;
    for (const auto& plan : plans) {
        out += L"Installed " + FormatVersion(plan.run.installed, false, numbers) + L" (" + plan.run.installed + L"):\n";
        RunText(out, plan.run, L"  ");
        if (plan.afterStop) {
            out += L"  stopped between the full package and the patch, the next run:\n";
            RunText(out, *plan.afterStop, L"    ");
        }
    }
    return out;
}

std::wstring PlanJson(const std::vector<Plan>& plans) {
    std::wstring out = L"[";
    for (std::size_t i = 0; i < plans.size(); ++i) {
        out += (i ? L",\n " : L"") + RunJson(plans[i].run) + L", \"afterStop\": " +
               (plans[i].afterStop ? RunJson(*plans[i].afterStop) + L"}" : L"null") + L"}";
    }
    return out + L"]\n";
}

} // namespace orvh::set_tool
