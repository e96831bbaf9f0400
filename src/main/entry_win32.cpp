// The launcher's entry procedure: start-up, then the update run.
#include "ini/ov_file_ini.h"
#include "ini/profile_functions_win32.h"
#include "main/startup.h"
#include "resources/ov_res_dll_win32.h"
#include "system/file_system_win32.h"
#include "system/locale_conversions_win32.h"
#include "system/single_instance_win32.h"
#include "system/win32_error_win32.h"
#include "ui/message_box_win32.h"
#include "ui/mouse_pointer_win32.h"

#include <memory>
#include <new>

namespace orvh {
namespace {

// The tail upper-cased by the system's rules, one code unit for one.
std::wstring UpperCased(std::wstring_view tail) {
    std::wstring upper(tail);
    if (!upper.empty()) ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

// The platform's error report for an error nothing caught.
void ReportUnhandledError(const PlatformError& error) {
    Win32Dialogs().ShowMessage(UnhandledErrorReportText(error), L"OrvhUpdate", MessageIcon::CriticalStop);
}

void Run() {
    Win32Dialogs dialogs;
    Win32MousePointer pointer;
    const VariantLocaleConversions conversions;
    Win32ProfileFunctions profile;

    // The three objects the whole run shares, in their order of creation.
    auto fileSystem = std::make_unique<Win32FileSystem>();
    auto ini = std::make_unique<OvFileIni>(profile, conversions);
    auto resources = std::make_unique<OvResDll>();

    const NamedMutexInstanceGuard instances;
    const std::wstring tail(CommandTail(::GetCommandLineW()));
    const auto settings = StartUp(tail, UpperCased(tail), {*resources, dialogs, instances, pointer, conversions});
    if (!settings) return;

    resources.reset();
    fileSystem.reset();
    ini.reset();
    pointer.SetHourglass(false);
}

} // namespace
} // namespace orvh

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        orvh::Run();
    } catch (const orvh::PlatformError& error) {
        orvh::ReportUnhandledError(error);
    } catch (const std::bad_alloc&) {
        orvh::ReportUnhandledError(orvh::Win32Error(ERROR_NOT_ENOUGH_MEMORY, L"OrvhUpdate"));
    }
    return 0;
}
