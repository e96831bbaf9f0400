// orvh_make_patch.exe <target.msi> <upgraded.msi> <{patch code}> <output.msp>
// Writes a patch package that brings the target package's product to the upgraded
// package's version. Exit code 0 on success, 1 on failure, 2 for a wrong command line.
#include "patch_builder_win32.h"

#include "system/platform_error.h"

#include <cstdio>
#include <exception>

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        std::fwprintf(stderr, L"usage: orvh_make_patch <target.msi> <upgraded.msi> <{patch code}> <output.msp>\n");
        return 2;
    }
    try {
        orvh::msp::BuildPatch({argv[1], argv[2], argv[3], argv[4]});
        return 0;
    } catch (const orvh::PlatformError& error) {
        std::fwprintf(stderr, L"orvh_make_patch: %ls failed: %ls (%d)\n", error.Source().c_str(),
                      error.Description().c_str(), static_cast<int>(error.Number()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "orvh_make_patch: %s\n", error.what());
    }
    return 1;
}
