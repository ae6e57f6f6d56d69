#include "console/CliRequest.h"

#include <cstdlib>
#include <cstring>

namespace {

struct Named {
    const char* name;
    CliCommand command;
};
const Named kCommands[] = {
    {"list", CliCommand::kList},       {"snapshot", CliCommand::kSnapshot},
    {"compare", CliCommand::kCompare}, {"restore", CliCommand::kRestore},
    {"start", CliCommand::kStart},     {"stop", CliCommand::kStop},
    {"pause", CliCommand::kPause},     {"continue", CliCommand::kContinue},
    {"restart", CliCommand::kRestart}, {"watch", CliCommand::kWatch},
};

bool IsServiceCommand(CliCommand command) {
    return command == CliCommand::kStart || command == CliCommand::kStop ||
           command == CliCommand::kPause || command == CliCommand::kContinue ||
           command == CliCommand::kRestart;
}

bool TakesFile(CliCommand command) {
    return command == CliCommand::kSnapshot || command == CliCommand::kCompare ||
           command == CliCommand::kRestore;
}

// The formats a command writes; tables are every command's.
bool Writes(CliCommand command, CliFormat format) {
    if (format == CliFormat::kTable) return true;
    if (format == CliFormat::kCsv) return command == CliCommand::kList;
    return command == CliCommand::kList || command == CliCommand::kCompare ||
           command == CliCommand::kWatch;
}

// A whole decimal number that fits; false for anything else.
bool ReadNumber(const std::string& text, uint32_t* value) {
    if (text.empty() || text.size() > 9) return false;
    uint32_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + static_cast<uint32_t>(c - '0');
    }
    *value = number;
    return true;
}

class Reader {
public:
    Reader(const std::vector<std::string>& arguments, CliRequest* request)
        : args_(arguments), request_(*request) {}

    void Read() {
        if (args_.empty()) return Fail(CliRequest::kMissing, "");
        size_t at = 0;
        if (IsHelp(args_[0])) {
            request_.help = true;
            at = 1;
            if (at == args_.size()) return;
        }
        if (!ReadCommand(args_[at])) return;
        for (++at; at < args_.size() && request_.fault == CliRequest::kFine; ++at) {
            const std::string& arg = args_[at];
            if (IsHelp(arg)) {
                request_.help = true;
            } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
                ReadOption(arg.substr(2), &at);
            } else {
                ReadOperand(arg);
            }
        }
        if (request_.fault == CliRequest::kFine && !request_.help) CheckComplete();
    }

private:
    static bool IsHelp(const std::string& arg) {
        return arg == "--help" || arg == "-h" || arg == "/?" || arg == "help";
    }

    void Fail(CliRequest::Fault fault, const std::string& text) {
        if (request_.fault != CliRequest::kFine) return;
        request_.fault = fault;
        request_.faultText = text;
    }

    bool ReadCommand(const std::string& name) {
        for (const Named& known : kCommands)
            if (name == known.name) {
                request_.command = known.command;
                return true;
            }
        Fail(CliRequest::kUnknownCommand, name);
        return false;
    }

    // "--name value" or "--name=value".
    bool Value(const std::string& option, const std::string& name, size_t* at, std::string* value) {
        if (option == name) {
            if (*at + 1 >= args_.size()) {
                Fail(CliRequest::kMissing, "--" + name);
                return false;
            }
            *value = args_[++*at];
            return true;
        }
        if (option.compare(0, name.size() + 1, name + "=") == 0) {
            *value = option.substr(name.size() + 1);
            return true;
        }
        return false;
    }

    void ReadOption(const std::string& option, size_t* at) {
        CliCommand command = request_.command;
        std::string value;
        if (Value(option, "machine", at, &value)) {
            request_.machine = value;
        } else if (Value(option, "format", at, &value)) {
            CliFormat format = value == "table" ? CliFormat::kTable
                               : value == "csv" ? CliFormat::kCsv
                                                : CliFormat::kJson;
            if ((value != "table" && value != "csv" && value != "json") || !Writes(command, format))
                return Fail(CliRequest::kBadValue, "--format " + value);
            request_.format = format;
        } else if (Value(option, "timeout", at, &value)) {
            if (!ReadNumber(value, &request_.timeoutSeconds) || request_.timeoutSeconds == 0)
                Fail(CliRequest::kBadValue, "--timeout " + value);
        } else if (command == CliCommand::kWatch && Value(option, "interval", at, &value)) {
            if (!ReadNumber(value, &request_.intervalMs) || request_.intervalMs == 0)
                Fail(CliRequest::kBadValue, "--interval " + value);
        } else if (command == CliCommand::kRestore && Value(option, "service", at, &value)) {
            request_.services.push_back(value);
        } else if (option == "drivers") {
            request_.drivers = true;
        } else if (option == "active") {
            request_.active = true;
        } else if (option == "inactive") {
            request_.inactive = true;
        } else if (option == "yes" && command == CliCommand::kRestore) {
            request_.yes = true;
        } else if (option == "log" && command == CliCommand::kWatch) {
            request_.log = true;
        } else if (option == "enforce" && command == CliCommand::kWatch) {
            request_.enforce = true;
        } else {
            Fail(CliRequest::kUnknownOption, "--" + option);
        }
    }

    void ReadOperand(const std::string& arg) {
        if (arg.size() > 1 && arg[0] == '-') return Fail(CliRequest::kUnknownOption, arg);
        if (IsServiceCommand(request_.command)) {
            request_.services.push_back(arg);
        } else if (TakesFile(request_.command) && request_.file.empty()) {
            request_.file = arg;
        } else {
            Fail(CliRequest::kExtra, arg);
        }
    }

    void CheckComplete() {
        CliCommand command = request_.command;
        if (TakesFile(command) && request_.file.empty()) Fail(CliRequest::kMissing, "FILE");
        if (IsServiceCommand(command) && request_.services.empty())
            Fail(CliRequest::kMissing, "NAME");
    }

    const std::vector<std::string>& args_;
    CliRequest& request_;
};

}  // namespace

CliRequest ReadCliRequest(const std::vector<std::string>& arguments) {
    CliRequest request;
    Reader(arguments, &request).Read();
    return request;
}

const char* CliCommandName(CliCommand command) {
    for (const Named& known : kCommands)
        if (known.command == command) return known.name;
    return "";
}
