#include "app/pager/pager_audit.h"

#include <algorithm>

#include "app/document/application.h"
#include "app/document/profiles.h"
#include "context/context.h"
#include "settings/field_value.h"
#include "settings/hardware_block.h"
#include "settings/image_layout.h"

namespace pagerprog {

namespace {

// Answers "&Open" with the template and keeps what the status log says.
class TemplateHost : public Host {
public:
    explicit TemplateHost(std::string path) : path_(std::move(path)) {}
    void log(const std::string& line) override { lines.push_back(line); }
    void messageBox(const std::string& text) override { lines.push_back(text); }
    std::optional<std::string> openFileDialog(const FileDialogDef&) override { return path_; }

    std::vector<std::string> lines;

private:
    std::string path_;
};

// A field a read of the pager sets: one with a row of the layout that is read back.
bool heldByThePager(std::string_view field, Layout layout) {
    const auto rows = rowsOf(layout, field);
    return std::any_of(rows.begin(), rows.end(), [](const ImageField* row) { return !row->encodeOnly; });
}

}  // namespace

bool isPerUnitField(std::string_view field, Revision revision) {
    for (int slot = 1; slot <= field::kAddressSlots; ++slot)
        if (field == field::address(slot) || field == field::frame(slot)) return true;
    const auto calibration = calibrationFields(revision);
    return std::find(calibration.begin(), calibration.end(), field) != calibration.end();
}

PagerAudit auditPager(const std::vector<Field>& templateFields, const std::vector<Field>& pagerFields,
                      Revision revision) {
    PagerAudit audit;
    const Layout layout = layoutOf(revision);
    for (std::size_t i = 0; i < templateFields.size() && i < pagerFields.size(); ++i) {
        const std::string& name = templateFields[i].def->name;
        if (!heldByThePager(name, layout)) continue;
        FieldDifference difference{name, fieldValueText(templateFields[i]), fieldValueText(pagerFields[i])};
        if (difference.templateValue == difference.pagerValue) continue;
        (isPerUnitField(name, revision) ? audit.perUnit : audit.differences).push_back(std::move(difference));
    }
    return audit;
}

LoadedTemplate loadTemplate(const Context& like, const std::string& path, const StartupOptions& startup) {
    TemplateHost host(path);
    Application app(host);
    app.start(startup);
    app.model().userPick(field::customer, like.model.index(field::customer));
    // The revisions go round in turn; three steps reach any of them.
    for (int step = 0; step < 3 && app.program().hardwareRevision != like.program.hardwareRevision; ++step)
        switch_modelClick(app.context());
    host.lines.clear();
    LoadedTemplate loaded;
    if (app.program().hardwareRevision != like.program.hardwareRevision)
        host.lines.push_back("The template cannot be loaded in the revision " +
                             std::string(revisionName(like.program.hardwareRevision)) + ".");
    else if (app.menuCommand(element::open))
        loaded.fields = app.model().fields();
    loaded.log = std::move(host.lines);
    return loaded;
}

}  // namespace pagerprog
