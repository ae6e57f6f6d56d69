#pragma once
// Sounds as the program plays them: winmm's PlaySoundA of a WAVE resource,
// with the platform's flags, so that what the program asks to hear can be
// checked where no sound device is.
#include <cstdint>

#include "platform/ModuleApi.h"

namespace platform {

namespace sound {
constexpr uint32_t kSync = 0x0;
constexpr uint32_t kNoDefault = 0x2;
constexpr uint32_t kResource = 0x40004;
}  // namespace sound

class SoundApi {
public:
    virtual ~SoundApi() = default;
    // Plays resource `id` of `module` as `flags` say; false when nothing played.
    virtual bool PlaySoundA(unsigned id, ModuleHandle module, uint32_t flags) = 0;
};

}  // namespace platform
