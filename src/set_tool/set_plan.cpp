#include "set_tool/set_plan.h"

#include "common/journal.h"
#include "ini/ov_file_ini.h"
#include "ini/profile_functions.h"
#include "installer/installation.h"
#include "installer/installed_product.h"
#include "installer/installer_engine.h"
#include "installer/version.h"
#include "main/update_run.h"
#include "main/product_start.h"
#include "main/update_folders.h"
#include "main/update_set.h"
#include "resources/string_table.h"
#include "set_tool/delivery_expectations.h"
#include "system/delivered_files.h"
#include "system/file_system.h"
#include "system/folder_access.h"
#include "system/folder_identity.h"
#include "system/message_pump.h"
#include "system/platform_error.h"
#include "system/processes.h"
#include "ui/dialogs.h"
#include "ui/progress_view.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>

namespace orvh::set_tool {
namespace {

const std::wstring kProgramFolder = L"C:\\Orvane";
const std::wstring kLauncher = kProgramFolder + L"\\OrvhUpdate.exe";
const std::wstring kUpdateFolder = kProgramFolder + L"\\Aggiornamenti";
const UpdateFolders kFolders = UpdateFoldersUnder(kUpdateFolder);
const std::wstring kProduct = kProgramFolder + L"\\Prodotto.exe";
const std::wstring kUnknownProduct = L"{00000000-0000-0000-0000-000000000000}";
constexpr wchar_t kIdStart = L'\uE000', kIdEnd = L'\uE001';

// How the simulation stops a run between the full package and the patch.
struct Stopped {};

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

std::wstring Parent(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

// A simulated file: one of the set's files, a launcher of a version, or anything else.
struct Content {
    std::optional<SetRole> role;
    std::wstring launcherVersion;
    ArrivalVerdict arrival = {}; // how the file arrived in Nuovo; its copies keep it
    bool operator==(const Content&) const = default;
};

struct Product {
    std::wstring code, name, upgradeCode, version, source, package;
};

class NoWindow final : public ProgressView {
public:
    void SetCaption(std::wstring_view) override {}
    void SetLabel(WindowLabel, std::wstring_view) override {}
    void StepSuccessivo() override {}
    void SetInconStep(bool) override {}
    void Show() override {}
};

class World final : public FileSystem, public ProfileFunctions, public StringTable, public Dialogs, public MessagePump,
                    public ProgressWindowLoader, public InstallerEngine, public ProcessWaiter, public ProgramStarter,
                    public SystemRestart, public ProgramEnd, public Journal, public SignatureVerifier,
                    public FolderIdentity, public DeliveredFiles, public FolderAccess, public EndReporter {
public:
    World(const SetFolder& set, const PlanCase& planCase, const ProfileFunctions& profile,
          const LocaleConversions& numbers)
        : set_(set), case_(planCase), profile_(profile), numbers_(numbers) {
        for (const auto* folder : {&kProgramFolder, &kUpdateFolder, &kFolders.nuovo}) folders_.insert(Lower(*folder));
        Put(kProduct, {std::nullopt, L""});
        Put(kLauncher, {std::nullopt, L""});
        if (set.configurationPresent) Put(Nuovo(std::wstring(kConfigurationFileName)), {std::nullopt, L""});
        for (const SetRole role : kSetRoles) {
            const std::wstring name = FileNameOf(role, set.edition);
            if (set.files.count(role) || set.notArrived.count(name)) Put(Nuovo(name), {role, L"", ArrivedInNuovo(name)});
        }
        const std::wstring fullPackage = FileNameOf(SetRole::FullPackage, set.edition);
        if (!planCase.correnteLauncher.empty()) {
            folders_.insert(Lower(kFolders.corrente));
            Put(CorrenteLauncher(), {std::nullopt, planCase.correnteLauncher});
        }
        // The installed product is the set's full package's when that is its version.
        std::wstring code = kUnknownProduct;
        if (const auto found = set.files.find(SetRole::FullPackage); found != set.files.end()) {
            if (OwnVersion(found->second, numbers) == planCase.installed) {
                code = found->second.package->productCode;
            }
        }
        // Installed by an earlier run, from its copy in Setup.
        const std::wstring source = kUpdateFolder + L"\\Setup\\" + code;
        for (const auto& folder : {kUpdateFolder + L"\\Setup", source}) folders_.insert(Lower(folder));
        if (!planCase.sourceMissing) Put(source + L"\\" + fullPackage, {std::nullopt, L""});
        products_.push_back({code, std::wstring(ProductNameOf(set.edition)), std::wstring(UpgradeCodeOf(set.edition)),
                             FormatVersion(planCase.installed, false, numbers), source, fullPackage});
    }

    RunPlan Execute(bool stopAfterFullPackage) {
        stopAfterFullPackage_ = stopAfterFullPackage;
        plan_ = RunPlan{};
        plan_.installed = InstalledVersion();
        const std::wstring upgradeCode(UpgradeCodeOf(set_.edition));
        OvFileIni ini(*this, numbers_);
        InstallerOperations installer(*this, *this, *this, Identity, numbers_, upgradeCode, *this, *this);
        const InstalledProductQueries queries{*this, *this, Identity, numbers_};
        RunServices services{
            .folder = {.fileSystem = *this, .ini = ini, .folderIdentity = *this, .folderAccess = *this, .delivered = *this,
                       .signatures = *this,
                       .fileVersion = [&queries](const std::wstring& path) { return GetFileVersion(queries, path, true); },
                       .packageVersion = [&queries](const std::wstring& path) { return GetPackageVersion(queries, path); },
                       .expand = Identity},
            .product = {.installer = installer, .waiter = *this, .starter = *this, .clusterTool = L"",
                        .removeOldFonts = [](const std::wstring&) { return false; }, .restart = *this, .end = *this,
                        .ending = *this},
            .person = {.texts = *this, .dialogs = *this, .pump = *this, .windows = *this, .numbers = numbers_,
                       .journal = *this},
            .program = {.path = kLauncher, .folder = kProgramFolder, .version = L"", .elevated = false}};
        const RunSettings settings{L"", 0, kProduct, kUpdateFolder, upgradeCode};
        RunRecord record;
        try {
            const RunDecision decision = RunUpdate(settings, services, record);
            plan_.keys = decision.keys;
            plan_.road = decision.road;
            plan_.verdict = decision.verdict;
        } catch (const PlatformError& error) {
            plan_.errorReport = error.Number();
            record.errorReport = error.Number();
            Write(L"Error report: error " + std::to_wstring(error.Number()) + L": " + error.Description());
        }
        const RunEnd& end = DecideEnd(record);
        plan_.exitCode = end.exitCode;
        plan_.eventId = end.eventId;
        plan_.announced = {set_.Announced(plan_.keys.fullPackage), set_.Announced(plan_.keys.patchPackage),
                           set_.Announced(plan_.keys.updater)};
        plan_.endVersion = InstalledVersion();
        plan_.rotated = set_.configurationPresent && !FileExists(Nuovo(std::wstring(kConfigurationFileName)));
        return plan_;
    }
    // Whether the run installed the full package and then went on to a patch.
    bool FullPackageThenPatch() const { return fullPackageInstalled_ && patchAttempted_; }

    // FileSystem
    bool FileExists(const std::wstring& path) const override { return files_.count(Lower(path)) != 0; }
    bool FolderExists(const std::wstring& path) const override { return folders_.count(Lower(path)) != 0; }
    void CreateFolder(const std::wstring& path) override {
        Refuse(!FolderExists(Parent(path)) || FolderExists(path), 3, L"CreateFolder");
        folders_.insert(Lower(path));
    }
    void CopyFile(const std::wstring& source, const std::wstring& destination) override {
        Refuse(!FileExists(source) || !FolderExists(Parent(destination)), 3, L"CopyFile");
        files_[Lower(destination)] = files_[Lower(source)];
        if (Lower(destination) == Lower(CorrenteLauncher()) && files_[Lower(source)].role == SetRole::Launcher) {
            plan_.launcherReplaced = true;
        }
    }
    bool SameContent(const std::wstring& a, const std::wstring& b) const override {
        return FileExists(a) && FileExists(b) && files_.at(Lower(a)) == files_.at(Lower(b));
    }
    std::vector<std::wstring> EntryNames(const std::wstring& folder) const override {
        std::vector<std::wstring> names;
        const auto add = [&](const std::wstring& path) {
            if (Parent(path) == Lower(folder)) names.push_back(path.substr(path.rfind(L'\\') + 1));
        };
        for (const auto& [path, content] : files_) add(path);
        for (const auto& path : folders_) add(path);
        return names;
    }
    Deletion DeleteFile(const std::wstring& path) override {
        Refuse(files_.erase(Lower(path)) == 0, 2, L"DeleteFile");
        return Deletion::Deleted;
    }
    Deletion DeleteFolder(const std::wstring& path) override {
        Refuse(folders_.erase(Lower(path)) == 0, 3, L"DeleteFolder");
        const std::wstring inside = Lower(path) + L"\\";
        std::erase_if(files_, [&](const auto& entry) { return entry.first.starts_with(inside); });
        std::erase_if(folders_, [&](const auto& folder) { return folder.starts_with(inside); });
        return Deletion::Deleted;
    }
    std::wstring GetFilePath(const std::wstring& path) const override { return path; }
    // The simulated update folder holds no links and nobody else to keep out.
    std::optional<std::wstring> LinkTarget(const std::wstring&) const override { return std::nullopt; }
    void HoldFolder(const std::wstring&) override {}
    void ReleaseFolder(const std::wstring&) override {}

    // FolderAccess: the launcher's folders are taken as its own already; their access lists
    // change nothing the plan shows.
    std::optional<std::wstring> FinalPath(const std::wstring& folder) const override { return folder; }
    bool MayWriteIn(const std::wstring&) const override { return true; }
    Protection Protect(const std::wstring&) override { return {ProtectResult::Protected, 0}; }
    std::vector<std::wstring> ForeignEntries(const std::wstring&) const override { return {}; }

    // ProfileFunctions: the set's ORVHUpdate.cfg is read from the real file, as long as the
    // simulated Nuovo holds it.
    void GetString(const std::wstring& section, const std::wstring& key, const std::wstring& defaultText,
                   std::wstring& buffer, std::size_t size, const std::wstring& file) const override {
        if (Lower(file) == Lower(Nuovo(std::wstring(kConfigurationFileName))) && FileExists(file)) {
            profile_.GetString(section, key, defaultText, buffer, size, set_.PathOf(kConfigurationFileName));
        } else if (size > 0) {
            const std::size_t length = std::min(defaultText.size(), size - 1);
            std::copy_n(defaultText.begin(), length, buffer.begin());
            buffer[length] = L'\0';
        }
    }
    void WriteString(const std::wstring&, const std::wstring&, const std::wstring&, const std::wstring&) override {}

    // Texts are their ids, so that each box tells which strings it is made of.
    std::wstring LoadDllString(std::int32_t index) const override {
        return std::wstring(1, kIdStart) + std::to_wstring(index) + kIdEnd;
    }
    bool ShowMessage(std::wstring_view text, std::wstring_view, MessageIcon) override {
        std::vector<std::int32_t> ids;
        for (auto at = text.find(kIdStart); at != text.npos; at = text.find(kIdStart, at + 1)) {
            ids.push_back(std::stoi(std::wstring(text.substr(at + 1, text.find(kIdEnd, at) - at - 1))));
        }
        plan_.messages.push_back(ids);
        return true;
    }
    void ProcessPendingMessages() override {}
    std::unique_ptr<ProgressView> Load() override { return std::make_unique<NoWindow>(); }

    // Windows Installer
    void SetUiLevel(int level) override { uiLevel_ = level; }
    std::vector<std::wstring> Products() override {
        std::vector<std::wstring> codes;
        for (const auto& product : products_) codes.push_back(product.code);
        return codes;
    }
    std::optional<std::wstring> ProductInfo(const std::wstring& code, const std::wstring& attribute) override {
        const Product* product = Find(code);
        if (!product) return std::nullopt;
        if (attribute == L"InstalledProductName") return product->name;
        if (attribute == L"VersionString") return product->version;
        if (attribute == L"InstallSource") return product->source + L"\\";
        if (attribute == L"PackageName") return product->package;
        return std::nullopt;
    }
    std::optional<std::wstring> ProductUpgradeCode(const std::wstring& code) override {
        const Product* product = Find(code);
        return product ? std::optional(product->upgradeCode) : std::nullopt;
    }
    std::wstring PackageProperty(const std::wstring& path, const std::wstring& property) override {
        const PackageFacts& package = Package(path);
        if (property == L"ProductVersion") return package.productVersion;
        if (property == L"ProductCode") return package.productCode;
        return L"";
    }
    std::optional<std::wstring> FileVersion(const std::wstring& path) override {
        if (!FileExists(path)) return std::nullopt;
        const Content& content = files_.at(Lower(path));
        std::wstring version = content.launcherVersion;
        if (content.role == SetRole::Launcher) version = set_.files.at(SetRole::Launcher).executableVersion;
        return version.empty() ? std::nullopt : std::optional(version);
    }
    unsigned InstallProduct(const std::wstring& path, const InstallRequest& request) override {
        const PackageFacts& package = Package(path);
        const bool repair = request.reinstall == Reinstall::LostSource;
        const unsigned result = Install(path, package, repair);
        Step(L"install " + FileSystem::GetFileName(path) + L" " + package.productVersion +
                 (repair ? L" [" + PropertiesOf(request) + L"]" : L""),
             result);
        if (result == 0 && !repair) {
            fullPackageInstalled_ = true;
            if (stopAfterFullPackage_) throw Stopped{};
        }
        return result;
    }
    unsigned ApplyPatch(const std::wstring& path, const InstallRequest&) override {
        patchAttempted_ = true;
        Refuse(!FileExists(path) || files_.at(Lower(path)).role != SetRole::Patch, 1620, L"ApplyPatch");
        bool applied = false;
        const PatchFacts& patch = *set_.files.at(SetRole::Patch).patch;
        for (auto& product : products_) {
            for (const auto& target : patch.targets) {
                // A product no package of the set describes is taken to be the one targeted.
                const std::wstring code = product.code == kUnknownProduct ? target.productCode : product.code;
                if (!applied && Targets(target, code, CanonicalVersion(product.version, numbers_), numbers_)) {
                    product.version = target.resultingVersion;
                    if (!target.resultingProductCode.empty()) product.code = target.resultingProductCode;
                    applied = true;
                }
            }
        }
        // Windows: the patch does not apply to any installed product.
        const unsigned result = applied ? 0 : 1642;
        Step(L"apply patch " + FileSystem::GetFileName(path), result);
        return result;
    }

    // Where a reinstallation finds the package is not simulated: the installed product's
    // package is always found.
    void AddSource(const std::wstring&, const std::wstring&) override {}

    ProcessWait AttendiProcesso(std::int32_t, bool) override { return {}; }
    void Pausa(std::int32_t) override {}
    void Start(const std::wstring&, const std::wstring& commandLine, ShowCommand) override {
        plan_.productCommandLine = commandLine;
        plan_.ignoreUpdate = commandLine.find(kIgnoreUpdateSwitch) != std::wstring::npos;
    }
    void RestartWindows(bool, const std::function<void()>& asking) override { asking(); }
    void Report(const RunRecord&) override {}
    [[noreturn]] void EndNow() override { throw Stopped{}; }
    void Write(std::wstring_view event) override { plan_.journal.emplace_back(event); }

    FileSignature Verify(const std::wstring& path, bool) override {
        if (Lower(path) == Lower(kLauncher)) {
            return case_.launcher.value_or(FileSignature{SignatureState::Unsigned, kTrustNoSignature,
                                                         L"TRUST_E_NOSIGNATURE", kTrustNoSignature, {}, {}, {}});
        }
        const Content& content = files_.at(Lower(path));
        return content.role ? set_.files.at(*content.role).signature.signature : FileSignature{};
    }
    // The simulated set cannot change under the run: every copy is the verified file's.
    bool HoldExactCopy(const std::wstring&, const std::wstring&) override { return true; }
    void Hold(const std::wstring&) override {}
    void Release(const std::wstring&) override {}
    bool SameFolder(const std::wstring& a, const std::wstring& b) const override { return Lower(a) == Lower(b); }

    // The set's files arrive as the tool found them.
    bool BeingWritten(const std::wstring& path) override {
        return FileExists(path) && Arrived(path).arrival == Arrival::BeingWritten;
    }
    ArrivalVerdict Check(const std::wstring& path, FileForm) override { return Arrived(path); }

    // The verdict the set gives a file of Nuovo by its name.
    ArrivalVerdict ArrivedInNuovo(const std::wstring& name) const {
        for (const auto& [notWhole, verdict] : set_.notArrived) {
            if (Lower(notWhole) == Lower(name)) return verdict;
        }
        return {};
    }

private:
    static std::optional<std::wstring> Identity(std::wstring_view text) { return std::wstring(text); }
    static void Refuse(bool refused, std::int32_t number, const wchar_t* source) {
        if (refused) throw PlatformError(number, source, L"refused by the simulated system");
    }
    static std::wstring Nuovo(const std::wstring& name) { return kFolders.nuovo + L"\\" + name; }
    static std::wstring CorrenteLauncher() { return kFolders.corrente + L"\\" + std::wstring(kLauncherFileName); }
    ArrivalVerdict Arrived(const std::wstring& path) const {
        return FileExists(path) ? files_.at(Lower(path)).arrival : ArrivalVerdict{};
    }
    void Put(const std::wstring& path, Content content) { files_[Lower(path)] = std::move(content); }
    Product* Find(const std::wstring& code) {
        for (auto& product : products_) {
            if (product.code == code) return &product;
        }
        return nullptr;
    }
    const PackageFacts& Package(const std::wstring& path) const {
        Refuse(!FileExists(path) || files_.at(Lower(path)).role != SetRole::FullPackage, 1620, L"OpenDatabase");
        return *set_.files.at(SetRole::FullPackage).package;
    }
    void Step(const std::wstring& call, unsigned result) {
        plan_.steps.push_back(call + L" at interface level " + std::to_wstring(uiLevel_) + L": " +
                              (result == 0 ? std::wstring(L"done") : L"error " + std::to_wstring(result)));
    }
    std::wstring InstalledVersion() {
        const InstalledProductQueries queries{*this, *this, Identity, numbers_};
        return GetInstalledVersion(queries, std::wstring(ProductNameOf(set_.edition)),
                                   std::wstring(UpgradeCodeOf(set_.edition)), true);
    }
    // A major upgrade replaces the products of its upgrade code and refuses to go below the
    // version installed; a reinstallation moves the product's source to the package's folder.
    unsigned Install(const std::wstring& path, const PackageFacts& package, bool reinstall) {
        const std::wstring version = CanonicalVersion(package.productVersion, numbers_);
        for (auto& product : products_) {
            if (product.upgradeCode != package.upgradeCode) continue;
            if (reinstall && (product.code == package.productCode || product.code == kUnknownProduct)) {
                product.code = package.productCode;
                product.source = Parent(path);
                product.package = FileSystem::GetFileName(path);
                return 0;
            }
            if (!reinstall && VersionGreater(CanonicalVersion(product.version, numbers_), version)) return 1603;
        }
        if (reinstall) return 1605;
        std::erase_if(products_, [&](const Product& product) { return product.upgradeCode == package.upgradeCode; });
        products_.push_back({package.productCode, package.productName, package.upgradeCode, package.productVersion,
                             Parent(path), FileSystem::GetFileName(path)});
        return 0;
    }

    const SetFolder& set_;
    const PlanCase& case_;
    const ProfileFunctions& profile_;
    const LocaleConversions& numbers_;
    std::map<std::wstring, Content> files_;
    std::set<std::wstring> folders_;
    std::vector<Product> products_;
    RunPlan plan_;
    int uiLevel_ = 0;
    bool stopAfterFullPackage_ = false;
    bool fullPackageInstalled_ = false;
    bool patchAttempted_ = false;
};

} // namespace

Plan PlanRun(const SetFolder& set, const PlanCase& planCase, const ProfileFunctions& profile,
             const LocaleConversions& numbers) {
    Plan plan;
    World world(set, planCase, profile, numbers);
    plan.run = world.Execute(false);
    if (world.FullPackageThenPatch()) {
        World stopped(set, planCase, profile, numbers);
        try {
            stopped.Execute(true);
        } catch (const Stopped&) {
        }
        plan.afterStop = stopped.Execute(false);
    }
    return plan;
}

} // namespace orvh::set_tool
