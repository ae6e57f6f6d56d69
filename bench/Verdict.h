#pragma once
// Every ratio a benchmark measures is judged here against its target, so
// that all of them print their verdict alike and the program's exit status
// says whether any was missed: `make bench` fails on it.
namespace bench {

// "PASS" when `ratio` is at most `target`, otherwise "MISS", and the miss is
// kept for the exit status. A ratio that is no number misses.
const char* Judge(double ratio, double target);
// A result that came out wrong fails the benchmark whatever its speed.
void Fail();
// 0 when every ratio judged met its target and nothing failed, 1 otherwise.
int ExitStatus();

}  // namespace bench
