#include "main/run_end.h"

#include <algorithm>

namespace orvh {
namespace {

bool Completed(const RunRecord& r) {
    if (r.errorReport) return false;
    if (r.noConfiguration) return r.completedEarlier;
    return r.installationPhase && r.reachedOffered.value_or(false) && !r.installationFailed && !r.failureShown;
}

struct Row {
    bool (*applies)(const RunRecord&);
    RunEnd end;
};

// In order of precedence: the first row that applies is the run's end.
const Row kEnds[] = {
    {[](const RunRecord& r) { return r.help; }, {0, 1000, EventKind::Information, L"the usage message was shown"}},
    {[](const RunRecord& r) { return r.restartStarted; },
     {1641, 1002, EventKind::Information, L"Windows restarts to complete the update"}},
    {[](const RunRecord& r) { return r.restartRequired; },
     {3010, 1001, EventKind::Warning, L"a restart of Windows is required to complete the update"}},
    {[](const RunRecord& r) { return r.installerBusy; },
     {1618, 1003, EventKind::Warning, L"Windows Installer stayed busy with another installation: retry later"}},
    {[](const RunRecord& r) { return r.setStillBeingDelivered; },
     {1618, 1003, EventKind::Warning, L"the update set is still being delivered: retry later"}},
    {[](const RunRecord& r) { return r.anotherLauncher; },
     {1618, 1003, EventKind::Warning, L"another launcher is running: retry later"}},
    {[](const RunRecord& r) { return r.notInstalled; },
     {1605, 1004, EventKind::Error, L"the edition is not installed"}},
    {Completed, {0, 1000, EventKind::Information, L"the installed version is the one the set offers"}},
    {[](const RunRecord& r) {
         return r.installationFailed || r.failureShown || (r.installationPhase && r.reachedOffered == false);
     },
     {1603, 1005, EventKind::Error, L"the update was not installed"}},
    {[](const RunRecord& r) { return r.noConfiguration; },
     {kExitNoConfiguration, 1006, EventKind::Warning, L"no configuration file in Nuovo"}},
    {[](const RunRecord& r) { return r.refused; },
     {kExitSetRefused, 1007, EventKind::Error, L"the signature check refused the update set"}},
    {[](const RunRecord&) { return true; }, {kExitErrorReport, 1008, EventKind::Error, L"an error ended the run"}},
};

} // namespace

const RunEnd& DecideEnd(const RunRecord& record) {
    // The last row applies to every run, so an end is always found.
    return std::ranges::find_if(kEnds, [&](const Row& row) { return row.applies(record); })->end;
}

std::vector<std::wstring> EventStrings(const RunRecord& record, const RunEnd& end, const std::wstring& journalPath) {
    const auto shown = [](const std::wstring& text) { return text.empty() ? std::wstring(L"-") : text; };
    return {shown(record.edition), shown(record.versionBefore), shown(record.versionAfter),
            std::to_wstring(end.exitCode), shown(journalPath)};
}

} // namespace orvh
