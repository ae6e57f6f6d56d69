#pragma once
#include <cstdint>
#include <string>

#include "platform/FileApi.h"
#include "platform/LocaleTime.h"
#include "scm/ServiceEntryArray.h"
#include "scm/ServiceList.h"

// The header of a snapshot: which machine, when, and with which options the
// services were listed. Machine is written but never read back.
struct SnapshotHeader {
    std::string machine;
    std::string date;
    uint32_t active = 0;
    uint32_t inactive = 0;
    uint32_t win32 = 0;
    uint32_t driver = 0;
    uint32_t accessType = 0;
};

// A plain-text record of the services of one machine at one moment: the
// header lines, then one bracketed section per service. Lines end in CR LF on
// disk whatever the host; CR LF and LF are both read.
class SnapshotFile {
public:
    // A reader needs no clock; a writer takes the date from `localeTime`.
    SnapshotFile() = default;
    explicit SnapshotFile(platform::LocaleTime& localeTime) : localeTime_(&localeTime) {}
    virtual ~SnapshotFile() = default;

    // False when the file layer refused a write (its GetLastError has the
    // reason) or when this object was made without a clock.
    bool Write(const ServiceList& list, platform::File& file);
    // Reads the whole file from where it stands. False when it holds no
    // section, or when the file layer failed to read (then FileFailed()).
    bool Read(ServiceEntryArray& array, platform::File& file);

    const SnapshotHeader& GetHeader() const { return header_; }
    // Whether the last Read or Write failed in the file layer rather than on
    // the content, so the caller knows to ask the file layer why.
    bool FileFailed() const { return fileFailed_; }

    // The sections of the last read without all seven of their numbers,
    // which such a section reads as 0: hand-made, or cut short on its way.
    struct Gaps {
        int count = 0;
        std::string first;  // the first such section's name
    };
    const Gaps& GetGaps() const { return gaps_; }

    // Read on text already in memory.
    bool Parse(ServiceEntryArray& array, const char* data, size_t size);

private:
    platform::LocaleTime* localeTime_ = nullptr;
    SnapshotHeader header_;
    Gaps gaps_;
    bool fileFailed_ = false;
};
