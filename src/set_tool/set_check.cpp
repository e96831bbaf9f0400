#include "set_tool/set_check.h"

#include "common/string_ids.h"
#include "installer/version.h"
#include "main/product_start.h"
#include "set_rules/refusals.h"
#include "set_rules/version_rules.h"
#include "set_tool/delivery_expectations.h"
#include "set_tool/installed_classes.h"
#include "set_tool/set_plan.h"

#include <algorithm>
#include <cwctype>

namespace orvh::set_tool {
namespace {

std::wstring Message(std::int32_t id) { return L"message " + std::to_wstring(id); }

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

class Checker {
public:
    Checker(const SetFolder& set, const std::optional<Publisher>& publisher, const ProfileFunctions& profile,
            const LocaleConversions& numbers)
        : set_(set), publisher_(publisher), profile_(profile), numbers_(numbers),
          fileNames_(FileNameKeys(set.edition)), archive_(ArchiveKeys(set.edition)) {}

    std::vector<Finding> Run() {
        Arrivals();
        if (!set_.configurationPresent) {
            Error(std::wstring(kConfigurationFileName),
                  L"missing: the launcher installs nothing, shows " + Message(text::kConfigurationNotFound) +
                      L" and starts the product with " + std::wstring(kIgnoreUpdateSwitch));
        } else {
            Forms();
            Schemes();
            Files();
        }
        PatchAgainstPackage();
        Ignored();
        Timestamps();
        Refusals();
        return std::move(findings_);
    }

private:
    void Error(const std::wstring& file, const std::wstring& text) { findings_.push_back({Severity::Error, file, text}); }
    void Warning(const std::wstring& file, const std::wstring& text) {
        findings_.push_back({Severity::Warning, file, text});
    }
    const FileFacts* File(SetRole role) const {
        const auto found = set_.files.find(role);
        return found == set_.files.end() ? nullptr : &found->second;
    }
    // The versions announced for a role, each once: under the file-name key, then the archive
    // key. Two different ones are an error of their own.
    std::vector<std::wstring> Announced(SetRole role) const {
        std::vector<std::wstring> values;
        for (const VersionKeys* keys : {&fileNames_, &archive_}) {
            const std::wstring value = set_.Announced(keys->Of(role));
            if (!value.empty() && std::ranges::count(values, value) == 0) values.push_back(value);
        }
        return values;
    }
    std::wstring Own(SetRole role) const {
        const FileFacts* file = File(role);
        return file ? OwnVersion(*file, numbers_) : L"";
    }
    std::wstring Name(SetRole role) const { return FileNameOf(role, set_.edition); }

    void Forms() {
        for (const auto& [key, value] : set_.announced) {
            if (IsCanonicalVersion(value)) continue;
            Error(key, L"\"" + value + L"\" is not in the canonical form (four groups of four digits, as 0001.0002.0000.0100): "
                       L"the launcher compares versions as text, so this one does not order as a version "
                       L"(1.2.0.0 lies above every canonical version and is installed at every run)");
        }
    }

    void Schemes() {
        for (const SetRole role : kSetRoles) {
            const std::wstring &name = fileNames_.Of(role), &archive = archive_.Of(role);
            const std::wstring a = set_.Announced(name), b = set_.Announced(archive);
            if (!a.empty() && !b.empty() && a != b) {
                Error(archive, L"announces " + b + L" where \"" + name + L"\" announces " + a +
                                   L": installations reading one key scheme get another version than those reading the other");
            }
        }
        // A run stopped after the full package leaves its version installed; the next run
        // reads the keys of that version and must find the rest of the set there.
        for (const std::wstring& update : Announced(SetRole::FullPackage)) {
            const VersionKeys reads = KeysRead(set_.edition, update, [&](const std::wstring& key) { return set_.Announced(key); });
            const bool archive = reads == archive_;
            for (const SetRole role : {SetRole::Patch, SetRole::Launcher}) {
                const std::wstring& key = reads.Of(role);
                if (File(role) && set_.Announced(key).empty() && !Announced(role).empty()) {
                    Error(std::wstring(kConfigurationFileName),
                          L"no \"" + key + L"\": once the full package " + update +
                              L" is installed, the launcher reads the " + (archive ? L"archive" : L"file-name") +
                              L" keys; a run stopped between the full package and the patch, or a later run, finds no "
                              L"version of " + Name(role) + L" there and the rotation deletes it unused. Write both key schemes");
                }
            }
        }
        // The server's installations up to the last that reads the file-name keys.
        if (set_.edition == Edition::Server) {
            const std::wstring upTo = FormatVersion(std::wstring(kServerLastFileNameKeys), false, numbers_);
            for (const SetRole role : kSetRoles) {
                const std::wstring &name = fileNames_.Of(role), &archive = archive_.Of(role);
                if (File(role) && set_.Announced(name).empty() && !set_.Announced(archive).empty()) {
                    Warning(std::wstring(kConfigurationFileName),
                            L"no \"" + name + L"\" beside \"" + archive + L"\": installations up to " + upTo +
                                L" read the file-name keys and are not offered " + name);
                }
            }
        }
    }

    // The launcher reads nothing of a set still being written, and uses no file that is not whole.
    void Arrivals() {
        for (const auto& [name, verdict] : set_.notArrived) {
            if (verdict.arrival == Arrival::BeingWritten) {
                Error(name, L"still being written by another program: the launcher changes nothing, shows no message and "
                            L"starts the product with " + std::wstring(kIgnoreUpdateSwitch) + L"; a later run installs the "
                            L"set. Write the set elsewhere on the same volume and rename it into Nuovo, the configuration "
                            L"file last");
                continue;
            }
            const std::wstring consequence =
                name == Name(SetRole::Launcher)
                    ? L"the launcher does not copy it into Corrente, and the rotation deletes it"
                    : std::wstring(L"the launcher does not ") + (name == Name(SetRole::Patch) ? L"apply it" : L"install it") +
                          L", counts it as failed, shows " + Message(text::kInstallationFailed) +
                          L" and leaves the set in Nuovo at every run";
            Error(name, L"not whole (" + verdict.fault + L"): " + consequence);
        }
    }

    void Files() {
        for (const SetRole role : kSetRoles) {
            const std::wstring name = Name(role);
            const std::vector<std::wstring> announced = Announced(role);
            if (set_.notArrived.count(name)) continue;
            if (!File(role)) {
                if (!announced.empty() && role != SetRole::Launcher) {
                    Error(name, L"announced (" + announced.front() + L") but not in the folder: the launcher installs "
                                L"nothing of it, shows " + Message(text::kInstallationFailed) +
                                L" and leaves the set in Nuovo at every run");
                }
                continue;
            }
            const std::wstring own = Own(role);
            if (own.empty()) {
                Error(name, role == SetRole::Launcher ? L"has no version resource" : L"its own version cannot be read");
                continue;
            }
            if (announced.empty()) {
                if (role == SetRole::FullPackage) {
                    Warning(name, L"not announced: never installed as an update, only used to repair a lost installation source");
                } else {
                    Error(name, std::wstring(L"not announced: never ") +
                                    (role == SetRole::Patch ? L"applied" : L"copied into Corrente") +
                                    L", and the rotation deletes it");
                }
            }
            for (const std::wstring& version : announced) {
                if (version == own) continue;
                Error(name, L"announced as " + version + L" but its own version is " + own +
                                (CarriesAnnouncedVersion(role)
                                     ? L": a launcher not signed decides by the announced version"
                                     : L": the launcher decides by the announced version and the product ends at the "
                                       L"patch's own"));
            }
        }
        if (const FileFacts* package = File(SetRole::FullPackage)) {
            const auto edition = EditionOf(package->package->upgradeCode);
            const std::wstring name = Name(SetRole::FullPackage);
            if (edition != set_.edition) {
                Error(name, L"upgrade code " + package->package->upgradeCode + L" is " +
                                (edition ? L"the one of " + std::wstring(ProductNameOf(*edition)) : std::wstring(L"of no edition")) +
                                L", not " + std::wstring(ProductNameOf(set_.edition)) +
                                L"'s: Windows Installer installs another product, the installed version does not change and "
                                L"the launcher shows " + Message(text::kInstallationFailed));
            } else if (package->package->productName != ProductNameOf(set_.edition)) {
                Error(name, L"product name \"" + package->package->productName + L"\" is not \"" +
                                std::wstring(ProductNameOf(set_.edition)) +
                                L"\": once installed, the launcher finds no installed product (" +
                                Message(text::kNoInstalledVersion) + L")");
            }
        }
    }

    void PatchAgainstPackage() {
        const FileFacts* patch = File(SetRole::Patch);
        if (!patch) return;
        const std::wstring name = Name(SetRole::Patch);
        for (const auto& target : patch->patch->targets) {
            const auto edition = EditionOf(target.upgradeCode);
            if (!target.upgradeCode.empty() && edition != set_.edition) {
                Error(name, L"targets upgrade code " + target.upgradeCode + L", not " +
                                std::wstring(ProductNameOf(set_.edition)) + L"'s: Windows Installer does not apply it");
                return;
            }
        }
        std::vector<std::pair<std::wstring, std::wstring>> told;
        for (const VersionKeys* keys : {&fileNames_, &archive_}) {
            const std::wstring update = set_.Announced(keys->fullPackage), patchVersion = set_.Announced(keys->patchPackage);
            if (std::ranges::count(told, std::pair(update, patchVersion))) continue;
            told.emplace_back(update, patchVersion);
            if (!update.empty() && !patchVersion.empty() && !PatchNewerThan(update, patchVersion)) {
                Error(name, L"announced as " + patchVersion + L", not above the full package's " + update +
                                L": the launcher ignores the patch whenever it installs the full package");
            }
        }
        const FileFacts* package = File(SetRole::FullPackage);
        if (package && !TargetsFullPackage(*patch->patch, *package->package, numbers_)) {
            Error(name, L"does not target the full package (product " + package->package->productCode + L", version " +
                            package->package->productVersion +
                            L"): after the full package Windows Installer does not apply it, and the set stays in Nuovo");
        }
    }

    // The launcher uses only its edition's files; the rotation deletes the set's files of
    // either edition and leaves anything else in Nuovo.
    void Ignored() {
        std::vector<std::wstring> used{Lower(std::wstring(kConfigurationFileName))};
        for (const SetRole role : kSetRoles) used.push_back(Lower(Name(role)));
        std::vector<std::wstring> cleared;
        for (const auto& name : FilesOfTheSet()) cleared.push_back(Lower(name));
        for (const auto& entry : set_.entries) {
            if (std::ranges::count(used, Lower(entry))) continue;
            const std::wstring ofEdition = L"not a file of " + std::wstring(ProductNameOf(set_.edition)) + L"'s update set";
            Warning(entry, std::ranges::count(cleared, Lower(entry))
                               ? ofEdition + L": the launcher does not use it, and the rotation deletes it"
                               : ofEdition + L": the launcher ignores it, and it stays in Nuovo");
        }
    }

    // Time stamps: a signature without one dies with its certificate.
    void Timestamps() {
        for (const auto& [role, file] : set_.files) {
            if (file.signature.signature.state != SignatureState::Valid || file.signature.timestamped) continue;
            Warning(Name(role), L"signature not time-stamped: it stops verifying when the certificate expires, and a signed "
                                L"launcher then refuses the set");
        }
    }

    // The signature a signed launcher of the set's publisher carries: the one given, else the
    // first valid signer's among the set's files; none when nothing names a publisher.
    std::optional<FileSignature> SignedLauncher() const {
        FileSignature launcher{SignatureState::Valid, 0, L"", 0, {}, L"", L""};
        if (publisher_) {
            launcher.publisher = publisher_->name;
            launcher.subjectText = publisher_->text;
            return launcher;
        }
        for (const auto& [role, file] : set_.files) {
            if (file.signature.signature.state != SignatureState::Valid) continue;
            launcher.publisher = file.signature.signature.publisher;
            launcher.subjectText = file.signature.signature.subjectText;
            return launcher;
        }
        return std::nullopt;
    }

    // What makes a signed launcher refuse a file, in the check's words.
    std::wstring Cause(SetRole role, Refusal refusal, const FileSignature& launcher, const std::wstring& announced) const {
        const FileFacts& file = *File(role);
        const FileSignature& signature = file.signature.signature;
        switch (refusal) {
        case Refusal::NotSigned:
            return L"not signed, " + std::wstring(publisher_ ? L"a publisher was given" : L"beside signed files");
        case Refusal::NotValid: return L"its signature does not verify (" + signature.resultName + L")";
        case Refusal::OtherPublisher:
            return L"signed by \"" + signature.subjectText + L"\", not by " +
                   (publisher_ ? L"the publisher" : L"the set's first signer") + L" \"" + launcher.subjectText + L"\"";
        case Refusal::VersionsDisagree: {
            const std::wstring own = Own(role);
            return L"its own version " + (own.empty() ? std::wstring(L"(none)") : own) + L" is not the announced " +
                   (announced.empty() ? std::wstring(L"(none)") : announced);
        }
        case Refusal::None: break;
        }
        return L"";
    }

    // A signed launcher verifies only the files its road uses: each installed version the set
    // can meet is run, with its installation source there and lost, and each refusal is told
    // with the installations that make it.
    void Refusals() {
        const std::optional<FileSignature> launcher = SignedLauncher();
        if (!set_.configurationPresent || !launcher) return;
        std::vector<std::wstring> points;
        for (const SetRole role : {SetRole::FullPackage, SetRole::Patch}) {
            for (const auto& version : Announced(role)) {
                if (IsCanonicalVersion(version)) points.push_back(version);
            }
        }
        const auto classes = InstalledClasses(points, set_.edition);
        struct Refused {
            SetRole role;
            Refusal refusal;
            std::wstring announced;
            std::vector<std::size_t> withSource, sourceLost;
        };
        std::vector<Refused> refused;
        for (std::size_t i = 0; i < classes.size(); ++i) {
            for (const bool sourceMissing : {false, true}) {
                const PlanCase planCase{classes[i].representative, L"", sourceMissing, launcher};
                const RunPlan run = PlanRun(set_, planCase, profile_, numbers_).run;
                if (run.verdict.refusal == Refusal::None || !run.road) continue;
                const auto used = std::ranges::find(run.road->files, run.verdict.file, &SetFile::path);
                if (used == run.road->files.end()) continue;
                auto found = std::ranges::find_if(refused, [&](const Refused& r) {
                    return r.role == used->role && r.refusal == run.verdict.refusal && r.announced == used->announced;
                });
                if (found == refused.end()) found = refused.insert(refused.end(), {used->role, run.verdict.refusal, used->announced, {}, {}});
                (sourceMissing ? found->sourceLost : found->withSource).push_back(i);
            }
        }
        for (const auto& r : refused) {
            std::vector<std::size_t> both, lostOnly, thereOnly;
            std::ranges::set_intersection(r.withSource, r.sourceLost, std::back_inserter(both));
            std::ranges::set_difference(r.sourceLost, r.withSource, std::back_inserter(lostOnly));
            std::ranges::set_difference(r.withSource, r.sourceLost, std::back_inserter(thereOnly));
            std::wstring who;
            const auto add = [&](const std::vector<std::size_t>& indices, const wchar_t* qualifier) {
                if (indices.empty()) return;
                who += (who.empty() ? L"" : L", and ") + InstallationsOf(classes, indices, numbers_) + qualifier;
            };
            add(both, L"");
            add(lostOnly, L" whose installation source is lost");
            add(thereOnly, L" whose installation source is there");
            std::wstring finding = Cause(r.role, r.refusal, *launcher, r.announced) + L": " + who + L" refuse the set (" +
                                   Message(ReasonTextOf(r.refusal)) + L")";
            // The launcher's floor: only a launcher not above the one offered uses it, hence verifies it.
            if (r.role == SetRole::Launcher && publisher_ && publisher_->certificate) {
                finding += L" when the launcher that runs is not above " + FormatVersion(r.announced, false, numbers_) +
                           L": a signed launcher never puts one older than itself into Corrente, and a certificate "
                           L"does not tell which version runs";
            }
            Error(Name(r.role), finding);
        }
    }

    const SetFolder& set_;
    const std::optional<Publisher>& publisher_;
    const ProfileFunctions& profile_;
    const LocaleConversions& numbers_;
    const VersionKeys fileNames_, archive_;
    std::vector<Finding> findings_;
};

} // namespace

std::vector<Finding> CheckSet(const SetFolder& set, const std::optional<Publisher>& publisher,
                              const ProfileFunctions& profile, const LocaleConversions& numbers) {
    return Checker(set, publisher, profile, numbers).Run();
}

bool HasErrors(const std::vector<Finding>& findings) {
    return std::ranges::any_of(findings, [](const Finding& f) { return f.severity == Severity::Error; });
}

} // namespace orvh::set_tool
