// The application controller: owns the settings, the image and the program state,
// attaches the rules and profiles, runs start-up, and carries out menu commands by
// the name of their menu item. The window and the command-line tool both drive it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "app/document/startup.h"
#include "context/context.h"

namespace pagerprog {

class Application {
public:
    explicit Application(Host& host);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Attaches the rules and profiles and runs the start-up sequence.
    void start(const StartupOptions& options);

    Context& context() { return ctx_; }
    SettingsModel& model() { return ctx_.model; }
    ProgramState& program() { return ctx_.program; }

    // True when the menu item has a command.
    bool hasMenuCommand(std::string_view item) const;
    // A command says whether it did its job: a file loaded or saved, a pager read or
    // verified. Most menu items always do.
    using Command = std::function<bool()>;

    // Runs the command of a menu item ("Open1", "About1", "LPT21", ...). Errors escaping
    // it are shown through the host's message box. False when the command did not do its
    // job or an error was shown; an item without a command does nothing and returns true.
    bool menuCommand(std::string_view item);
    // Adds or replaces the command of a menu item (the pager link plugs in here).
    void setMenuCommand(std::string item, Command command);

private:
    Context ctx_;
    std::unordered_map<std::string, Command> commands_;
};

}  // namespace pagerprog
