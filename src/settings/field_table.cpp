#include "settings/field_table.h"

#include <stdexcept>

#include <algorithm>
#include <unordered_map>

namespace pagerprog {

namespace {

using Items = std::vector<std::string>;

std::string twoDigits(int k) {
    return std::string(1, static_cast<char>('0' + k / 10)) + static_cast<char>('0' + k % 10);
}

Items numberedItems(int first, int last, const std::string& suffix = "") {
    Items items;
    for (int i = first; i <= last; ++i) items.push_back(std::to_string(i) + suffix);
    return items;
}

// Small builders so that each row of the table below reads like the window.
FieldDef text(std::string name, int limit, std::string initial) {
    FieldDef f;
    f.name = std::move(name);
    f.kind = FieldKind::Text;
    f.limit = limit;
    f.text = std::move(initial);
    return f;
}

FieldDef digits(std::string name, int limit, std::string initial, KeyFilter filter = KeyFilter::Number) {
    FieldDef f = text(std::move(name), limit, std::move(initial));
    f.kind = FieldKind::Digits;
    f.filter = filter;
    return f;
}

FieldDef choice(std::string name, Items items, int index, KeyFilter filter = KeyFilter::NoKey) {
    FieldDef f;
    f.name = std::move(name);
    f.kind = FieldKind::Choice;
    f.items = std::move(items);
    f.index = index;
    if (index >= 0) f.text = f.items[static_cast<std::size_t>(index)];
    f.filter = filter;
    return f;
}

FieldDef flag(std::string name, std::string caption, bool checked = false) {
    FieldDef f;
    f.name = std::move(name);
    f.kind = FieldKind::Flag;
    f.caption = std::move(caption);
    f.checked = checked;
    return f;
}

FieldDef& labelled(FieldDef& f, std::string label, std::string unit = "") {
    f.label = std::move(label);
    f.unit = std::move(unit);
    return f;
}

class TableBuilder {
public:
    std::vector<FieldDef> fields;

    void place(const std::string& tab, const std::string& group) {
        tab_ = tab;
        group_ = group;
    }

    FieldDef& add(FieldDef f) {
        f.tab = tab_;
        f.group = group_;
        fields.push_back(std::move(f));
        return fields.back();
    }

private:
    std::string tab_, group_;
};

void addAddressGroup(TableBuilder& t) {
    t.place(element::tabAddress, element::groupAddress);
    const Items formats{"Numeric", "Alpha", "Tone", "Disable"};
    const char* msgtypeHints[] = {"", "Select Private will disable message folder 1-4",
                                  "Select Private will disable message folder 5-8",
                                  "Select Private will disable message folder 9-12"};
    for (int n = 1; n <= field::kAddressSlots; ++n) {
        const std::string s = std::to_string(n);
        auto& en = t.add(flag(field::addrEn(n), "[" + s + "]", true));
        en.slot = n;
        auto& address = t.add(digits(field::address(n), 7, std::to_string(2004000 + 8 * (n - 1))));
        address.hint = "Address1 &2 should be the same frame, addres 3,4 ,5 & 6 should be the same frame";
        address.slot = n;
        auto& autoinc = t.add(choice(field::autoinc(n), numberedItems(0, 8), 0, KeyFilter::Autoinc));
        autoinc.limit = 1;
        autoinc.slot = n;
        auto& frame = t.add(text(field::frame(n), 1, "0"));
        frame.kind = FieldKind::ReadOnlyText;
        frame.slot = n;
        auto& msgtype = t.add(choice(field::msgtype(n), {"Private", "Public"}, (n >= 2 && n <= 6) ? 1 : 0));
        msgtype.hint = msgtypeHints[std::min(n - 1, 3)];
        msgtype.enabled = n <= 6;
        msgtype.slot = n;
        for (char code : field::kFunctionCodes) {
            int index = 1;  // "Alpha"
            if (n == 1 && code == 'A') index = 0;
            if (n == 1 && code == 'B') index = 2;
            auto& format = t.add(choice(field::addrFormat(n, code), formats, index));
            format.slot = n;
        }
        for (char code : field::kFunctionCodes) {
            auto& urgent = t.add(flag(field::urgent(n, code), ""));
            urgent.hint = "Urgent call channel enable";
            urgent.slot = n;
        }
    }
}

void addFolderGroup(TableBuilder& t) {
    t.place(element::tabAddress, element::groupFolder);
    for (int k = 0; k < field::kFolders; ++k) {
        auto& act = t.add(flag(field::pubboxact(k), "[" + std::to_string(k + 1) + "]", true));
        act.slot = k + 1;
        const bool oneBlank = k == 0 || k == 16 || k == 17;
        auto& name = t.add(text(field::pubbox(k), 9, "FOLDER " + twoDigits(k) + (oneBlank ? " " : "  ")));
        name.slot = k + 1;
        auto& length = t.add(digits(field::pubboxlength(k), 2, "1", KeyFilter::Length));
        length.slot = k + 1;
    }
}

void addFeatureTab(TableBuilder& t) {
    t.place(element::tabFeature, "");
    {
        auto& f = t.add(choice(field::numset, {"0-9,ABCDE'SP'", "0-9,'NL'U'SP'-]["}, -1));
        f.text = "0-9,ABCDE'SP' ";
        labelled(f, "Num Char. Set");
    }
    labelled(t.add(choice(field::dateformat, {"D/M/Y 12h", "M/D/Y 12h", "D/M/Y 24h", "M/D/Y 24h"}, 0)),
             "Date/Time  format");
    {
        auto& f = labelled(t.add(choice(field::pubboxmode, {"Discontinuous", "Continuous"}, 1)), "Public folder mode");
        f.hint = "Cross folder reading(continue) or not (discontinuous)";
    }
    labelled(t.add(choice(field::repeatcallcheck, {"Call tone independance", "Call tone dependance", "Disable"}, 0)),
             "Repeat call check");
    {
        Items items{"Disable"};
        for (int m = 1; m <= 9; ++m) items.push_back(std::to_string(m) + " min");
        for (int m = 10; m <= 15; ++m) items.push_back(std::to_string(m) + "min");
        labelled(t.add(choice(field::repeatcallreject, items, 0)), "Repeat msg reject");
    }
    {
        auto& f = labelled(t.add(digits(field::alerttime, 3, "255")), "Alert time", "Sec");
        f.hint = "0-255";
    }
    labelled(t.add(choice(field::alerttype, {"Tone", "Vibrate", "Tone+Vibrate", "User select"}, 3)), "Alert type");
    {
        auto& f = labelled(t.add(choice(field::alertmode, {"Melody", "ABCD Tone"}, -1)), "Alert mode");
        f.text = "ABCD Tone";
    }
    {
        auto& f = labelled(t.add(choice(field::vibratetype,
                                        {"Continuous", "1Hz pulse", "A,B,C,D pattern", "Cirro special vibrate"}, -1)),
                           "Vibrate type");
        f.text = "Continuous";
    }
    labelled(t.add(choice(field::urgentcalltype, {"Two tone", "Vibrate+two tone"}, 0)), "Urgent call type");
    labelled(t.add(choice(field::zoom, {"Out", "In"}, 0)), "Zoom");
    labelled(t.add(choice(field::rangeindicator, {"Out range", "In range"}, 1)), "Range indicator");
    {
        auto& f = labelled(t.add(choice(field::rangetime, numberedItems(1, 15, " min"), 0)), " Rang hold time");
        f.limit = 2;
    }
    {
        auto& f = labelled(t.add(digits(field::lcdholdtime, 0, "005")), "LCD hold time");
        f.hint = "1-255 sec, 0=always on";
    }
    {
        auto& f = labelled(t.add(digits(field::contrast, 2, "50")), "contrast");
        f.enabled = false;
        f.hint = "range 08-63";
    }
    {
        auto& f = t.add(flag(field::contrast_enable, "contrast_enable"));
        f.hint = "Check to enable contrast setting";
    }
    {
        auto& f = labelled(t.add(digits(field::unread_alert, 0, "5")), "Remind alert", "min.");
        f.hint = "0=disable, 1-60 min, depend on alert time.";
    }
    labelled(t.add(digits(field::handprogpws, 4, "5937")), "Hand program Password");
    t.add(flag(field::handprog, "Hand program"));
    labelled(t.add(choice(field::baudrate, {"512 bps", "1200 bps", "2400 bps"}, 1)), "Baud rate");
    labelled(t.add(choice(field::polarity, {"Normal", "Inverted"}, 0)), "Data Polarity");
    {
        auto& f = labelled(t.add(text(field::frequency, 9, "146.56250")), "Channel freq", "MHz");
        f.filter = KeyFilter::Frequency;
    }
    {
        auto& f = labelled(t.add(digits(field::maxprivate, 0, "60")), "Max. private no.");
        f.hint = "Maximun private call can be set to 60";
    }
    {
        auto& f =
            labelled(t.add(choice(field::language,
                                  {"English-USA", "English-UK", "French", "German", "Italian", "Danish", "Norwegian",
                                   "Spanish", "Swedish", "Finnish", "Dutch", "Portuguese", "Swiss", "Hebraic"},
                                  1)),
                     "Language");
        f.dropDownRows = 13;
    }
    t.add(flag(field::alarm, "Alarm function"));
    {
        auto& hour = labelled(t.add(text(field::alarmhour, 0, "06")), "Alarm", ":");
        hour.enabled = false;
        auto& minute = t.add(text(field::alarmminute, 0, "30"));
        minute.enabled = false;
    }
    t.add(flag(field::autooff, "Auto on/off Enable"));
    {
        auto& stop = labelled(t.add(digits(field::autooffstop, 0, "12")), "Auto ON/OFF", "/");
        stop.enabled = false;
        stop.hint = "Off time";
        auto& start = labelled(t.add(digits(field::autooffstart, 0, "12")), "", "hr");
        start.enabled = false;
        start.hint = "On time";
    }
    labelled(t.add(choice(field::lowcalldelay, {"0 sec", "16 sec"}, 0)), "Low cell delay");
    labelled(t.add(choice(field::customer, {"Cirro", "Normal", "Dunlin", "Fennic", "Ravel"}, 0, KeyFilter::None)),
             "Customer");

    t.add(flag(field::outrange, "Out of range special display"));
    t.add(flag(field::ota, "Public folder Enable/Disable")).hint = "Can be control by OTA command (+++,---)";
    t.add(flag(field::msgtypestamp, "Message type stamp")).visible = false;
    t.add(flag(field::msgstatus, "Message status"));
    t.add(flag(field::msgstatusprefix, "prefix")).hint = "uncheck=post;check=prefix";
    t.add(flag(field::msglock, "Message lock menu"));
    t.add(flag(field::msgfull, "Message full warning"));
    t.add(flag(field::pageoff, "Pager off menu"));
    t.add(flag(field::ureadmsg, "Unread message Indication"));
    t.add(flag(field::toneonlymsg, "Canned message"));
    t.add(flag(field::timedisplay, "Time display"));
    t.add(flag(field::timeprefix, "prefix")).hint = "uncheck=post;checked=prefixed";
    t.add(flag(field::repeatmsg, "Repeat message indicator"));
    t.add(flag(field::quietsound, "Quiet sound"));
    t.add(flag(field::lowbatspecalert, "Low bat special alert"));
    t.add(flag(field::datetime, "Time stamp"));
    t.add(flag(field::autospacing, "Auto spacing (word wrap)")).hint = "Word wrap";
    t.add(flag(field::auto_backlight, "Auto Back Light"));
    t.add(text(field::vibratepattern, 4, "8000")).visible = false;

    t.place(element::tabFeature, element::groupCanned);
    labelled(t.add(text(field::cannedmsgA, 20, "Tone A Message    ")), "A");
    labelled(t.add(text(field::cannedmsgB, 20, "Tone B Message")), "B");
    labelled(t.add(text(field::cannedmsgC, 20, "Tone C Message")), "C");
    labelled(t.add(text(field::cannedmsgD, 20, "Tone D message ")), "D");

    t.place(element::tabFeature, element::groupHello);
    t.add(text(field::hellomsg1, 20, "     - QTX73T -            "));
    t.add(text(field::hellomsg2, 20, "12345678901234567890"));

    t.place(element::tabFeature, element::groupTonePattern);
    auto pattern = [&t](const std::string& name, const std::string& label, const std::string& initial,
                        const std::string& unit = "") {
        auto& f = labelled(t.add(text(name, 4, initial)), label, unit);
        f.filter = KeyFilter::TonePattern;
    };
    pattern(field::tonepatternA, "A", "FFFC");
    pattern(field::tonepatternB, "B", "CFFC");
    pattern(field::tonepatternC, "C", "CCC0");
    pattern(field::tonepatternD, "D", "CCCC");
    pattern(field::tonepatternPon, "Power On", "A000");
    pattern(field::tonepatternLcell, "Low Cell", "8000");
    pattern(field::tonepatternUcall1, "Urgent call", "FCFF", "+");
    pattern(field::tonepatternUcall2, "", "CFFC");
}

void addHardwareTab(TableBuilder& t) {
    t.place(element::tabHardware, "");
    labelled(t.add(choice(field::pager_model, {"QTX41C", "QTX41K", "QTX73T"}, 2)), "Model");
    labelled(t.add(choice(field::lcd_module, {"120*16", "120*32"}, 0, KeyFilter::None)), "LCD module").enabled = false;
    labelled(t.add(choice(field::char_size, {"6*8", "8*16"}, 0, KeyFilter::None)), "Char. size").enabled = false;
    labelled(t.add(choice(field::backlight, {"Lamp", "LED"}, 1)), "BackLight");
    labelled(t.add(text(field::f_version, 0, "2")), "Firmwire version");

    t.place(element::tabHardware, element::groupDecoder);
    {
        auto& f = labelled(t.add(choice(field::decoder, {"Q4", "SM8212"}, 0, KeyFilter::None)), "Decoder");
        f.enabled = false;
        f.hint = "No function at that moment";
    }
    t.add(flag(field::pll_enable, "Decoder PLL Enable", true)).enabled = false;
    labelled(t.add(choice(field::BS2, numberedItems(0, 15), 15)), "BS1");
    labelled(t.add(choice(field::BS3, numberedItems(0, 15), 0)), "BS3");
    {
        // The SM8212 thresholds sit where BS2 and BS3 sit and share their labels.
        auto& bs1 = labelled(t.add(text(field::bs1_8212, 0, "60")), "BS1");
        bs1.visible = false;
        bs1.labelVisible = false;
        bs1.hint = "range  2 - 62";
        auto& bs3 = labelled(t.add(text(field::bs3_8212, 0, "61")), "BS3");
        bs3.visible = false;
        bs3.labelVisible = false;
        bs3.hint = "range 2 - 62";
    }
    labelled(t.add(choice(field::data_format, {"Raw", "7 bits"}, 1)), "Data format");
    t.add(flag(field::bs2_option, "bs2_option")).visible = false;
    t.add(flag(field::end_of_msg, "end_of_msg")).visible = false;
    {
        auto& f = labelled(t.add(choice(field::clko, {"76.8KHz", "38.4KHz", "Disabled"}, 0, KeyFilter::None)), "CLKO");
        f.visible = false;
        f.labelVisible = false;
    }
    {
        auto& f = labelled(t.add(choice(field::filter_strength, {"FS1", "FS2", "FS3", "FS4"}, 1, KeyFilter::None)),
                           "Filter Strength");
        f.visible = false;
        f.labelVisible = false;
    }
    t.add(flag(field::filter_enable, "filter enable", true)).visible = false;
    labelled(t.add(choice(field::errcorrect, {"Disable", "1 bit", "2 bit", "2 bits"}, 2)), "Error Correction");
    {
        Items items;
        for (int i = 1; i <= 8; ++i) items.push_back(std::to_string(i) + " CNT");
        auto& f = labelled(t.add(choice(field::error_rate, items, 1, KeyFilter::None)), "Error rate");
        f.hint = "Preamble mode rate error  detection";
    }

    t.place(element::tabHardware, element::groupLcd);
    {
        auto& f = labelled(t.add(choice(field::lcddrv, {"T6K04", "SD1815"}, 0, KeyFilter::None)), "LCD driver IC");
        f.enabled = false;
        f.hint = "No function at that moment";
    }
    {
        auto& f = labelled(t.add(digits(field::lcddrv_opa, 1, "2", KeyFilter::Length)), "LCD driver OPA");
        f.hint = "T6K04 default value=any; SE1805 default value=6";
        f.labelVisible = false;
    }
    auto lcdDetail = [&t](const std::string& name, const std::string& label, Items items, int index) {
        auto& f = labelled(t.add(choice(name, std::move(items), index, KeyFilter::None)), label);
        f.enabled = false;
        f.visible = false;
        f.labelVisible = false;
    };
    lcdDetail(field::lcd_fosc, "Fosc", {"60.6Hz", "63.6Hz", "68.5Hz", "72.5Hz", "74.4Hz", "79.9Hz", "89.3Hz", "98.3Hz"},
              0);
    lcdDetail(field::lcd_tc, "TC value",
              {"-0.01%/C", "Reserved", "-0.15%/C", "Reserved", "-0.2%/C", "Reserved", "Reserved", "-0.3%/C"}, 0);
    lcdDetail(field::lcd_bias, "Bias ratio", {"00", "01", "10", "11"}, 2);

    t.place(element::tabHardware, element::groupClock);
    labelled(t.add(digits(field::f_ref, 5, "32768")), "F reference", "Hz");
    labelled(t.add(choice(field::n_count, {"4", "6", "8", "10", "12", "14", "16", "18"}, 0, KeyFilter::None)),
             "N Counter");
    labelled(t.add(choice(field::r_count, {"1", "2", "4", "8", "16", "32", "64", "128"}, 2, KeyFilter::None)),
             "R Counter");
    {
        auto& f = labelled(t.add(text(field::cpu_clock1, 5, "4")), "MPU Clock", "MHz");
        f.kind = FieldKind::ReadOnlyText;
        f.enabled = false;
    }
    {
        // Sits where cpu_clock1 sits and shares its label.
        auto& f =
            labelled(t.add(choice(field::cpu_clock, {"2.097", "4.194", "8.388", "16.77", "18.87"}, 1, KeyFilter::None)),
                     "MPU Clock");
        f.visible = false;
        f.labelVisible = false;
        f.hint = ">4.2MHz are only for engineer evaluation.";
    }

    t.place(element::tabHardware, element::groupBattery);
    labelled(t.add(text(field::fullbat, 4, "1.50")), "Full Battery voltage", "V");
    labelled(t.add(text(field::halfbat, 4, "1.30")), "Half Battery voltage", "V");
    labelled(t.add(text(field::lowbat, 4, "1.10")), "Low battery voltage", "V");
    labelled(t.add(text(field::gonebat, 4, "0.90")), "Gone battery voltage", "V");
    labelled(t.add(text(field::Vref, 4, "2.70")), "Vref", "V");

    t.place(element::tabHardware, element::groupPll);
    labelled(t.add(choice(field::pll, {"KS8809", "SM5170"}, 1)), "PLL type");

    t.place(element::tabHardware, element::groupSpeed);
    auto level = [&t](const std::string& name, const std::string& label, int initial) {
        FieldDef f;
        f.name = name;
        f.kind = FieldKind::Level;
        f.level = initial;
        f.label = label;
        t.add(std::move(f));
    };
    level(field::TrackBar1, "Bus Free", 50);
    level(field::TrackBar2, "SCL hold High", 10);
    level(field::TrackBar3, "SCL hold Low", 10);
    level(field::TrackBar4, "SDA hold", 80);
}

void addPromptTab(TableBuilder& t) {
    t.place(element::tabPromptMsg, "");
    for (int i = 1; i <= field::kPromptMessages; ++i) {
        const std::string name = field::promptMessage(i);
        t.add(text(name, 0, name));
    }
}

std::vector<FieldDef> buildFieldTable() {
    TableBuilder t;
    addAddressGroup(t);
    addFolderGroup(t);
    addFeatureTab(t);
    addHardwareTab(t);
    addPromptTab(t);
    return std::move(t.fields);
}

ElementDef tab(const char* name, const char* caption, bool visible = true) {
    return ElementDef{name, ElementKind::Tab, caption, "", "", true, visible, false};
}

ElementDef group(const char* name, const char* caption, const char* parent, const char* hint = "") {
    return ElementDef{name, ElementKind::Group, caption, parent, hint, true, true, false};
}

ElementDef menu(const char* name, const char* caption, const char* parent = "", bool visible = true,
                bool checked = false) {
    return ElementDef{name,   parent[0] ? ElementKind::MenuItem : ElementKind::Menu, caption, parent, "", true, visible,
                      checked};
}

// The items of "Open &Recent": none shown until files have been opened or saved.
void addRecentFiles(std::vector<ElementDef>& table) {
    const auto after =
        std::find_if(table.begin(), table.end(), [](const ElementDef& e) { return e.name == element::recentFiles; });
    std::vector<ElementDef> items;
    for (int n = 1; n <= element::kRecentFiles; ++n) {
        items.push_back(ElementDef{element::recentFile(n), ElementKind::MenuItem, "", element::recentFiles, "", true,
                                   false, false});
    }
    table.insert(after + 1, items.begin(), items.end());
}

std::vector<ElementDef> buildElementTable() {
    using namespace element;
    std::vector<ElementDef> table{
        ElementDef{window, ElementKind::Window, "?", "", "", true, true, false},
        tab(tabAddress, "Address / Folder"),
        tab(tabFeature, "Feature On/Off"),
        tab(tabHardware, "Hardware"),
        tab(tabPromptMsg, "PromptMsg", false),
        group(groupAddress, "Address", tabAddress),
        group(groupFolder, "Message Folder", tabAddress, "Total 100 message can be received"),
        group(groupCanned, "Canned Message", tabFeature),
        group(groupHello, "Hello Message", tabFeature),
        group(groupTonePattern, "Tone pattern", tabFeature),
        group(groupDecoder, "Decoder parameter", tabHardware),
        group(groupLcd, "LCD driver", tabHardware),
        group(groupClock, "MPU Clock Select", tabHardware),
        group(groupBattery, "Q4 Battery Detect Voltage", tabHardware),
        group(groupPll, "PLL select", tabHardware),
        group(groupSpeed, "Read_Write Speed", tabHardware),
        menu(menuFile, "&File"),
        menu(open, "&Open", menuFile),
        menu(recentFiles, "Open &Recent", menuFile),
        menu(save, "&Save", menuFile),
        menu(saveAs, "Save &As...", menuFile),
        menu(exit, "&Exit", menuFile),
        menu(menuParallelPort, "&Parallel Port", "", false),
        menu(lpt1, "LPT1", menuParallelPort, true, true),
        menu(lpt2, "LPT2", menuParallelPort),
        menu(ackPolling, "Acknowledge polling", menuParallelPort),
        menu(writeToPager, "&WR_To_Pager"),
        menu(readFromPager, "&RD_From_Pager"),
        menu(switchModel, "&V2", "", false),
        menu(menuHelp, "&Help"),
        menu(recover, "&Recover", menuHelp),
        menu(recoverKS8809, "KS8809", recover),
        menu(recoverSM5170, "SM5170", recover),
        menu(debug, "&Debug", menuHelp, false),
        menu(guide, "User &Guide", menuHelp),
        menu(about, "&About", menuHelp),
        menu(menuProduction, "Pro&duction"),
        menu(productionLog, "Production log…", menuProduction),
        menu(productionRecord, "Production record...", menuProduction),
        menu(productionOperator, "Operator...", menuProduction),
        menu(gangProgramming, "Gang programming...", menuProduction),
        menu(menuTools, "&Tools"),
        menu(busTrace, "Bus trace...", menuTools),
        menu(comparePager, "Compare pager with file...", menuTools),
    };
    addRecentFiles(table);
    return table;
}

}  // namespace

const std::vector<FieldDef>& fieldTable() {
    static const std::vector<FieldDef> table = buildFieldTable();
    return table;
}

const std::vector<ElementDef>& elementTable() {
    static const std::vector<ElementDef> table = buildElementTable();
    return table;
}

int tableItem(std::string_view field, std::string_view item) {
    if (const FieldDef* def = findFieldDef(field); def != nullptr) {
        const auto& items = def->items;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i] == item) return static_cast<int>(i);
    }
    throw std::logic_error("no item \"" + std::string(item) + "\" in " + std::string(field));
}

std::string element::recentFile(int number) { return "RecentFile" + std::to_string(number); }

const FieldDef* findFieldDef(std::string_view name) {
    static const std::unordered_map<std::string_view, const FieldDef*> index = [] {
        std::unordered_map<std::string_view, const FieldDef*> map;
        for (const auto& f : fieldTable()) map.emplace(f.name, &f);
        return map;
    }();
    auto it = index.find(name);
    return it == index.end() ? nullptr : it->second;
}

}  // namespace pagerprog
