// The program's version, shared by its own version information and by every
// language module: a module is taken only with exactly this FileVersion text.
#pragma once
#define VANTOREL_VERSION_NUMBERS 1, 0, 0, 0
#define VANTOREL_FILE_VERSION_TEXT "1, 0, 0, 0"
#define VANTOREL_PRODUCT_VERSION_TEXT "1, 0, 0, 0"
