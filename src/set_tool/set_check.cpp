#include "set_tool/set_check.h"

#include "installer/version.h"
#include "main/update_folders.h"
#include "main/update_set.h"
#include "system/platform_error.h"

#include <algorithm>
#include <cwctype>

namespace orvh::set_tool {
namespace {

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

class Checker {
public:
    Checker(const SetFolder& set, const std::optional<Publisher>& publisher, SetFileReader& reader,
            const LocaleConversions& numbers)
        : set_(set), publisher_(publisher), reader_(reader), numbers_(numbers),
          fileNames_(FileNameKeys(set.edition)), archive_(ArchiveKeys(set.edition)) {}

    std::vector<Finding> Run() {
        Arrivals();
        if (!set_.configurationPresent) {
            Error(std::wstring(kConfigurationFileName),
                  L"missing: the launcher installs nothing, shows message 202 and starts the product with /IgnoraAggiornamento");
        } else {
            Forms();
            Schemes();
            Files();
        }
        PatchAgainstPackage();
        Ignored();
        Signatures();
        return std::move(findings_);
    }

private:
    void Error(const std::wstring& file, const std::wstring& text) { findings_.push_back({Severity::Error, file, text}); }
    void Warning(const std::wstring& file, const std::wstring& text) {
        findings_.push_back({Severity::Warning, file, text});
    }
    const FileFacts* File(Role role) const {
        const auto found = set_.files.find(role);
        return found == set_.files.end() ? nullptr : &found->second;
    }
    // The version announced for a role: under the file-name key, else the archive key.
    std::wstring Announced(Role role) const {
        const auto& [name, archive] = Keys(role);
        const std::wstring value = set_.Announced(name);
        return value.empty() ? set_.Announced(archive) : value;
    }
    std::pair<std::wstring, std::wstring> Keys(Role role) const {
        if (role == Role::FullPackage) return {fileNames_.fullPackage, archive_.fullPackage};
        if (role == Role::Patch) return {fileNames_.patchPackage, archive_.patchPackage};
        return {fileNames_.updater, archive_.updater};
    }
    std::wstring Own(Role role) const {
        const FileFacts* file = File(role);
        if (!file) return L"";
        if (role == Role::FullPackage) return Canonical(file->package->productVersion, numbers_);
        if (role == Role::Patch) {
            return file->patch->targets.empty() ? L"" : Canonical(file->patch->targets.front().resultingVersion, numbers_);
        }
        return Canonical(file->executableVersion, numbers_);
    }

    void Forms() {
        for (const auto& [key, value] : set_.announced) {
            if (IsCanonicalVersion(value)) continue;
            Error(key, L"\"" + value + L"\" is not in the canonical form (four groups of four digits, as 0001.0002.0000.0100): "
                       L"the launcher compares versions as text, so this one does not order as a version "
                       L"(1.2.0.0 lies above every canonical version and is installed at every run)");
        }
    }

    void Schemes() {
        for (const Role role : {Role::FullPackage, Role::Patch, Role::Launcher}) {
            const auto& [name, archive] = Keys(role);
            const std::wstring a = set_.Announced(name), b = set_.Announced(archive);
            if (!a.empty() && !b.empty() && a != b) {
                Error(archive, L"announces " + b + L" where \"" + name + L"\" announces " + a +
                                   L": installations reading one key scheme get another version than those reading the other");
            }
        }
        // A run stopped after the full package leaves its version installed; the next run
        // reads the keys of that version and must find the rest of the set there.
        const std::wstring update = Announced(Role::FullPackage);
        if (!update.empty()) {
            const bool archive = ReadsArchiveKeys(set_.edition, update, set_.Announced(archive_.fullPackage));
            const VersionKeys& reads = archive ? archive_ : fileNames_;
            for (const Role role : {Role::Patch, Role::Launcher}) {
                const std::wstring key = role == Role::Patch ? reads.patchPackage : reads.updater;
                if (File(role) && set_.Announced(key).empty() && !Announced(role).empty()) {
                    Error(std::wstring(kConfigurationFileName),
                          L"no \"" + key + L"\": once the full package " + update +
                              L" is installed, the launcher reads the " + (archive ? L"archive" : L"file-name") +
                              L" keys; a run stopped between the full package and the patch, or a later run, finds no "
                              L"version of " + NameOf(role, set_.edition) +
                              L" there and the rotation deletes it unused. Write both key schemes");
                }
            }
        }
        // Installations of the server up to 1.1.601 read only the file-name keys.
        if (set_.edition == Edition::Server) {
            for (const Role role : {Role::FullPackage, Role::Patch, Role::Launcher}) {
                const auto& [name, archive] = Keys(role);
                if (File(role) && set_.Announced(name).empty() && !set_.Announced(archive).empty()) {
                    Warning(std::wstring(kConfigurationFileName),
                            L"no \"" + name + L"\" beside \"" + archive +
                                L"\": installations up to 1.1.601 read the file-name keys and are not offered " + name);
                }
            }
        }
    }

    // The launcher reads nothing of a set still being written, and uses no file that is not whole.
    void Arrivals() {
        for (const auto& [name, verdict] : set_.notArrived) {
            if (verdict.arrival == Arrival::BeingWritten) {
                Error(name, L"still being written by another program: the launcher changes nothing, shows no message and "
                            L"starts the product with /IgnoraAggiornamento; a later run installs the set. Write the set "
                            L"elsewhere on the same volume and rename it into Nuovo, the configuration file last");
                continue;
            }
            const std::wstring consequence =
                name == NameOf(Role::Launcher, set_.edition)
                    ? L"the launcher does not copy it into Corrente, and the rotation deletes it"
                    : std::wstring(L"the launcher does not ") +
                          (name == NameOf(Role::Patch, set_.edition) ? L"apply it" : L"install it") +
                          L", counts it as failed, shows message 10001 and leaves the set in Nuovo at every run";
            Error(name, L"not whole (" + verdict.fault + L"): " + consequence);
        }
    }

    void Files() {
        for (const Role role : {Role::FullPackage, Role::Patch, Role::Launcher}) {
            const std::wstring name = NameOf(role, set_.edition);
            const std::wstring announced = Announced(role);
            if (set_.notArrived.count(name)) continue;
            if (!File(role)) {
                if (!announced.empty() && role != Role::Launcher) {
                    Error(name, L"announced (" + announced + L") but not in the folder: the launcher installs nothing of it, "
                                L"shows message 10001 and leaves the set in Nuovo at every run");
                }
                continue;
            }
            const std::wstring own = Own(role);
            if (own.empty()) {
                Error(name, role == Role::Launcher ? L"has no version resource: a signed launcher refuses the set (message 10006)"
                                                   : L"its own version cannot be read");
                continue;
            }
            if (announced.empty()) {
                if (role == Role::FullPackage) {
                    Warning(name, L"not announced: never installed as an update, only used to repair a lost installation source");
                } else {
                    Error(name, std::wstring(L"not announced: never ") +
                                    (role == Role::Patch ? L"applied" : L"copied into Corrente") +
                                    L", and the rotation deletes it");
                }
            } else if (announced != own) {
                Error(name, L"announced as " + announced + L" but its own version is " + own +
                                (role == Role::Patch
                                     ? L": the launcher decides by the announced version and the product ends at the patch's own"
                                     : L": a signed launcher refuses the set (message 10006); an unsigned one decides by the "
                                       L"announced version"));
            }
        }
        if (const FileFacts* package = File(Role::FullPackage)) {
            const auto edition = EditionOf(package->package->upgradeCode);
            const std::wstring name = NameOf(Role::FullPackage, set_.edition);
            if (edition != set_.edition) {
                Error(name, L"upgrade code " + package->package->upgradeCode + L" is " +
                                (edition ? L"the one of " + std::wstring(ProductNameOf(*edition)) : std::wstring(L"of no edition")) +
                                L", not " + std::wstring(ProductNameOf(set_.edition)) +
                                L"'s: Windows Installer installs another product, the installed version does not change and "
                                L"the launcher shows message 10001");
            } else if (package->package->productName != ProductNameOf(set_.edition)) {
                Error(name, L"product name \"" + package->package->productName + L"\" is not \"" +
                                std::wstring(ProductNameOf(set_.edition)) +
                                L"\": once installed, the launcher finds no installed product (message 203)");
            }
        }
    }

    void PatchAgainstPackage() {
        const FileFacts* patch = File(Role::Patch);
        if (!patch) return;
        const std::wstring name = NameOf(Role::Patch, set_.edition);
        for (const auto& target : patch->patch->targets) {
            const auto edition = EditionOf(target.upgradeCode);
            if (!target.upgradeCode.empty() && edition != set_.edition) {
                Error(name, L"targets upgrade code " + target.upgradeCode + L", not " +
                                std::wstring(ProductNameOf(set_.edition)) + L"'s: Windows Installer does not apply it");
                return;
            }
        }
        const std::wstring update = Announced(Role::FullPackage), patchVersion = Announced(Role::Patch);
        if (!update.empty() && !patchVersion.empty() && !VersionGreater(patchVersion, update)) {
            Error(name, L"announced as " + patchVersion + L", not above the full package's " + update +
                            L": the launcher ignores the patch whenever it installs the full package");
        }
        const FileFacts* package = File(Role::FullPackage);
        if (!package) return;
        const std::wstring packageVersion = Canonical(package->package->productVersion, numbers_);
        const bool targets = std::ranges::any_of(patch->patch->targets, [&](const PatchTarget& target) {
            return target.productCode == package->package->productCode &&
                   Canonical(target.version, numbers_) == packageVersion;
        });
        if (!targets) {
            Error(name, L"does not target the full package (product " + package->package->productCode + L", version " +
                            package->package->productVersion +
                            L"): after the full package Windows Installer does not apply it, and the set stays in Nuovo");
        }
    }

    void Ignored() {
        std::vector<std::wstring> used{Lower(std::wstring(kConfigurationFileName))};
        for (const Role role : {Role::FullPackage, Role::Patch, Role::Launcher}) used.push_back(Lower(NameOf(role, set_.edition)));
        for (const auto& entry : set_.entries) {
            if (std::ranges::count(used, Lower(entry))) continue;
            Warning(entry, L"not a file of " + std::wstring(ProductNameOf(set_.edition)) +
                               L"'s update set: the launcher ignores it");
        }
    }

    void Signatures() {
        const FileFacts* first = nullptr;
        bool anySigned = false;
        for (const auto& [role, file] : set_.files) anySigned = anySigned || file.signature.signature.state != SignatureState::Unsigned;
        for (const auto& [role, file] : set_.files) {
            const std::wstring name = NameOf(role, set_.edition);
            const FileSignature& signature = file.signature.signature;
            if (signature.state == SignatureState::Unsigned) {
                if (anySigned || publisher_) {
                    Error(name, L"not signed, " + std::wstring(publisher_ ? L"a publisher was given" : L"beside signed files") +
                                    L": a signed launcher refuses the set (message 10003)");
                }
                continue;
            }
            if (signature.state == SignatureState::NotValid) {
                Error(name, L"its signature does not verify (" + signature.resultName +
                                L"): a signed launcher refuses the set (message 10005)");
                continue;
            }
            if (publisher_ && !SamePublisher(signature.publisher, publisher_->name)) {
                Error(name, L"signed by \"" + signature.subjectText + L"\", not by the publisher \"" + publisher_->text +
                                L"\": a signed launcher refuses the set (message 10004)");
            } else if (!publisher_ && first && !SamePublisher(signature.publisher, first->signature.signature.publisher)) {
                Error(name, L"signed by \"" + signature.subjectText + L"\", " + NameOf(first->role, set_.edition) +
                                L" by \"" + first->signature.signature.subjectText +
                                L"\": a signed launcher refuses the set (message 10004)");
            }
            if (!first) first = &file;
            if (!file.signature.timestamped) {
                Warning(name, L"signature not time-stamped: it stops verifying when the certificate expires, and a signed "
                              L"launcher then refuses the set");
            }
        }
    }

    const SetFolder& set_;
    const std::optional<Publisher>& publisher_;
    SetFileReader& reader_;
    const LocaleConversions& numbers_;
    const VersionKeys fileNames_, archive_;
    std::vector<Finding> findings_;
};

} // namespace

std::wstring Canonical(const std::wstring& version, const LocaleConversions& numbers) {
    try {
        const std::wstring canonical = FormatVersion(version, true, numbers);
        return IsCanonicalVersion(canonical) ? canonical : L"";
    } catch (const PlatformError&) {
        return L"";
    }
}

std::vector<Finding> CheckSet(const SetFolder& set, const std::optional<Publisher>& publisher, SetFileReader& reader,
                              const LocaleConversions& numbers) {
    return Checker(set, publisher, reader, numbers).Run();
}

bool HasErrors(const std::vector<Finding>& findings) {
    return std::ranges::any_of(findings, [](const Finding& f) { return f.severity == Severity::Error; });
}

} // namespace orvh::set_tool
