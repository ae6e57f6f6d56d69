#pragma once
// The console program's commands over the platform's interfaces, through
// the same document, change detection, restore passes and monitor pass as
// the program's windows. Exit statuses: 0 done (compare: no difference),
// 1 done with differences or with services not brought where asked, 2 not
// done (the arguments, the machine, the file).
#include <cstdint>
#include <string>

#include "console/CliRequest.h"
#include "monitor/HistoryLog.h"
#include "platform/Clock.h"
#include "platform/FileApi.h"
#include "platform/LocaleTime.h"
#include "platform/RegistryApi.h"
#include "platform/ScmApi.h"
#include "platform/TextSource.h"

namespace cli {

constexpr int kDone = 0;
constexpr int kDifferent = 1;
constexpr int kFailed = 2;

// Where the commands write: results to the output, messages to the errors.
class Output {
public:
    virtual ~Output() = default;
    // False once no one reads any more (a pipe closed early): the command
    // stops writing, and changes nothing more.
    virtual bool Out(const std::string& text) = 0;
    virtual void Err(const std::string& text) = 0;
};

// How a watch is asked to end (Ctrl+C), and its waits between passes.
class Stop {
public:
    virtual ~Stop() = default;
    virtual bool Requested() = 0;
    // Waits `ms` or until an end is asked, whichever comes first.
    virtual void Wait(uint32_t ms) = 0;
};

struct Platform {
    platform::ScmApi& scm;
    platform::RegistryApi& registry;
    platform::TextSource& texts;
    platform::Clock& clock;
    platform::FileSystem& files;
    platform::LocaleTime& locale;
};

int Run(const CliRequest& request, Platform& platform, HistoryLog& history, Output& output,
        Stop& stop);

}  // namespace cli
