#pragma once
// The display's scaling as the program sees it. The program tells the system
// it follows the system's scaling (its manifest): the system then draws its
// windows unstretched, and every size in pixels the program picks itself is
// scaled here. The system's scaling stays what it was at the program's start
// for the program's life, so it is read once.
#include <windows.h>

namespace dpi {

constexpr int kStandard = 96;  // dots per inch at 100 %

// The system's dots per inch.
int System();
// `pixels` at 100 %, at the system's scaling.
int Scale(int pixels);

// The pictures are drawn at 16, 20, 24 and 32 pixels, for 100, 125, 150 and
// 200 %: the step (0 to 3) of the largest not bigger than the scaling asks,
// so that a picture is never stretched.
int PictureStepFor(int dotsPerInch);
int PictureSizeFor(int dotsPerInch);
// The id of a picture resource at the system's scaling: the sized pictures
// follow the 100 % one at this distance per step.
constexpr UINT kPictureIdStep = 10000;
UINT SizedPictureId(UINT id);

}  // namespace dpi
