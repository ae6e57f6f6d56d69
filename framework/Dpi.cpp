#include "framework/Dpi.h"

#include "platform/win32/Handles.h"

namespace dpi {

int System() {
    static const int dotsPerInch = [] {
        WindowDC screen(nullptr);
        int read = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
        return read > 0 ? read : kStandard;
    }();
    return dotsPerInch;
}

int Scale(int pixels) {
    return ::MulDiv(pixels, System(), kStandard);
}

int PictureStepFor(int dotsPerInch) {
    if (dotsPerInch >= 2 * kStandard) return 3;
    if (dotsPerInch >= kStandard * 3 / 2) return 2;
    if (dotsPerInch >= kStandard * 5 / 4) return 1;
    return 0;
}

int PictureSizeFor(int dotsPerInch) {
    static const int kSizes[] = {16, 20, 24, 32};
    return kSizes[PictureStepFor(dotsPerInch)];
}

UINT SizedPictureId(UINT id) {
    return id + kPictureIdStep * static_cast<UINT>(PictureStepFor(System()));
}

}  // namespace dpi
