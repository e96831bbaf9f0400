// OvResDll: wave sounds.
#include "resources/ov_res_dll_win32.h"

#include <mmsystem.h>

namespace orvh {

bool OvResDll::PlayWave(std::int32_t index) const {
    const auto id = IntegerResourceId(index);
    if (!id) return false;
    // An asynchronous PlaySoundW may look for the sound only on its background thread and
    // report success before it has; a missing sound is found out here first, with the
    // same look-up.
    if (::FindResourceW(module_.get(), MAKEINTRESOURCEW(*id), L"WAVE") == nullptr) return false;
    return ::PlaySoundW(MAKEINTRESOURCEW(*id), module_.get(), SND_RESOURCE | SND_ASYNC) != FALSE;
}

} // namespace orvh
