#include "platform/FileApi.h"

namespace platform {

bool ReadToEnd(File& file, std::string* out) {
    char buffer[64 * 1024];
    for (;;) {
        uint32_t got = 0;
        if (!file.Read(buffer, sizeof buffer, &got)) return false;
        if (got == 0) return true;
        out->append(buffer, got);
    }
}

}  // namespace platform
