#include "console/CliRun.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "console/CliText.h"
#include "document/ChangeList.h"
#include "document/PendingChanges.h"
#include "document/Restore.h"
#include "document/ServicesDocument.h"
#include "document/SnapshotSave.h"
#include "monitor/MonitorCycle.h"
#include "platform/MessageText.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "views/ServiceListModel.h"
#include "views/ServiceTreeModel.h"

namespace cli {

namespace {

// The machine and filters asked for; a filter not named is the program's
// own, as it opens a machine.
void Configure(ServiceList& list, const CliRequest& request, platform::RegistryApi& registry) {
    SettingsStore store(registry);
    list.win32 = static_cast<uint32_t>(store.Read(settings::kWin32));
    list.driver = static_cast<uint32_t>(store.Read(settings::kDriver));
    list.active = static_cast<uint32_t>(store.Read(settings::kActive));
    list.inactive = static_cast<uint32_t>(store.Read(settings::kInactive));
    if (request.drivers) list.driver = 1;
    if (request.active || request.inactive) {
        list.active = request.active ? 1 : 0;
        list.inactive = request.inactive ? 1 : 0;
    }
    list.SetDatabaseName(nullptr);
    list.SetMachineName(ServicesDocument::MachineName(request.machine).c_str());
}

class Runner {
public:
    Runner(const CliRequest& request, Platform& platform, HistoryLog& history, Output& output,
           Stop& stop)
        : request_(request),
          p_(platform),
          history_(history),
          out_(output),
          stop_(stop),
          document_(platform.scm, platform.registry, platform.texts, platform.clock) {}

    int Run() {
        switch (request_.command) {
            case CliCommand::kList:
                return List();
            case CliCommand::kSnapshot:
                return Snapshot();
            case CliCommand::kCompare:
                return Compare();
            case CliCommand::kRestore:
                return Restore();
            case CliCommand::kWatch:
                return Watch();
            default:
                return Commands();
        }
    }

private:
    std::string Text(unsigned id) { return p_.texts.Text(id); }
    std::string StateText(uint32_t state) { return Text(StateTextId(state)); }
    int Fail(const std::string& message) {
        out_.Err(message + "\r\n");
        return kFailed;
    }
    int LoadFailure(const ServiceList& list) {
        return Fail(Text(IDS_ERROR_LOADING_SERVICES) + "\n" + list.GetErrorText());
    }
    // The reference alone: what a snapshot saves and a comparison reads.
    bool LoadReference() {
        Configure(document_.referenceList, request_, p_.registry);
        document_.referenceValid = document_.referenceList.Enumerate();
        return document_.referenceValid;
    }
    // The list commands act on, and the reference beside it.
    bool LoadBoth() {
        Configure(document_.currentList, request_, p_.registry);
        return document_.LoadServices();
    }

    int List();
    int Snapshot();
    bool CompareWithSnapshot();
    int Compare();
    int Restore();
    int Commands();
    int Watch();
    Record ChangeRecord(const ServiceChange& change);
    bool WriteRecords(const std::vector<std::string>& titles, const std::vector<Record>& records);

    const CliRequest& request_;
    Platform& p_;
    HistoryLog& history_;
    Output& out_;
    Stop& stop_;
    ServicesDocument document_;
};

bool Runner::WriteRecords(const std::vector<std::string>& titles,
                          const std::vector<Record>& records) {
    switch (request_.format) {
        case CliFormat::kJson:
            return out_.Out(JsonArray(records));
        case CliFormat::kCsv: {
            if (!records.empty() && !out_.Out(CsvLine(records.front(), true))) return false;
            for (const Record& record : records)
                if (!out_.Out(CsvLine(record, false))) return false;
            return true;
        }
        default:
            return out_.Out(Table(titles, records));
    }
}

// One configuration query a service, for its start type and account, and
// one more at most for the delayed or trigger start the list shows too.
int Runner::List() {
    ServiceList& list = document_.currentList;
    Configure(list, request_, p_.registry);
    if (!list.Enumerate()) return LoadFailure(list);
    std::vector<Record> records;
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        const ServiceEntry& entry = *list.EntryAt(i);
        platform::ServiceConfigRecord* config = nullptr;
        StartFlags flags;
        bool read = list.QueryConfigAndStart(entry.name, &config, &flags);
        std::string startType = read ? std::to_string(config->startType) : "null";
        std::string startText = read ? StartTypeCellText(config->startType, flags,
                                                         [&](unsigned id) { return Text(id); })
                                     : std::string();
        std::string account = read && config->serviceStartName ? config->serviceStartName : "";
        ServiceList::FreeBuffer(config);
        records.push_back({{"name", entry.name},
                           {"displayName", entry.displayName ? entry.displayName : ""},
                           {"state", std::to_string(entry.currentState), true},
                           {"stateText", StateText(entry.currentState)},
                           {"startType", startType, true},
                           {"startTypeText", startText},
                           {"account", account},
                           {"type", std::to_string(entry.serviceType), true},
                           {"typeText", ServiceTypeNames(entry.serviceType)}});
    }
    WriteRecords({Text(IDS_COLUMN_NAME), Text(IDS_COLUMN_DESCRIPTION), Text(IDS_COLUMN_STATE),
                  Text(IDS_COLUMN_START_TYPE), Text(IDS_COLUMN_ACCOUNT), Text(IDS_CLI_COLUMN_TYPE)},
                 records);
    return kDone;
}

int Runner::Snapshot() {
    if (!LoadReference()) return LoadFailure(document_.referenceList);
    if (!document_.SaveSnapshot(p_.files, p_.locale, request_.file))
        return Fail(document_.lastErrorText);
    return kDone;
}

Record Runner::ChangeRecord(const ServiceChange& change) {
    return {{"name", change.name ? change.name : ""},
            {"displayName", change.displayName ? change.displayName : ""},
            {"kind", std::to_string(change.kind), true},
            {"kindText", ChangeKindText(p_.texts, change.kind)},
            {"oldState", std::to_string(change.oldState), true},
            {"oldStateText", StateText(change.oldState)},
            {"newState", std::to_string(change.newState), true},
            {"newStateText", StateText(change.newState)}};
}

std::vector<std::string> ChangeTitles(platform::TextSource& texts) {
    return {texts.Text(IDS_CHANGES_COLUMN_NAME), texts.Text(IDS_CHANGES_COLUMN_DESCRIPTION),
            texts.Text(IDS_CHANGES_COLUMN_KIND), texts.Text(IDS_CHANGES_COLUMN_OLD_STATE),
            texts.Text(IDS_CHANGES_COLUMN_NEW_STATE)};
}

// The reader takes what it can from any file; a section cut short reads
// its missing numbers as 0, and a state of 0 would be "restored" to
// nothing. A script is better told the file is damaged than given
// differences that are not.
bool Runner::CompareWithSnapshot() {
    if (!document_.CompareWithFile(p_.files, request_.file)) {
        Fail(document_.lastErrorText);
        return false;
    }
    std::string damaged = document_.changes.GetSnapshotGaps().first;
    for (int i = 0; damaged.empty() && document_.GetChange(i); ++i) {
        const ServiceChange& change = *document_.GetChange(i);
        if (change.kind != NewService &&
            (change.oldState < platform::scm::kStopped || change.oldState > platform::scm::kPaused))
            damaged = change.name ? change.name : "";
    }
    if (damaged.empty() && document_.changes.GetSnapshotGaps().count == 0) return true;
    Fail(FormatText(Text(IDS_ERROR_COMPARING_FILE), request_.file.c_str()) + "\n" +
         FormatText(Text(IDS_CLI_DAMAGED), damaged.c_str()));
    return false;
}

// The snapshot is the old side, the machine now the new one.
int Runner::Compare() {
    if (!LoadReference()) return LoadFailure(document_.referenceList);
    if (!CompareWithSnapshot()) return kFailed;
    std::vector<Record> records;
    for (int i = 0; const ServiceChange* change = document_.GetChange(i); ++i)
        records.push_back(ChangeRecord(*change));
    if (records.empty() && request_.format == CliFormat::kTable)
        out_.Out(FormatText(Text(IDS_RESTORE_NO_CHANGES), document_.GetChangeDate().c_str()) +
                 "\r\n");
    else
        WriteRecords(ChangeTitles(p_.texts), records);
    return records.empty() ? kDone : kDifferent;
}

// The window's rows, as the restore passes see them.
class Rows : public RestoreRows {
public:
    const PendingChange* RecordOf(const std::string& name) const override {
        int index = records.IndexOf(name);
        return index < 0 ? nullptr : &records.At(static_cast<size_t>(index));
    }
    void RemoveRow(const std::string& name) override { restored.insert(name); }
    void NoteRefusal(const std::string& name, const std::string& reason) override {
        refusals[name] = reason;
    }

    PendingChanges records;
    std::set<std::string> restored;
    std::map<std::string, std::string> refusals;
};

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Without --yes only what would be done is told; nothing changes.
int Runner::Restore() {
    if (!LoadBoth()) return LoadFailure(document_.currentList);
    if (!CompareWithSnapshot()) return kFailed;
    Rows rows;
    std::vector<std::string> names;
    const platform::LocalDateTime now = p_.locale.Now();
    for (int i = 0; const ServiceChange* change = document_.GetChange(i); ++i)
        names.push_back(rows.records.At(rows.records.Add(*change, now)).name);
    int result = kDone;
    if (!request_.services.empty()) {
        names.clear();
        for (const std::string& asked : request_.services) {
            int index = rows.records.IndexOf(asked);
            if (index >= 0) {
                names.push_back(rows.records.At(static_cast<size_t>(index)).name);
            } else if (!document_.currentList.PeekEntry(asked.c_str())) {
                out_.Err(Trimmed(FormatText(Text(IDS_PROPERTIES_NOT_FOUND), asked.c_str())) +
                         "\r\n");
                result = kDifferent;
            }
        }
    }
    RestoreSplit split = SplitForRestore(names, rows);
    for (const std::string& name : split.notRestorable) {
        const PendingChange* record = rows.RecordOf(name);
        std::string reason = record ? ChangeKindText(p_.texts, record->kind) : std::string();
        out_.Out(FormatTexts(Text(IDS_RESTORE_CANNOT), {name, reason}) + "\r\n");
        result = kDifferent;
    }
    std::vector<std::string> restorable;
    for (const std::string& name : split.restorable) {
        SelectedRestore decision = DecideSelected(rows.RecordOf(name));
        if (decision.verdict == SelectedRestore::kSameState) continue;
        restorable.push_back(name);
        if (!request_.yes)
            out_.Out(FormatTexts(Text(IDS_CLI_RESTORE_WOULD),
                                 {name, StateText(decision.from), StateText(decision.target)}) +
                     "\r\n");
    }
    if (!request_.yes || restorable.empty()) return result;
    std::vector<std::string> left = restorable;
    RestorePasses(&document_, &left, rows);
    for (const std::string& name : restorable) {
        if (rows.restored.count(name)) {
            out_.Out(FormatText(Text(IDS_CLI_RESTORED), name.c_str()) + "\r\n");
            continue;
        }
        auto refusal = rows.refusals.find(name);
        std::string reason = refusal == rows.refusals.end() ? "" : Trimmed(refusal->second);
        out_.Out(FormatTexts(Text(IDS_CLI_NOT_RESTORED), {name, reason}) + "\r\n");
        result = kDifferent;
    }
    return result;
}

// Each name in turn, each with the document's command and its bounded wait.
int Runner::Commands() {
    if (!LoadBoth()) return LoadFailure(document_.currentList);
    ServiceCommands& commands = document_.commands;
    int result = kDone;
    for (const std::string& name : request_.services) {
        const ServiceEntry* entry = document_.currentList.PeekEntry(name.c_str());
        if (!entry) {
            out_.Err(Trimmed(FormatText(Text(IDS_PROPERTIES_NOT_FOUND), name.c_str())) + "\r\n");
            result = kDifferent;
            continue;
        }
        bool ok = false;
        switch (request_.command) {
            case CliCommand::kStart:
                ok = commands.StartOrContinue(*entry);
                break;
            case CliCommand::kStop:
                ok = commands.StopService(*entry);
                break;
            case CliCommand::kPause:
                ok = commands.PauseService(*entry);
                break;
            case CliCommand::kContinue:
                ok = commands.ContinueService(*entry);
                break;
            default:
                ok = commands.RestartService(*entry);
                break;
        }
        if (!ok) {
            out_.Err(Trimmed(document_.lastErrorText) + "\r\n");
            result = kDifferent;
            continue;
        }
        out_.Out(std::string(entry->name) + ": " + StateText(entry->currentState) + "\r\n");
    }
    return result;
}

// Each change as the pass finds it, a line each, at once.
class WatchDisplay : public ChangeDisplay {
public:
    WatchDisplay(Output& out, bool json, platform::LocaleTime& locale,
                 std::function<Record(const ServiceChange&)> record)
        : out_(out), json_(json), locale_(locale), record_(std::move(record)) {}
    void Alert(const AlertSettings&) override {}
    void Show(const ServiceChange& change, const platform::LocalDateTime& when) override {
        Record fields = record_(change);
        fields.insert(fields.begin(), {"time", locale_.FormatDateTime(when)});
        std::string line;
        if (json_) {
            line = JsonObject(fields);
        } else {
            for (const Field& field : fields)
                if (!field.number) line += (line.empty() ? "" : "  ") + field.text;
        }
        reading_ = out_.Out(line + "\r\n") && reading_;
    }
    bool Reading() const { return reading_; }

private:
    Output& out_;
    bool json_;
    platform::LocaleTime& locale_;
    std::function<Record(const ServiceChange&)> record_;
    bool reading_ = true;
};

int Runner::Watch() {
    if (request_.log) {
        SettingsStore store(p_.registry);
        std::string path = store.ReadLogFilePath();
        if (path.empty()) return Fail(Text(IDS_CLI_NO_LOG));
        if (!history_.Open(path, store.Read(settings::kAutoDelete) != 0))
            return Fail(Text(IDS_LOG_OPEN_FAILED) + "\n" + history_.GetErrorText());
    }
    if (!LoadBoth()) {
        int failed = LoadFailure(document_.currentList);
        history_.Close();
        return failed;
    }
    history_.WriteConnected(document_.title);
    WatchDisplay display(out_, request_.format == CliFormat::kJson, p_.locale,
                         [this](const ServiceChange& change) { return ChangeRecord(change); });
    MonitorCycle cycle(document_, p_.registry, p_.locale, history_, display);
    cycle.SetEnforcement(request_.enforce);
    while (!stop_.Requested() && display.Reading()) {
        stop_.Wait(request_.intervalMs);
        if (stop_.Requested()) break;
        cycle.Tick();
    }
    // The session's end record: a watch ended by Ctrl+C ends as a program does.
    history_.Close();
    return kDone;
}

}  // namespace

namespace {
// Each command's help; the whole usage without one.
unsigned HelpTextId(CliCommand command) {
    switch (command) {
        case CliCommand::kList:
            return IDS_CLI_HELP_LIST;
        case CliCommand::kSnapshot:
            return IDS_CLI_HELP_SNAPSHOT;
        case CliCommand::kCompare:
            return IDS_CLI_HELP_COMPARE;
        case CliCommand::kRestore:
            return IDS_CLI_HELP_RESTORE;
        case CliCommand::kWatch:
            return IDS_CLI_HELP_WATCH;
        case CliCommand::kNone:
            return IDS_CLI_USAGE;
        default:
            return IDS_CLI_HELP_COMMANDS;
    }
}

unsigned FaultTextId(CliRequest::Fault fault) {
    switch (fault) {
        case CliRequest::kUnknownCommand:
            return IDS_CLI_UNKNOWN_COMMAND;
        case CliRequest::kUnknownOption:
            return IDS_CLI_UNKNOWN_OPTION;
        case CliRequest::kBadValue:
            return IDS_CLI_BAD_VALUE;
        case CliRequest::kMissing:
            return IDS_CLI_MISSING;
        default:
            return IDS_CLI_EXTRA;
    }
}
}  // namespace

int Run(const CliRequest& request, Platform& platform, HistoryLog& history, Output& output,
        Stop& stop) {
    if (request.fault != CliRequest::kFine) {
        std::string fault = request.faultText.empty()
                                ? std::string()
                                : FormatText(platform.texts.Text(FaultTextId(request.fault)),
                                             request.faultText.c_str()) +
                                      "\r\n";
        output.Err(fault + platform.texts.Text(HelpTextId(request.command)) + "\r\n");
        return kFailed;
    }
    if (request.help) {
        output.Out(platform.texts.Text(HelpTextId(request.command)) + "\r\n");
        return kDone;
    }
    return Runner(request, platform, history, output, stop).Run();
}

}  // namespace cli
