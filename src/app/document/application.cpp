#include "app/document/application.h"

#include "app/document/document.h"
#include "app/document/file_commands.h"
#include "app/document/menu_commands.h"
#include "app/document/port_selection.h"
#include "app/document/profiles.h"
#include "host/error_handler.h"
#include "rules/rules.h"

namespace pagerprog {

Application::Application(Host& host) : ctx_(host) {
    using namespace element;
    Context& ctx = ctx_;
    auto always = [](auto action) -> Command {
        return [action] {
            action();
            return true;
        };
    };
    commands_ = {
        {open, [&ctx] { return Open1(ctx); }},
        {save, [&ctx] { return Save1(ctx); }},
        {about, always([&ctx] { About1Click(ctx); })},
        {recoverKS8809, always([&ctx] { RecoverChipClick(ctx, recoverKS8809, recoverSM5170, "KS8809"); })},
        {recoverSM5170, always([&ctx] { RecoverChipClick(ctx, recoverSM5170, recoverKS8809, "SM5170"); })},
        {debug, always([&ctx] { Debug1Click(ctx); })},
        {lpt1, always([&ctx] { LPT11Click(ctx.model, ctx.program); })},
        {lpt2, always([&ctx] { LPT21Click(ctx.model, ctx.program); })},
        {switchModel, always([&ctx] { switch_modelClick(ctx); })},
    };
}

void Application::start(const StartupOptions& options) {
    attachRules(ctx_);
    attachProfiles(ctx_);
    runStartup(ctx_, options);
    markSettingsKept(ctx_, "", nullptr);
}

bool Application::hasMenuCommand(std::string_view item) const { return commands_.count(std::string(item)) != 0; }

bool Application::menuCommand(std::string_view item) {
    auto it = commands_.find(std::string(item));
    if (it == commands_.end()) return true;
    bool done = false;
    const Command& command = it->second;
    return runGuarded(ctx_.host, [&] { done = command(); }) && done;
}

void Application::setMenuCommand(std::string item, Command command) { commands_[std::move(item)] = std::move(command); }

}  // namespace pagerprog
