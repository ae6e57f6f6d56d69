#pragma once
#include "platform/SoundApi.h"

namespace platform {

class Win32Sound : public SoundApi {
public:
    bool PlaySoundA(unsigned id, ModuleHandle module, uint32_t flags) override;
};

}  // namespace platform
