#pragma once
// Work that waits on the platform (a machine that answers slowly or not at
// all) runs on a thread of its own while the window thread goes on
// answering: it paints, moves and serves its modeless dialogs.
#include <functional>

namespace answering {

// Runs `work` on a thread of its own and answers this thread's windows
// until it is done: true. False when the user gives it up with Esc (where
// `escGivesUp`) or the program is asked to end (the quit is passed on): the
// work then finishes on its own thread with what it holds, and nothing of
// it is used.
bool Run(std::function<void()> work, bool escGivesUp = true);

// Work given up that has not finished yet: a program that ends while some
// is left ends its process at once, before anything that work may still
// reach is destroyed.
int Outstanding();

}  // namespace answering
