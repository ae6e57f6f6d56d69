#include "bench/Verdict.h"

namespace bench {

namespace {
bool g_failed = false;
}  // namespace

const char* Judge(double ratio, double target) {
    if (ratio <= target) return "PASS";
    g_failed = true;
    return "MISS";
}

void Fail() {
    g_failed = true;
}

int ExitStatus() {
    return g_failed ? 1 : 0;
}

}  // namespace bench
