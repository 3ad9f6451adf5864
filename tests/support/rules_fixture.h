// A settings model with every editing rule attached, reporting to a recording host.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "context/context.h"
#include "rules/rules.h"
#include "support/recording_host.h"

namespace pagerprog::testing {

class RulesFixture : public ::testing::Test {
protected:
    RulesFixture() { attachRules(ctx); }

    // Types a text as the user does: the field's text selected, then key by key through
    // its filter.
    void typeInto(const std::string& field, const std::string& text) {
        model.selectAll(field);
        for (char key : text) model.typeKey(field, key);
    }

    RecordingHost host;
    Context ctx{host};
    SettingsModel& model = ctx.model;
};

}  // namespace pagerprog::testing
