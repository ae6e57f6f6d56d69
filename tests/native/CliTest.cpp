// The console program's core over the in-memory platform: its arguments,
// the forms it writes, and each command's output and exit status, with the
// rule that it never changes a service no one asked it to.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "console/CliRequest.h"
#include "console/CliRun.h"
#include "console/CliText.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeScm.h"

namespace sc = platform::scm;

namespace {

CliRequest Read(std::vector<std::string> arguments) {
    return ReadCliRequest(arguments);
}

TEST(CliRequestTest, CommandsTakeTheirOwnOptionsAndOperands) {
    CliRequest list = Read({"list", "--machine", "SERVER1", "--drivers", "--format=csv"});
    EXPECT_EQ(list.fault, CliRequest::kFine);
    EXPECT_EQ(list.command, CliCommand::kList);
    EXPECT_EQ(list.machine, "SERVER1");
    EXPECT_TRUE(list.drivers);
    EXPECT_EQ(list.format, CliFormat::kCsv);

    CliRequest restore = Read({"restore", "C:\\a b.rpt", "--service", "Web", "--service=Mail",
                               "--yes", "--timeout", "5"});
    EXPECT_EQ(restore.fault, CliRequest::kFine);
    EXPECT_EQ(restore.file, "C:\\a b.rpt");
    EXPECT_EQ(restore.services, (std::vector<std::string>{"Web", "Mail"}));
    EXPECT_TRUE(restore.yes);
    EXPECT_EQ(restore.timeoutSeconds, 5u);

    CliRequest stop = Read({"stop", "Web", "Mail"});
    EXPECT_EQ(stop.services, (std::vector<std::string>{"Web", "Mail"}));

    CliRequest watch = Read({"watch", "--interval", "250", "--format", "json", "--log"});
    EXPECT_EQ(watch.fault, CliRequest::kFine);
    EXPECT_EQ(watch.intervalMs, 250u);
    EXPECT_TRUE(watch.log);
    EXPECT_FALSE(watch.enforce) << "enforcement only when asked";

    EXPECT_TRUE(Read({"compare", "--help"}).help);
    EXPECT_TRUE(Read({"--help"}).help);
    EXPECT_EQ(Read({"--help"}).command, CliCommand::kNone);
}

TEST(CliRequestTest, EveryFaultNamesTheArgumentAtFault) {
    struct Case {
        std::vector<std::string> arguments;
        CliRequest::Fault fault;
        std::string text;
    };
    const Case cases[] = {
        {{}, CliRequest::kMissing, ""},
        {{"lsit"}, CliRequest::kUnknownCommand, "lsit"},
        {{"list", "--colour"}, CliRequest::kUnknownOption, "--colour"},
        {{"list", "-x"}, CliRequest::kUnknownOption, "-x"},
        // Another command's option is not this one's.
        {{"list", "--yes"}, CliRequest::kUnknownOption, "--yes"},
        {{"compare", "a.rpt", "--format", "csv"}, CliRequest::kBadValue, "--format csv"},
        {{"list", "--format", "xml"}, CliRequest::kBadValue, "--format xml"},
        {{"watch", "--interval", "0"}, CliRequest::kBadValue, "--interval 0"},
        {{"watch", "--interval", "-5"}, CliRequest::kBadValue, "--interval -5"},
        {{"watch", "--interval", "99999999999"}, CliRequest::kBadValue, "--interval 99999999999"},
        {{"list", "--timeout", "x"}, CliRequest::kBadValue, "--timeout x"},
        {{"list", "--machine"}, CliRequest::kMissing, "--machine"},
        {{"snapshot"}, CliRequest::kMissing, "FILE"},
        {{"start"}, CliRequest::kMissing, "NAME"},
        {{"compare", "a.rpt", "b.rpt"}, CliRequest::kExtra, "b.rpt"},
        {{"list", "Web"}, CliRequest::kExtra, "Web"},
    };
    for (const Case& c : cases) {
        CliRequest request = Read(c.arguments);
        std::string shown = c.arguments.empty() ? "(none)" : c.arguments.back();
        EXPECT_EQ(request.fault, c.fault) << shown;
        EXPECT_EQ(request.faultText, c.text) << shown;
    }
}

TEST(CliTextTest, CsvAndJsonKeepEveryCharacterAndTheTableAlignsItsColumns) {
    cli::Record record{
        {"name", "a \"quoted\", name"}, {"state", "4", true}, {"text", "x\\y\n\x01"}};
    EXPECT_EQ(cli::CsvLine(record, true), "\"name\",\"state\",\"text\"\r\n");
    EXPECT_EQ(cli::CsvLine(record, false), "\"a \"\"quoted\"\", name\",\"4\",\"x\\y\n\x01\"\r\n");
    EXPECT_EQ(
        cli::JsonObject(record),
        "{\"name\": \"a \\\"quoted\\\", name\", \"state\": 4, \"text\": \"x\\\\y\\u000a\\u0001\"}");
    EXPECT_EQ(cli::JsonArray({}), "[]\r\n");
    EXPECT_EQ(cli::JsonArray({{{"n", "1", true}}, {{"n", "2", true}}}),
              "[\r\n {\"n\": 1},\r\n {\"n\": 2}\r\n]\r\n");
    std::string table = cli::Table(
        {"Name", "State"}, {{{"name", "LongerName"}, {"s", "1", true}, {"state", "Running"}},
                            {{"name", "A"}, {"state", "Stopped"}}});
    EXPECT_EQ(table,
              "Name        State\r\n"
              "LongerName  Running\r\n"
              "A           Stopped\r\n");
}

class CapturedOutput : public cli::Output {
public:
    bool Out(const std::string& text) override {
        ++writes;
        if (closeAfter >= 0 && writes > closeAfter) return false;
        out += text;
        return true;
    }
    void Err(const std::string& text) override { err += text; }
    std::string out, err;
    int writes = 0;
    int closeAfter = -1;  // writes that reach a reader; -1: all
};

// Each wait is a pass's period: the test changes the machine there, and
// asks for the end after a number of them.
class ScriptedStop : public cli::Stop {
public:
    bool Requested() override { return waits >= endAfter; }
    void Wait(uint32_t ms) override {
        lastWait = ms;
        if (onWait) onWait(waits);
        ++waits;
    }
    int waits = 0, endAfter = 1;
    uint32_t lastWait = 0;
    std::function<void(int)> onWait;
};

const char* kSnapshot = "C:\\snaps\\web.rpt";
const char* kLog = "C:\\logs\\Vantorel.log";

class CliRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        scm.Add("Web", "Web server", sc::kRunning);
        scm.Add("Mail", "Mail server", sc::kStopped);
        scm.Add("Print", "Printing", sc::kRunning);
        files.AddFolder("C:\\snaps\\");
        files.AddFolder("C:\\logs\\");
        texts.strings[IDS_STATE_RUNNING] = "Running";
        texts.strings[IDS_STATE_STOPPED] = "Stopped";
        texts.strings[IDS_STATE_PAUSED] = "Paused";
        texts.strings[IDS_CLI_RESTORE_WOULD] = "%s would go from %s to %s";
        texts.strings[IDS_CLI_RESTORED] = "%s: restored";
        texts.strings[IDS_CLI_NOT_RESTORED] = "%s: not restored: %s";
        texts.strings[IDS_CLI_UNKNOWN_COMMAND] = "Unknown command: %s";
        texts.strings[IDS_CLI_USAGE] = "Usage";
        texts.strings[IDS_PROPERTIES_NOT_FOUND] = "No service %s";
        texts.strings[IDS_CLI_DAMAGED] = "%s damaged";
    }
    int Run(std::vector<std::string> arguments) {
        output.out.clear();
        output.err.clear();
        output.writes = 0;
        stop.waits = 0;
        CliRequest request = ReadCliRequest(arguments);
        return cli::Run(request, platform, history, output, stop);
    }
    void SetState(const char* name, uint32_t state) {
        fake::Service* s = scm.Get(name);
        s->status.currentState = state;
        s->status.controlsAccepted = state == sc::kStopped ? 0 : s->accepts;
    }
    uint32_t State(const char* name) { return scm.Get(name)->status.currentState; }
    void Action(const std::string& service, const char* name) {
        registry.PutDword(std::string(settings::kRootPath) + "\\CustomActions\\" + service, name,
                          1);
    }

    fake::Scm scm;
    fake::Registry registry;
    fake::Texts texts;
    fake::Clock clock;
    fake::FileSystem files;
    fake::LocaleTime locale;
    HistoryLog history{files, locale, texts};
    cli::Platform platform{scm, registry, texts, clock, files, locale};
    CapturedOutput output;
    ScriptedStop stop;
};

TEST_F(CliRunTest, ListWritesEveryServiceOnceInEachForm) {
    scm.Get("Web")->account = ".\\WebUser";
    scm.Get("Web")->status.serviceType = 0x50;
    ASSERT_EQ(Run({"list", "--format", "json"}), cli::kDone) << output.err;
    EXPECT_NE(output.out.find("{\"name\": \"Web\", \"displayName\": \"Web server\", \"state\": 4, "
                              "\"stateText\": \"Running\", \"startType\": 3"),
              std::string::npos)
        << output.out;
    EXPECT_NE(output.out.find("\"account\": \".\\\\WebUser\""), std::string::npos);
    for (const char* name : {"\"Mail\"", "\"Print\""})
        EXPECT_NE(output.out.find(name), std::string::npos) << name;
    // A per-user service of Windows 10: its bit by the platform's name.
    EXPECT_NE(output.out.find("\"type\": 80, \"typeText\": "
                              "\"SERVICE_WIN32_OWN_PROCESS | SERVICE_USER_SERVICE\""),
              std::string::npos)
        << output.out;

    // The start type's text says what the list's column says: a delayed or
    // trigger start as well.
    texts.strings[IDS_START_TYPE_BASE + sc::kAutoStart] = "Auto";
    texts.strings[IDS_START_TYPE_BASE + sc::kDemandStart] = "Manual";
    texts.strings[IDS_START_TYPE_DELAYED] = "Auto (delayed)";
    texts.strings[IDS_START_TYPE_TRIGGERED] = " (trigger)";
    scm.Get("Mail")->startType = sc::kAutoStart;
    scm.Get("Mail")->delayedAutoStart = true;
    scm.Get("Web")->triggers = {2};  // an IP address arriving
    ASSERT_EQ(Run({"list", "--format", "json"}), cli::kDone) << output.err;
    EXPECT_NE(output.out.find("\"startType\": 2, \"startTypeText\": \"Auto (delayed)\""),
              std::string::npos)
        << output.out;
    EXPECT_NE(output.out.find("\"startType\": 3, \"startTypeText\": \"Manual (trigger)\""),
              std::string::npos)
        << output.out;
    EXPECT_NE(output.out.find("\"startType\": 3, \"startTypeText\": \"Manual\""), std::string::npos)
        << "Print has neither flag: " << output.out;

    ASSERT_EQ(Run({"list", "--format", "csv"}), cli::kDone);
    EXPECT_EQ(output.out.substr(0, output.out.find("\r\n")),
              "\"name\",\"displayName\",\"state\",\"stateText\",\"startType\",\"startTypeText\","
              "\"account\",\"type\",\"typeText\"");
    EXPECT_NE(output.out.find("\"Mail\",\"Mail server\",\"1\",\"Stopped\""), std::string::npos);

    // Only active services, as the open services dialog filters them.
    ASSERT_EQ(Run({"list", "--active"}), cli::kDone);
    EXPECT_EQ(output.out.find("Mail"), std::string::npos) << output.out;
    EXPECT_NE(output.out.find("Print"), std::string::npos);
}

TEST_F(CliRunTest, SnapshotThenCompareFindsNothingThenTheChangeMadeOutside) {
    ASSERT_EQ(Run({"snapshot", kSnapshot}), cli::kDone) << output.err;
    ASSERT_TRUE(files.Exists(kSnapshot));
    EXPECT_EQ(Run({"compare", kSnapshot}), cli::kDone) << output.out << output.err;

    SetState("Web", sc::kStopped);
    ASSERT_EQ(Run({"compare", kSnapshot, "--format", "json"}), cli::kDifferent) << output.err;
    EXPECT_NE(output.out.find("\"name\": \"Web\""), std::string::npos) << output.out;
    EXPECT_NE(output.out.find("\"oldState\": 4"), std::string::npos);
    EXPECT_NE(output.out.find("\"newState\": 1"), std::string::npos);
    EXPECT_EQ(output.out.find("Mail"), std::string::npos) << "an unchanged service is no change";
}

TEST_F(CliRunTest, ADamagedSnapshotOrAnUnreachableMachineIsAnErrorThatChangesNothing) {
    ASSERT_EQ(Run({"snapshot", kSnapshot}), cli::kDone);
    SetState("Web", sc::kStopped);
    std::string whole = files.Get(kSnapshot);
    // Cut inside the last section, as a copy that stopped half-way leaves it.
    size_t cut = whole.rfind("CurrentState = ") + 15;
    files.Put(kSnapshot, whole.substr(0, cut));
    EXPECT_EQ(Run({"restore", kSnapshot, "--yes"}), cli::kFailed);
    EXPECT_NE(output.err.find("damaged"), std::string::npos) << output.err;
    EXPECT_EQ(State("Web"), sc::kStopped) << "nothing restored from a damaged file";
    EXPECT_EQ(Run({"compare", kSnapshot}), cli::kFailed);
    files.Put(kSnapshot, whole.substr(0, 10));
    EXPECT_EQ(Run({"compare", kSnapshot}), cli::kFailed);
    EXPECT_EQ(Run({"compare", "C:\\snaps\\none.rpt"}), cli::kFailed);
    EXPECT_FALSE(output.err.empty());

    scm.Fail(fake::Call::OpenSCManager, 1722);  // the RPC server is unavailable
    EXPECT_EQ(Run({"list", "--machine", "FAR"}), cli::kFailed);
    EXPECT_NE(output.err.find(scm.FormatMessageA(1722)), std::string::npos) << output.err;
    EXPECT_EQ(Run({"stop", "Print", "--machine", "FAR"}), cli::kFailed);
    scm.ClearFailures();
    EXPECT_EQ(State("Print"), sc::kRunning);
}

TEST_F(CliRunTest, RestoreTellsWithoutYesAndBringsBackOnlyWhatWasAskedWithIt) {
    ASSERT_EQ(Run({"snapshot", kSnapshot}), cli::kDone);
    SetState("Web", sc::kStopped);
    SetState("Mail", sc::kRunning);

    EXPECT_EQ(Run({"restore", kSnapshot}), cli::kDone) << output.err;
    EXPECT_NE(output.out.find("Web would go from Stopped to Running"), std::string::npos)
        << output.out;
    EXPECT_NE(output.out.find("Mail would go from Running to Stopped"), std::string::npos);
    EXPECT_EQ(State("Web"), sc::kStopped) << "without --yes nothing changes";
    EXPECT_EQ(State("Mail"), sc::kRunning);

    EXPECT_EQ(Run({"restore", kSnapshot, "--service", "Web", "--yes"}), cli::kDone)
        << output.out << output.err;
    EXPECT_NE(output.out.find("Web: restored"), std::string::npos) << output.out;
    EXPECT_EQ(State("Web"), sc::kRunning);
    EXPECT_EQ(State("Mail"), sc::kRunning) << "not named, not touched";

    // A name that is no service is said so; the others are still restored.
    EXPECT_EQ(Run({"restore", kSnapshot, "--service", "Nope", "--service", "Mail", "--yes"}),
              cli::kDifferent);
    EXPECT_NE(output.err.find("No service Nope"), std::string::npos) << output.err;
    EXPECT_EQ(State("Mail"), sc::kStopped);
}

TEST_F(CliRunTest, RestoreReportsAServiceThatRefusesAndExitsWithDifferences) {
    ASSERT_EQ(Run({"snapshot", kSnapshot}), cli::kDone);
    SetState("Web", sc::kStopped);
    scm.Fail(fake::Call::StartService, 1058, "Web");  // the service is disabled
    EXPECT_EQ(Run({"restore", kSnapshot, "--yes"}), cli::kDifferent);
    EXPECT_NE(output.out.find("Web: not restored: "), std::string::npos) << output.out;
    EXPECT_EQ(State("Web"), sc::kStopped);
}

TEST_F(CliRunTest, ServiceCommandsActOnEachNameAndSayWhichFailed) {
    EXPECT_EQ(Run({"stop", "Web", "Nope", "Print"}), cli::kDifferent);
    EXPECT_EQ(State("Web"), sc::kStopped);
    EXPECT_EQ(State("Print"), sc::kStopped) << "a bad name stops no other";
    EXPECT_NE(output.err.find("No service Nope"), std::string::npos) << output.err;
    EXPECT_NE(output.out.find("Web: Stopped"), std::string::npos) << output.out;

    EXPECT_EQ(Run({"start", "Web"}), cli::kDone) << output.err;
    EXPECT_EQ(Run({"pause", "Web"}), cli::kDone) << output.err;
    EXPECT_EQ(State("Web"), sc::kPaused);
    EXPECT_EQ(Run({"continue", "Web"}), cli::kDone) << output.err;
    EXPECT_EQ(State("Web"), sc::kRunning);
    // Continuing a service that is not paused is the manager's refusal.
    EXPECT_EQ(Run({"continue", "Mail"}), cli::kDifferent);
    EXPECT_EQ(State("Mail"), sc::kStopped);
    EXPECT_EQ(Run({"restart", "Web"}), cli::kDone) << output.err;
    EXPECT_EQ(State("Web"), sc::kRunning);
}

TEST_F(CliRunTest, WatchPrintsEachChangeAsALineAndEndsTheLogSession) {
    SettingsStore(registry).WriteLogFilePath(kLog);
    stop.endAfter = 4;
    stop.onWait = [this](int wait) {
        if (wait == 1) SetState("Web", sc::kStopped);
        if (wait == 2) scm.Add("New", "New one", sc::kRunning);
    };
    ASSERT_EQ(Run({"watch", "--interval", "500", "--format", "json", "--log"}), cli::kDone)
        << output.err;
    EXPECT_EQ(stop.lastWait, 500u);
    ASSERT_EQ(output.writes, 2) << output.out;
    EXPECT_NE(output.out.find("\"name\": \"Web\""), std::string::npos) << output.out;
    EXPECT_NE(output.out.find("\"name\": \"New\""), std::string::npos);
    EXPECT_EQ(output.out.find("\r\n"), output.out.find('}') + 1) << "one object a line";

    std::string log = files.Get(kLog);
    EXPECT_NE(log.find("|Web"), std::string::npos) << log;
    EXPECT_NE(log.find("|New"), std::string::npos) << log;
    EXPECT_FALSE(history.IsOpen()) << "the session's end record written and the log closed";
}

TEST_F(CliRunTest, WatchKeepsMarkedServicesOnlyWithEnforceAndStopsWhenNoOneReads) {
    Action("Mail", "AlwaysRunning");
    stop.endAfter = 2;
    ASSERT_EQ(Run({"watch", "--interval", "10"}), cli::kDone);
    EXPECT_EQ(State("Mail"), sc::kStopped) << "no service changed unasked";
    ASSERT_EQ(Run({"watch", "--interval", "10", "--enforce"}), cli::kDone);
    EXPECT_EQ(State("Mail"), sc::kRunning);

    // A reader gone: the watch ends at the next change instead of running on.
    stop = ScriptedStop{};
    stop.endAfter = 1000;
    stop.onWait = [this](int wait) { SetState("Web", wait % 2 ? sc::kStopped : sc::kRunning); };
    output.closeAfter = 0;
    ASSERT_EQ(Run({"watch", "--interval", "10"}), cli::kDone);
    EXPECT_LT(stop.waits, 5);
}

TEST_F(CliRunTest, BadArgumentsGiveTheUsageOnStandardErrorAndExitTwo) {
    EXPECT_EQ(Run({"lsit"}), cli::kFailed);
    EXPECT_EQ(output.err, "Unknown command: lsit\r\nUsage\r\n");
    EXPECT_TRUE(output.out.empty());
    EXPECT_EQ(Run({"--help"}), cli::kDone);
    EXPECT_EQ(output.out, "Usage\r\n");
    EXPECT_EQ(Run({"stop", "--yes", "Web"}), cli::kFailed);
    EXPECT_EQ(State("Web"), sc::kRunning) << "a command with a fault does nothing";
}

}  // namespace
