// A unit with every column filled, for the production record's tests and its crash writer.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "app/record/record_types.h"

namespace pagerprog::testing {

// A verified write of unit `n` of a batch, capcodes starting at `capcode` in steps of 8,
// odd slots enabled.
inline UnitRecord sampleUnit(int n, std::uint32_t capcode = 1234560, std::optional<std::int64_t> batch = 1) {
    UnitRecord u;
    char time[32];
    std::snprintf(time, sizeof time, "2026-12-08T09:%02d:%02d.123Z", 30 + n / 60 % 30, n % 60);
    u.time = time;
    u.operation = Operation::Write;
    u.programVersion = "0.1";
    u.user = "tech";
    u.host = "bench-3";
    u.port = "/dev/hidraw2";
    u.vidPid = "0483:5750";
    u.settingsPath = "/home/tech/batch.eep";
    u.settingsSha256 = std::string(64, 'a');
    u.imageSha256 = std::string(63, 'b') + char('0' + n % 10);
    for (std::size_t slot = 0; slot < u.capcodes.size(); ++slot) {
        u.capcodes[slot] = {capcode + 8 * static_cast<std::uint32_t>(slot), slot % 2 == 0};
    }
    u.frequency = "146.56250";
    u.customer = "Cirro";
    u.revision = "TV8";
    u.outcome = std::string(outcome::ok);
    u.statusLog = {"Read back hardware setting", "Write to Pager...", "Verify OK !"};
    u.durationMs = 4200 + n;
    u.batchId = batch;
    if (batch) u.unitNumber = n;
    static int made = 0;  // every sample is a unit of its own, in this process and the next
    u.uid = "unit-" + std::to_string(::getpid()) + "-" + std::to_string(++made);
    u.pid = 4000 + n;
    u.programmer = "1-2." + std::to_string(n % 4);
    u.programmerSerial = "Z16-0042";
    u.serial = "QTX-" + std::to_string(100000 + n);
    u.operatorName = "Dana";
    return u;
}

}  // namespace pagerprog::testing
