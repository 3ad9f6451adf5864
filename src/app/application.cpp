#include "app/application.h"

#include "app/menu_commands.h"
#include "app/profiles.h"
#include "link/port_selection.h"
#include "rules/rules.h"
#include "settings/error_handler.h"
#include "settings/settings_file.h"

namespace pagerprog {

Application::Application(Host& host) : ctx_(host) {
    using namespace element;
    Context& ctx = ctx_;
    commands_ = {
        {open, [&ctx] { Open1(ctx); }},
        {save, [&ctx] { Save1(ctx); }},
        {about, [&ctx] { About1Click(ctx); }},
        {recoverKS8809, [&ctx] { RecoverChipClick(ctx, 0); }},
        {recoverSM5170, [&ctx] { RecoverChipClick(ctx, 1); }},
        {debug, [&ctx] { Debug1Click(ctx); }},
        {lpt1, [&ctx] { LPT11Click(ctx.model, ctx.program); }},
        {lpt2, [&ctx] { LPT21Click(ctx.model, ctx.program); }},
        {switchModel, [&ctx] { switch_modelClick(ctx); }},
    };
}

void Application::start(const StartupOptions& options) {
    attachRules(ctx_);
    attachProfiles(ctx_);
    runStartup(ctx_, options);
}

bool Application::hasMenuCommand(std::string_view item) const { return commands_.count(std::string(item)) != 0; }

bool Application::menuCommand(std::string_view item) {
    auto it = commands_.find(std::string(item));
    if (it == commands_.end()) return true;
    return runGuarded(ctx_.host, it->second);
}

void Application::setMenuCommand(std::string item, std::function<void()> command) {
    commands_[std::move(item)] = std::move(command);
}

}  // namespace pagerprog
