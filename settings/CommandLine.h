#pragma once
// How the program was started, read from its arguments: an automation
// start, a registration, a snapshot to restore from, and what a program
// that started this one with more rights was showing.
#include <cstdint>
#include <string>
#include <vector>

struct CommandLine {
    enum class Registration { kNone, kRegister, kUnregister };

    bool automation = false;  // /Automation or /Embedding
    Registration registration = Registration::kNone;
    std::string snapshot;  // the first argument that is not a flag
    // "/Handover:<process>", "/Machine:<name>", "/View:<mode>".
    uint32_t handoverProcess = 0;
    std::string machine;
    int view = 0;
};

// `arguments` without the program's own path. Flags begin with '/' or '-'
// and are read in any letter case; flags the program does not know (the
// shell's print verbs) are passed over.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The arguments that hand the machine and view shown over to a program
// started again with more rights, which waits for `process` to end.
std::string HandoverArguments(uint32_t process, int view, const std::string& machine);
