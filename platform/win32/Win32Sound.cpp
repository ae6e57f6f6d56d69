#include "platform/win32/Win32Sound.h"

#include <windows.h>
#include <mmsystem.h>

namespace platform {

static_assert(sound::kSync == SND_SYNC && sound::kNoDefault == SND_NODEFAULT &&
                  sound::kResource == SND_RESOURCE,
              "the platform's flags");

bool Win32Sound::PlaySoundA(unsigned id, ModuleHandle module, uint32_t flags) {
    return ::PlaySoundA(MAKEINTRESOURCEA(id), static_cast<HMODULE>(module), flags) != FALSE;
}

}  // namespace platform
