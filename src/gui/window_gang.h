// "Gang programming...": every usable programmer working through one batch of the window's
// settings at once, each in a thread of its own. Each programmer's station publishes how it
// stands for its tile; the window's thread reads that, and the log lines, when it likes.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/production/batch.h"
#include "link/port_name.h"

namespace pagerprog {
class Gang;
class LinkSetup;
class Production;
struct Context;
}  // namespace pagerprog

namespace pagerprog::gui {

// How one programmer of the gang stands.
struct Tile {
    std::string name;   // its USB port path, or "lpt1"
    std::string state;  // "waiting for a pager", "writing", "verifying 42%", "verified: ...", "failed: ..."
    int percent = -1;   // how far the transfer pass is, while one runs
    int verified = 0;
    int failed = 0;
};

class WindowGang {
public:
    // `window` holds the batch's settings; `production` keeps the batch; the programmers come
    // from `devices`. `dataFolder` holds the language files each station starts with.
    WindowGang(Context& window, LinkSetup& devices, Production& production, std::string dataFolder);
    ~WindowGang();
    WindowGang(const WindowGang&) = delete;
    WindowGang& operator=(const WindowGang&) = delete;

    // The programmers a batch would take now: every USB programmer, and the simulated adapters.
    std::vector<PortName> programmers() const;
    // Begins a batch of `count` pagers from the window's capcodes and steps, sets each
    // programmer up and starts them. Why it did not begin ("" when it did).
    std::string start(int count, OnFailure onFailure);
    // Every programmer stops after the pager it is writing.
    void stop() { stopAsked_ = true; }
    bool running() const { return running_; }

    std::vector<Tile> tiles() const;
    // The capcodes the next pager gets ("" when the batch has none left to give); between
    // batches, those the window shows, where the next batch begins.
    std::string nextCapcodes() const;
    // The status-log lines since the last call, each behind its programmer's name.
    std::vector<std::string> takeLog();
    // Once it no longer runs: the summary, and the window's capcodes stepped to the next
    // unit's, so that the next batch goes on from there.
    std::string finish();

private:
    class Member;

    std::string capcodesText(const AddressTexts& addresses) const;

    Context& window_;
    LinkSetup& devices_;
    Production& production_;
    const std::string dataFolder_;
    std::unique_ptr<Batch> batch_;
    std::unique_ptr<Gang> gang_;
    std::vector<std::unique_ptr<Member>> members_;
    std::vector<int> ownSlots_;  // the slots whose capcodes are each pager's own
    mutable std::mutex mutex_;   // the tiles and the log
    std::vector<std::string> log_;
    std::atomic<bool> stopAsked_ = false;
    std::atomic<bool> running_ = false;
    std::jthread runner_;
};

}  // namespace pagerprog::gui
