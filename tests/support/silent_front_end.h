// A batch front end for tests that says nothing and types no edit: a test overrides only
// the waits and writes it drives.
#pragma once

#include "app/production/batch_station.h"

namespace pagerprog::testing {

class SilentFrontEnd : public BatchFrontEnd {
public:
    void notice(const std::string&) override {}
    void refusal(const std::string&) override {}
    void warning(const std::string&) override {}
    std::optional<std::string> typeEdit(const std::string&, const std::string&) override { return std::nullopt; }
    bool stopAsked() override { return false; }
    void unitDone(const UnitResult&) override {}
};

}  // namespace pagerprog::testing
