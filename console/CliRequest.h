#pragma once
// What a script asks of the console program, read from its arguments: the
// command, the machine, the filters, the output's form and the command's
// own arguments. A request that cannot be read names its fault.
#include <cstdint>
#include <string>
#include <vector>

enum class CliCommand {
    kNone,
    kList,
    kSnapshot,
    kCompare,
    kRestore,
    kStart,
    kStop,
    kPause,
    kContinue,
    kRestart,
    kWatch,
};

enum class CliFormat { kTable, kCsv, kJson };

struct CliRequest {
    CliCommand command = CliCommand::kNone;
    bool help = false;
    std::string machine;  // empty: the local machine
    // The filters named; a choice not named comes from the program's settings.
    bool drivers = false, active = false, inactive = false;
    CliFormat format = CliFormat::kTable;
    std::string file;                   // snapshot, compare, restore
    std::vector<std::string> services;  // the commands' names; restore's --service
    bool yes = false;                   // restore: do it, not only tell it
    uint32_t intervalMs = 60000;        // watch
    bool log = false;                   // watch: the history log as well
    bool enforce = false;               // watch: always running or stopped kept so
    uint32_t timeoutSeconds = 0;        // 0: the platform's own

    // Why the arguments could not be read; empty when they could.
    enum Fault { kFine, kUnknownCommand, kUnknownOption, kBadValue, kMissing, kExtra };
    Fault fault = kFine;
    std::string faultText;  // the argument at fault
};

// `arguments` without the program's own path.
CliRequest ReadCliRequest(const std::vector<std::string>& arguments);

// The command's name as it is typed; empty for none.
const char* CliCommandName(CliCommand command);
