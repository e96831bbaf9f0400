// The update run over situations decoded from the input: the edition, the installed
// version, what ORVHUpdate.cfg announces, which files lie in Nuovo, Corrente and Vecchio
// (some read-only), the installer's results, the installation source, obsolete fonts,
// the product and the program's folder. The run goes through fakes of every service;
// afterwards its promises are checked: nothing in Nuovo is lost unless the rotation ran,
// the rotation follows only a successful last installation or a set with nothing due,
// what Corrente held goes to Vecchio before it is replaced, the running updater is never
// overwritten, the product starts exactly once unless a restart ended the run, and
// message 10001 appears only for an update that was due and did not take effect.
// A PlatformError out of the run (a file-system refusal, a malformed version) is the
// platform's error report, a defined end: only the promises about losses are checked then.
#include "common/edition.h"
#include "fake_conversions.h"
#include "fake_file_system.h"
#include "fake_profile.h"
#include "fuzz_support.h"
#include "ini/ov_file_ini.h"
#include "installer/product_installer.h"
#include "installer/version.h"
#include "main/update_run.h"
#include "resources/string_table.h"
#include "system/locale_conversions.h"
#include "system/message_pump.h"
#include "system/processes.h"
#include "ui/dialogs.h"
#include "ui/progress_view.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <deque>
#include <map>
#include <set>
#include <vector>

namespace orvh::fuzz {
namespace {

constexpr const wchar_t* kVersions[] = {
    L"",
    L"0001.0001.0000.0100",
    L"0001.0001.0000.0500",
    L"0001.0001.0000.0601",
    L"0001.0001.0000.0602",
    L"0001.0001.0000.0700",
    L"0001.0002.0000.0000",
    L"0001.0002.0000.0100",
    L"0001.0003.0000.0000",
    L"1.1.0.602",             // not canonical: greater than every canonical version
    L"0001.0001.0000.06010",  // the threshold of the archive keys itself
    L"1..3",                  // no version at all
};
const std::wstring kRepairProperties = L"REINSTALL=ALL REINSTALLMODE=dmus";
const std::wstring kProduct = L"C:\\Prod dir\\Hub.exe";
const std::wstring kOwnFolder = L"C:\\Orvane";
// Removed from Nuovo by the rotation, whatever the edition.
const std::set<std::wstring> kClearedNames = {L"orvhupdate.cfg", L"orvhupdate.exe", L"orvane hub.msi",
                                              L"orvane desk.msi", L"orvhpatch.msp", L"orvdpatch.msp"};

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

// A version as a delivery may write it: mostly canonical, sometimes anything. NULs are
// left out: the profile functions could not return them.
std::wstring Version(FuzzedDataProvider& data) {
    if (data.ConsumeIntegralInRange(0, 7) != 0) return data.PickValueInArray(kVersions);
    std::wstring text = ConsumeText(data, 24);
    std::erase(text, L'\0');
    return text;
}

// Everything the fakes saw, each with its place in one sequence.
struct Journal {
    int next = 0;
    int Stamp() { return ++next; }

    struct InstallerCall {
        enum Kind { Full, Repair, Patch } kind;
        int ui;
        bool result;
        int at;
    };
    std::vector<InstallerCall> installerCalls;
    std::vector<bool> sourceAnswers;
    std::vector<std::pair<std::wstring, int>> starts;
    std::vector<std::pair<std::wstring, int>> messages;
    std::vector<int> fileChanges;
    int loads = 0, shows = 0, unloadAt = 0, restartAt = 0, fontsTrueAt = 0;
    bool ended = false;
};

// The file system of the fakes, its changes stamped in the journal.
class StampedFileSystem final : public FileSystem {
public:
    explicit StampedFileSystem(Journal& journal) : journal_(journal) {}
    test::FakeFileSystem inner;

    bool FileExists(const std::wstring& path) const override { return inner.FileExists(path); }
    bool FolderExists(const std::wstring& path) const override { return inner.FolderExists(path); }
    void CreateFolder(const std::wstring& path) override { Stamped([&] { inner.CreateFolder(path); }); }
    void CopyFile(const std::wstring& source, const std::wstring& destination) override {
        Stamped([&] { inner.CopyFile(source, destination); });
    }
    void DeleteFile(const std::wstring& path) override { Stamped([&] { inner.DeleteFile(path); }); }
    void DeleteFolder(const std::wstring& path) override { Stamped([&] { inner.DeleteFolder(path); }); }
    std::wstring GetFilePath(const std::wstring& path) const override { return inner.GetFilePath(path); }

private:
    template <typename F>
    void Stamped(F&& change) {
        change();
        journal_.fileChanges.push_back(journal_.Stamp());
    }
    Journal& journal_;
};

class IdTexts final : public StringTable {
public:
    std::wstring LoadDllString(std::int32_t index) const override { return L"#" + std::to_wstring(index); }
};

class View final : public ProgressView {
public:
    explicit View(Journal& journal) : journal_(journal) { ++journal_.loads; }
    // The end after a restart request unwinds the fakes; the real end unloads nothing.
    ~View() override {
        if (!journal_.ended) journal_.unloadAt = journal_.Stamp();
    }
    void SetCaption(std::wstring_view) override {}
    void SetLabel(WindowLabel, std::wstring_view) override {}
    void StepSuccessivo() override {
        ORVH_FUZZ_CHECK(counter < 4);
        ++counter;
    }
    void SetInconStep(bool) override { ORVH_FUZZ_CHECK(counter >= 1); }
    void Show() override { ++journal_.shows; }
    int counter = 0;

private:
    Journal& journal_;
};

struct Situation {
    std::wstring upgradeCode;
    std::optional<Edition> edition;
    std::wstring root;
    std::wstring updateFolderValue;
    std::wstring programFolder;
    std::int32_t processId = 0;
    std::wstring cluster;
    std::wstring productExecutable;
    std::wstring installed;
    std::wstring fullInstalls;   // what a successful full installation installs
    std::wstring patchInstalls;  // what a successful patch installs
    std::wstring correnteUpdaterVersion;
    bool sourceAvailable = true;
    std::deque<bool> sourceOverrides;
    std::deque<bool> installResults;
    std::deque<bool> patchResults;
    std::set<std::wstring> fontsAt;
    bool expansionFails = false;
    std::map<std::wstring, std::wstring> cfgValues;
    bool cfgPresent = false;

    std::wstring Folder(const wchar_t* name) const { return root + L"\\" + name; }
};

struct Ended {};

class Services final : public Dialogs,
                       public MessagePump,
                       public ProgressWindowLoader,
                       public ProductInstaller,
                       public ProcessWaiter,
                       public ProgramStarter,
                       public SystemRestart,
                       public ProgramEnd {
public:
    Services(Situation& s, Journal& j, const StampedFileSystem& fs, const std::map<std::wstring, std::string>& before)
        : s_(s), j_(j), fs_(fs), before_(before), installed_(s.installed), source_(s.sourceAvailable) {}

    const std::wstring& Installed() const { return installed_; }

    void ShowMessage(std::wstring_view text, std::wstring_view, MessageIcon icon) override {
        Alive();
        ORVH_FUZZ_CHECK(icon == MessageIcon::CriticalStop);
        j_.messages.emplace_back(std::wstring(text), j_.Stamp());
    }
    void ProcessPendingMessages() override { Alive(); }
    std::unique_ptr<ProgressView> Load() override {
        Alive();
        return std::make_unique<View>(j_);
    }
    std::wstring GetInstalledVersion(const std::wstring& name, const std::wstring& code) override {
        Alive();
        ORVH_FUZZ_CHECK(s_.edition && name == ProductNameOf(*s_.edition) && code == s_.upgradeCode);
        return installed_;
    }
    bool InstallSourceAvailable(const std::wstring& name, const std::wstring& code) override {
        Alive();
        ORVH_FUZZ_CHECK(s_.edition && name == ProductNameOf(*s_.edition) && code == s_.upgradeCode);
        bool answer = source_;
        if (!s_.sourceOverrides.empty()) {
            answer = s_.sourceOverrides.front();
            s_.sourceOverrides.pop_front();
        }
        j_.sourceAnswers.push_back(answer);
        return answer;
    }
    bool InstallPackage(const std::wstring& name, const std::wstring& folder, const std::wstring& setup,
                        const std::wstring& properties, int ui) override {
        Alive();
        const bool repair = properties == kRepairProperties;
        ORVH_FUZZ_CHECK(repair || properties.empty());
        ORVH_FUZZ_CHECK(folder == s_.Folder(L"Corrente") && setup == s_.Folder(L"Setup"));
        ORVH_FUZZ_CHECK(name == (s_.edition == Edition::Server ? L"Orvane Hub.msi" : L"Orvane Desk.msi"));
        // What is installed is the package the delivery put in Nuovo, staged into Corrente.
        CheckStaged(folder + L"\\" + name, s_.Folder(L"Nuovo") + L"\\" + name);
        const bool result = Next(s_.installResults);
        Record(repair ? Journal::InstallerCall::Repair : Journal::InstallerCall::Full, ui, result);
        if (result) {
            source_ = true;
            if (!repair) installed_ = s_.fullInstalls;
        }
        return result;
    }
    bool ApplyPatchPackage(const std::wstring& path, int ui) override {
        Alive();
        const std::wstring name = s_.edition == Edition::Server ? L"ORVHPatch.msp" : L"ORVDPatch.msp";
        ORVH_FUZZ_CHECK(path == s_.Folder(L"Corrente") + L"\\" + name);
        CheckStaged(path, s_.Folder(L"Nuovo") + L"\\" + name);
        const bool result = Next(s_.patchResults);
        Record(Journal::InstallerCall::Patch, ui, result);
        if (result) installed_ = s_.patchInstalls;
        return result;
    }
    std::int32_t AttendiProcesso(std::int32_t id, bool wait) override {
        Alive();
        ORVH_FUZZ_CHECK(id == s_.processId && id > 0 && !wait);
        return 0;
    }
    void Pausa(std::int32_t) override {
        Alive();
        ORVH_FUZZ_CHECK(s_.processId <= 0);
    }
    void Start(const std::wstring& app, const std::wstring& line, ShowCommand) override {
        Alive();
        if (s_.cluster.empty()) {
            ORVH_FUZZ_CHECK(app == s_.productExecutable && fs_.FileExists(app));
        } else {
            ORVH_FUZZ_CHECK(app.empty() && line == L"Cluster Res \"" + s_.cluster + L"\" /On");
        }
        j_.starts.emplace_back(line, j_.Stamp());
    }
    void RestartWindows(bool force) override {
        Alive();
        ORVH_FUZZ_CHECK(force);
        // Only right after obsolete fonts were removed.
        ORVH_FUZZ_CHECK(j_.fontsTrueAt != 0 && j_.fontsTrueAt == j_.next);
        j_.restartAt = j_.Stamp();
    }
    [[noreturn]] void EndNow() override {
        ORVH_FUZZ_CHECK(j_.restartAt != 0 && j_.restartAt == j_.next);
        j_.ended = true;
        throw Ended{};
    }
    bool RemoveOldFonts(const std::wstring& version) {
        Alive();
        const bool removed = s_.fontsAt.count(version) != 0;
        const int at = j_.Stamp();
        if (removed) j_.fontsTrueAt = at;
        return removed;
    }
    std::wstring FileVersion(const std::wstring& path) const {
        Alive();
        ORVH_FUZZ_CHECK(path == s_.Folder(L"Corrente") + L"\\ORVHUpdate.exe");
        return fs_.FileExists(path) ? s_.correnteUpdaterVersion : L"";
    }

private:
    // Nothing runs once the restart of Windows has been asked for.
    void Alive() const { ORVH_FUZZ_CHECK(j_.restartAt == 0); }

    static bool Next(std::deque<bool>& results) {
        if (results.empty()) return true;
        const bool r = results.front();
        results.pop_front();
        return r;
    }
    void Record(Journal::InstallerCall::Kind kind, int ui, bool result) {
        ORVH_FUZZ_CHECK(ui == kUiLevelBasicProgressOnly || ui == kUiLevelDefault);
        if (ui == kUiLevelDefault) {
            // The default interface is only the retry of the same kind after a failure.
            ORVH_FUZZ_CHECK(kind != Journal::InstallerCall::Repair && !j_.installerCalls.empty());
            const auto& previous = j_.installerCalls.back();
            ORVH_FUZZ_CHECK(previous.kind == kind && previous.ui == kUiLevelBasicProgressOnly && !previous.result);
        }
        j_.installerCalls.push_back({kind, ui, result, j_.Stamp()});
    }
    void CheckStaged(const std::wstring& staged, const std::wstring& offered) const {
        const auto* file = fs_.inner.Find(staged);
        const auto original = before_.find(Lower(offered));
        ORVH_FUZZ_CHECK(file && original != before_.end() && file->content == original->second);
    }

    Situation& s_;
    Journal& j_;
    const StampedFileSystem& fs_;
    const std::map<std::wstring, std::string>& before_;
    std::wstring installed_;
    bool source_;
};

Situation Decode(FuzzedDataProvider& data) {
    Situation s;
    const int code = data.ConsumeIntegralInRange(0, 9);
    s.upgradeCode = code < 5   ? std::wstring(UpgradeCodeOf(Edition::Server))
                    : code < 9 ? std::wstring(UpgradeCodeOf(Edition::Client))
                               : Lower(std::wstring(UpgradeCodeOf(Edition::Server)));
    s.edition = EditionOf(s.upgradeCode);
    s.programFolder = data.ConsumeBool() ? kOwnFolder : L"U:\\Corrente";
    switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0: s.updateFolderValue = L"U:"; break;
    case 1: s.updateFolderValue = L"U:\\"; break;
    case 2: s.updateFolderValue = L""; break;
    default: s.updateFolderValue = L"X:\\Missing"; break;
    }
    s.root = s.updateFolderValue.starts_with(L"U:") ? L"U:" : s.programFolder;
    s.processId = data.ConsumeIntegral<std::int32_t>();
    s.cluster = data.ConsumeIntegralInRange(0, 7) == 0 ? L"Orvane Res" : L"";
    s.productExecutable = data.ConsumeIntegralInRange(0, 7) == 0 ? L"" : kProduct;
    s.installed = Version(data);
    s.fullInstalls = Version(data);
    s.patchInstalls = Version(data);
    s.correnteUpdaterVersion = Version(data);
    s.sourceAvailable = data.ConsumeIntegralInRange(0, 3) != 0;
    for (auto* results : {&s.sourceOverrides, &s.installResults, &s.patchResults}) {
        for (int n = data.ConsumeIntegralInRange(0, 3); n > 0; --n) results->push_back(data.ConsumeBool());
    }
    for (int n = data.ConsumeIntegralInRange(0, 2); n > 0; --n) s.fontsAt.insert(Version(data));
    s.expansionFails = data.ConsumeBool();
    return s;
}

// The files of the tree: each of Nuovo's set, Corrente's and Vecchio's copies, with a
// content of its own so that a lost or wrongly placed file shows.
void Populate(FuzzedDataProvider& data, Situation& s, test::FakeFileSystem& fs) {
    for (const auto* f : {L"U:", L"C:", L"C:\\Orvane", L"C:\\Prod dir"}) fs.AddFolder(f);
    fs.AddFolder(s.programFolder);
    fs.AddFile(kProduct, "product");
    constexpr const wchar_t* kNames[] = {L"ORVHUpdate.cfg", L"ORVHUpdate.exe", L"Orvane Hub.msi", L"Orvane Desk.msi",
                                         L"ORVHPatch.msp",  L"ORVDPatch.msp",  L"Leggimi.txt"};
    int serial = 0;
    for (const auto* sub : {L"Vecchio", L"Corrente", L"Nuovo"}) {
        const std::wstring folder = s.Folder(sub);
        if (data.ConsumeIntegralInRange(0, 15) == 0) continue;
        fs.AddFolder(folder);
        for (const auto* name : kNames) {
            if (!data.ConsumeBool()) continue;
            const bool readOnly = data.ConsumeIntegralInRange(0, 15) == 0;
            fs.AddFile(folder + L"\\" + name, "content " + std::to_string(++serial), readOnly);
        }
    }
    s.cfgPresent = fs.FileExists(s.Folder(L"Nuovo") + L"\\ORVHUpdate.cfg");
    if (data.ConsumeIntegralInRange(0, 15) != 0) fs.AddFolder(s.Folder(L"Setup"));
}

void WriteConfiguration(FuzzedDataProvider& data, Situation& s, test::FakeProfile& profile) {
    constexpr const wchar_t* kKeys[] = {L"Orvane Hub.msi", L"ORVHPatch.msp", L"Orvane Desk.msi", L"ORVDPatch.msp",
                                        L"ORVHUpdate.exe", L"Orvane Hub.zip", L"ORVHPatch.zip",  L"Orvane Desk.zip",
                                        L"ORVDPatch.zip",  L"ORVHUpdate.zip"};
    const std::wstring cfg = s.Folder(L"Nuovo") + L"\\ORVHUpdate.cfg";
    for (const auto* key : kKeys) {
        if (!data.ConsumeBool()) continue;
        const std::wstring value = Version(data);
        profile.Set(cfg, L"Versione", key, value);
        if (s.cfgPresent) s.cfgValues[key] = value;
    }
}

std::map<std::wstring, std::string> Snapshot(const test::FakeFileSystem& fs, const Situation& s) {
    std::map<std::wstring, std::string> files;
    for (const auto* sub : {L"Vecchio", L"Corrente", L"Nuovo"}) {
        const std::wstring folder = Lower(s.Folder(sub));
        for (const auto& name : fs.FilesUnder(folder)) {
            files[folder + L"\\" + name] = fs.Find(folder + L"\\" + name)->content;
        }
    }
    return files;
}

// The versions the run works with, by the version rules, or nullopt when they do not
// come into play (no configuration file, no installed version) or cannot be read.
struct Versions {
    std::wstring update, patchRead, patch;
};

std::optional<Versions> ExpectedVersions(const Situation& s) {
    if (!s.cfgPresent || !s.edition || s.installed.empty()) return std::nullopt;
    const auto value = [&](const wchar_t* key) {
        const auto it = s.cfgValues.find(key);
        return it == s.cfgValues.end() ? std::wstring() : it->second;
    };
    bool archive = false;
    if (*s.edition == Edition::Server) {
        try {
            archive = VersionGreater(FormatVersion(s.installed, true), L"0001.0001.0000.06010");
        } catch (const PlatformError&) {
            return std::nullopt;
        }
    } else {
        archive = !value(L"Orvane Desk.zip").empty();
    }
    const bool server = *s.edition == Edition::Server;
    Versions v;
    v.update = value(archive ? (server ? L"Orvane Hub.zip" : L"Orvane Desk.zip")
                             : (server ? L"Orvane Hub.msi" : L"Orvane Desk.msi"));
    v.patchRead = value(archive ? (server ? L"ORVHPatch.zip" : L"ORVDPatch.zip")
                                : (server ? L"ORVHPatch.msp" : L"ORVDPatch.msp"));
    v.patch = v.patchRead;
    if (VersionGreater(s.installed, v.patch)) v.patch.clear();
    if (VersionGreater(v.update, v.patch)) v.patch.clear();
    return v;
}

void CheckOutcome(const Situation& s, const Journal& j, const StampedFileSystem& fs,
                  const std::map<std::wstring, std::string>& before, const std::wstring& installedAfter,
                  bool completed) {
    const auto& files = fs.inner;
    const std::wstring nuovo = Lower(s.Folder(L"Nuovo")), corrente = Lower(s.Folder(L"Corrente")),
                       vecchio = Lower(s.Folder(L"Vecchio"));
    const auto versions = ExpectedVersions(s);

    // The run's last installation result: the last full installation or patch; a repair
    // does not count.
    bool lastResult = false;
    bool installedOrPatched = false;
    for (const auto& call : j.installerCalls) {
        if (call.kind == Journal::InstallerCall::Repair) continue;
        lastResult = call.result;
        installedOrPatched = true;
    }
    const bool rotated = s.cfgPresent && !files.FileExists(s.Folder(L"Nuovo") + L"\\ORVHUpdate.cfg");
    const bool fullDue = versions && VersionGreater(versions->update, s.installed);
    const bool nothingDue = versions && !fullDue && !installedOrPatched && j.sourceAnswers.size() == 2 &&
                            j.sourceAnswers.back() && !VersionGreater(versions->patch, s.installed);
    const bool rotationAllowed = lastResult || nothingDue;

    // The rotation runs only after a successful last installation or when nothing was due,
    // and on a completed run always then.
    ORVH_FUZZ_CHECK(!rotated || rotationAllowed);
    if (completed && versions) ORVH_FUZZ_CHECK(rotated == rotationAllowed);

    // Nuovo: nothing lost or changed, except the six files the rotation clears.
    for (const auto& [path, content] : before) {
        const auto* now = files.Find(path);
        if (path.starts_with(nuovo + L"\\")) {
            if (!now) ORVH_FUZZ_CHECK(rotated && kClearedNames.count(path.substr(nuovo.size() + 1)) != 0);
            if (now) ORVH_FUZZ_CHECK(now->content == content);
        }
    }
    // Corrente: a copy that is replaced goes to Vecchio first; only the repair's copy of
    // the full package goes without one.
    const bool repaired = std::any_of(j.installerCalls.begin(), j.installerCalls.end(),
                                      [](const auto& c) { return c.kind == Journal::InstallerCall::Repair; });
    for (const auto& [path, content] : before) {
        if (!path.starts_with(corrente + L"\\")) continue;
        const auto* now = files.Find(path);
        if (now && now->content == content) continue;
        const std::wstring name = path.substr(corrente.size() + 1);
        if (repaired && (name == L"orvane hub.msi" || name == L"orvane desk.msi")) continue;
        const auto* kept = files.Find(vecchio + L"\\" + name);
        ORVH_FUZZ_CHECK(kept && kept->content == content);
    }
    // The running updater is never overwritten.
    const std::wstring own = Lower(s.programFolder);
    if (own == corrente || own == vecchio || own == nuovo) {
        const auto it = before.find(corrente + L"\\orvhupdate.exe");
        const auto* now = files.Find(corrente + L"\\orvhupdate.exe");
        ORVH_FUZZ_CHECK(it == before.end() ? now == nullptr : now && now->content == it->second);
    }
    // Nothing is installed, copied or deleted when the versions do not come into play.
    if (!versions) {
        ORVH_FUZZ_CHECK(j.installerCalls.empty());
        for (const auto& entry : files.Log()) ORVH_FUZZ_CHECK(entry.starts_with(L"mkdir "));
    } else {
        for (const auto& call : j.installerCalls) {
            if (call.kind == Journal::InstallerCall::Full) ORVH_FUZZ_CHECK(fullDue);
            if (call.kind == Journal::InstallerCall::Repair) ORVH_FUZZ_CHECK(!fullDue && !j.sourceAnswers.front());
            if (call.kind == Journal::InstallerCall::Patch) {
                ORVH_FUZZ_CHECK(VersionGreater(versions->patch, fullDue ? versions->update : s.installed));
            }
        }
    }

    if (j.ended) {
        // A forced restart ended the run: no start, no unload, no message, no rotation.
        ORVH_FUZZ_CHECK(j.starts.empty() && j.unloadAt == 0 && !rotated);
        for (const auto& m : j.messages) ORVH_FUZZ_CHECK(m.second < j.restartAt);
        return;
    }
    if (!completed) return;

    // The product, or the cluster resource, is started exactly once, after everything
    // else changed and before the window goes.
    const bool startable = !s.cluster.empty() || (!s.productExecutable.empty() && files.FileExists(s.productExecutable));
    ORVH_FUZZ_CHECK(j.starts.size() == (startable ? 1u : 0u));
    ORVH_FUZZ_CHECK(j.loads == 1 && j.shows == 1 && j.unloadAt != 0);
    if (!j.starts.empty()) {
        const auto& [line, at] = j.starts.front();
        ORVH_FUZZ_CHECK(at < j.unloadAt);
        for (const int change : j.fileChanges) ORVH_FUZZ_CHECK(change < at);
        for (const auto& call : j.installerCalls) ORVH_FUZZ_CHECK(call.at < at);
        if (s.cluster.empty()) {
            ORVH_FUZZ_CHECK(line == s.productExecutable + (lastResult ? L"" : L" /IgnoraAggiornamento") + L" /NoConsole");
        }
    }

    // Messages: 202 without the configuration file, 203 without an installed version,
    // 10001 for a due update that did not change the installed version, after the window.
    std::vector<std::wstring> expected;
    if (!s.cfgPresent) {
        expected.push_back(L"#202 'ORVHUpdate.cfg'");
    } else if (!s.edition || s.installed.empty()) {
        expected.push_back(L"#203 " + s.upgradeCode);
    } else if (versions && installedAfter == s.installed &&
               (VersionGreater(versions->update, installedAfter) || VersionGreater(versions->patch, installedAfter))) {
        expected.push_back(L"#10001");
    }
    std::vector<std::wstring> shown;
    for (const auto& [text, at] : j.messages) {
        shown.push_back(text);
        if (text == L"#10001") ORVH_FUZZ_CHECK(at > j.unloadAt);
    }
    ORVH_FUZZ_CHECK(shown == expected);
    if (std::count(shown.begin(), shown.end(), L"#10001") != 0) {
        ORVH_FUZZ_CHECK(VersionGreater(versions->update, s.installed) || VersionGreater(versions->patchRead, s.installed));
    }
}

} // namespace
} // namespace orvh::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace orvh;
    using namespace orvh::fuzz;
    FuzzedDataProvider data(bytes, size);
    Situation s = Decode(data);
    Journal journal;
    StampedFileSystem fs(journal);
    Populate(data, s, fs.inner);
    test::FakeProfile profile;
    WriteConfiguration(data, s, profile);
    const auto before = Snapshot(fs.inner, s);

    Services services(s, journal, fs, before);
    const IdTexts texts;
    const test::TextOnlyConversions conversions;
    const OvFileIni ini(profile, conversions);
    const RunSettings settings{s.cluster, s.processId, s.productExecutable, s.updateFolderValue, s.upgradeCode};
    RunServices run{fs,
                    ini,
                    texts,
                    services,
                    services,
                    services,
                    services,
                    services,
                    services,
                    services,
                    services,
                    [&](const std::wstring& version) { return services.RemoveOldFonts(version); },
                    [&](const std::wstring& path) { return services.FileVersion(path); },
                    [&](std::wstring_view text) -> std::optional<std::wstring> {
                        if (s.expansionFails) return std::nullopt;
                        return std::wstring(text);
                    },
                    s.programFolder,
                    L"1.0.1"};
    bool completed = false;
    try {
        RunUpdate(settings, run);
        completed = true;
    } catch (const Ended&) {
        ORVH_FUZZ_CHECK(journal.ended);
    } catch (const PlatformError&) {
        ORVH_FUZZ_CHECK(!journal.ended);
    }
    CheckOutcome(s, journal, fs, before, services.Installed(), completed);
    return 0;
}
