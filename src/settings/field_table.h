// The one table of the settings record: every field of the main window with its
// kind, label, hint, items, initial value, typed-character limit, tab and group,
// and the table of the other window elements (tabs, groups, menus, the title)
// whose shown, enabled, checked and caption states the rules and profiles change.
// The model, the window, the image code and the command-line tool all read these.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/field_names.h"

namespace pagerprog {

enum class FieldKind {
    Text,          // characters the user types
    Digits,        // text whose key filter admits decimal digits
    Choice,        // an index into an item list
    Flag,          // a check box
    Level,         // a track bar position 1..100
    ReadOnlyText,  // computed by the program, shown only
};

// Which key filter guards a field's typing.
enum class KeyFilter {
    None,         // any character
    Number,       // NumKeyPress: digits and backspace, refusal logged
    TonePattern,  // tonepatternKeyPress: 0-9, A-F and backspace, refusal logged
    NoKey,        // NoKeyPress: nothing, silently
    Autoinc,      // autoincKeyPress: 0-8 and backspace, refusal beeps
    Length,       // lengthKeyPress: digits and backspace, refusal beeps
    Frequency,    // the frequency filter: digits, separator after the third digit
};

struct FieldDef {
    std::string name;
    FieldKind kind = FieldKind::Text;
    int limit = 0;        // most characters the user may type; 0 = no limit
    std::string label;    // text beside the field ("" = none)
    std::string caption;  // a check box's own caption
    std::string unit;     // text after the field ("Sec", "MHz", ":", "/", ...)
    std::string hint;
    std::vector<std::string> items;  // choice items
    std::string text;                // initial text (a choice with no item chosen shows it)
    int index = -1;                  // initial item of a choice
    bool checked = false;            // initial state of a flag
    int level = 0;                   // initial position of a level
    std::string tab;                 // element name of the tab
    std::string group;               // element name of the group ("" = ungrouped)
    bool enabled = true;
    bool visible = true;
    bool labelVisible = true;
    KeyFilter filter = KeyFilter::None;
    int dropDownRows = 0;  // rows a choice list shows (0 = default)
    int slot = 0;          // address slot 1..8 or folder 1..24 within its grid (0 = none)
};

enum class ElementKind { Window, Tab, Group, Menu, MenuItem };

struct ElementDef {
    std::string name;
    ElementKind kind = ElementKind::Group;
    std::string caption;
    std::string parent;  // the menu of a menu item, the tab of a group
    std::string hint;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
};

// Fields in window order: tab by tab, group by group.
const std::vector<FieldDef>& fieldTable();
// Tabs, groups, menus and menu items in window order; the window itself first.
const std::vector<ElementDef>& elementTable();

// Null when no field has that name.
const FieldDef* findFieldDef(std::string_view name);

// The index of `item` in the field's item list as the table declares it, so that rules
// name an item by its text ("Fennic", "User select"). Throws std::logic_error when the
// list has no such item.
int tableItem(std::string_view field, std::string_view item);

// Element names used by the rules and profiles.
namespace element {
inline constexpr const char* window = "Form1";
inline constexpr const char* tabAddress = "TabAddress";
inline constexpr const char* tabFeature = "TabFeature";
inline constexpr const char* tabHardware = "TabHardware";
inline constexpr const char* tabPromptMsg = "TabPromptMsg";
inline constexpr const char* groupAddress = "GroupAddress";
inline constexpr const char* groupFolder = "GroupFolder";
inline constexpr const char* groupCanned = "GroupCanned";
inline constexpr const char* groupHello = "GroupHello";
inline constexpr const char* groupTonePattern = "GroupTonePattern";
inline constexpr const char* groupDecoder = "GroupDecoder";
inline constexpr const char* groupLcd = "GroupLcd";
inline constexpr const char* groupClock = "GroupClock";
inline constexpr const char* groupBattery = "GroupBattery";
inline constexpr const char* groupPll = "GroupPll";
inline constexpr const char* groupSpeed = "rw_speed";
inline constexpr const char* menuFile = "File1";
inline constexpr const char* open = "Open1";
inline constexpr const char* recentFiles = "RecentFiles1";
inline constexpr int kRecentFiles = 8;
inline constexpr const char* save = "Save1";
inline constexpr const char* saveAs = "SaveAs1";
inline constexpr const char* exit = "Exit1";
inline constexpr const char* menuParallelPort = "ParallelPort1";
inline constexpr const char* lpt1 = "LPT11";
inline constexpr const char* lpt2 = "LPT21";
inline constexpr const char* ackPolling = "AckPolling1";
inline constexpr const char* writeToPager = "WriteToPager";
inline constexpr const char* readFromPager = "ReadFromPager";
inline constexpr const char* switchModel = "switch_model";
inline constexpr const char* menuHelp = "Help1";
inline constexpr const char* recover = "Recover1";
inline constexpr const char* recoverKS8809 = "KS88091";
inline constexpr const char* recoverSM5170 = "SM51701";
inline constexpr const char* debug = "Debug1";
inline constexpr const char* guide = "Guide1";
inline constexpr const char* about = "About1";
inline constexpr const char* menuProduction = "Production1";
inline constexpr const char* productionLog = "ProductionLog1";
inline constexpr const char* productionRecord = "ProductionRecord1";
inline constexpr const char* productionOperator = "Operator1";
inline constexpr const char* gangProgramming = "GangProgramming1";
inline constexpr const char* menuTools = "Tools1";
inline constexpr const char* busTrace = "BusTrace1";
inline constexpr const char* comparePager = "ComparePager1";
// The items of "Open &Recent", 1 to kRecentFiles: "RecentFile1" ...
std::string recentFile(int number);
}  // namespace element

}  // namespace pagerprog
