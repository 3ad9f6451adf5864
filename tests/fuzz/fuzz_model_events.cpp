// Random sequences of what a technician does in the window, raised on the settings model
// of a started program: keys typed into fields, selections typed over, the focus leaving
// fields, items picked, boxes clicked, track bars moved and the menu commands that need no
// pager. No crash; every event asks for the focus at most once; the settings, saved, open
// in a second program; and the file holds every field as the first showed it, but for the
// fields the first named as stored otherwise. (The second program may show a box otherwise
// than the file holds it: opening re-applies the editing rules, and a box one of its
// neighbours clears, such as datetime under timedisplay, comes out cleared.)
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_bench.h"
#include "host/error_handler.h"
#include "settings/decoder.h"
#include "support/shown_values.h"

using namespace pagerprog;

namespace {

const char* const kMenuItems[] = {element::about, element::recoverKS8809, element::recoverSM5170, element::debug,
                                  element::lpt1,  element::lpt2,          element::switchModel};

// One event, from the bytes at `at`; false when the input is used up.
bool raiseEvent(fuzz::Program& program, const std::uint8_t* data, std::size_t size, std::size_t& at) {
    if (at + 3 > size) return false;
    const std::uint8_t kind = data[at], which = data[at + 1], value = data[at + 2];
    at += 3;
    SettingsModel& m = program.app.model();
    const auto& fields = m.fields();
    const Field& target = fields[(which * 7u + kind) % fields.size()];
    const std::string name = target.def->name;
    // The window lets the technician reach only fields that are shown and enabled.
    const bool reachable = target.visible && target.enabled && target.def->kind != FieldKind::ReadOnlyText;
    const std::size_t focusBefore = program.host.focusRequests.size();
    runGuarded(program.host, [&] {
        switch (kind % 8) {
            case 0:
            case 1:
                if (reachable) m.typeKey(name, static_cast<char>(value));
                break;
            case 2:
                if (reachable) m.selectAll(name);
                break;
            case 3:
                if (reachable) m.leave(name);
                break;
            case 4:
                if (reachable && target.def->kind == FieldKind::Choice && !target.items.empty())
                    m.userPick(name, static_cast<int>(value % target.items.size()));
                break;
            case 5:
                if (reachable && target.def->kind == FieldKind::Flag) m.userClick(name);
                break;
            case 6:
                if (reachable && target.def->kind == FieldKind::Level) m.userLevel(name, 1 + value % 100);
                break;
            default: program.app.menuCommand(kMenuItems[value % std::size(kMenuItems)]); break;
        }
    });
    if (program.host.focusRequests.size() > focusBefore + 1) std::abort();  // one event, one focus move at most
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 3000) return 0;
    const Revision revision = fuzz::revisionOf(data[0]);
    fuzz::Program first(revision);
    std::size_t at = 1;
    while (raiseEvent(first, data, size, at)) {
    }
    const auto saved = fuzz::scratchFolder() / "events.eep";
    first.host.clear();
    if (!first.save(saved)) return 0;  // a field that holds no number stops the save with its error box
    const Revision now = first.app.program().hardwareRevision;
    fuzz::Program second(now);
    const int customer = first.app.model().index(field::customer);
    if (customer != second.app.model().index(field::customer)) return 0;  // its files open only under it
    if (!second.open(saved)) std::abort();
    // The file's bytes, as the second program loaded them, decoded as they are.
    Host quiet;
    Context stored(quiet);
    stored.program = second.app.program();
    stored.model.setText(field::Vref, first.app.model().text(field::Vref));
    decodeImage(stored);
    const auto named = testing::fieldsNamedIn(first.host.logLines);
    for (const std::string& field : testing::fieldsShownOtherwise(first.app.model(), stored.model, layoutOf(now))) {
        if (named.count(field) == 0) std::abort();
    }
    return 0;
}
