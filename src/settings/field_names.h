// The names of the settings fields, spelled once. Every field that exists once has a
// constant; the fields of address slots, function codes and folders are built by the
// functions below. The field table is built from these names, and a test checks that
// the two agree, so a misspelt name fails to compile instead of failing at run time.
#pragma once

#include <string>

// Fields that exist once, in window order.
// clang-format off
#define PAGERPROG_SINGLE_FIELDS(X) \
    X(numset) X(dateformat) X(pubboxmode) X(repeatcallcheck) X(repeatcallreject) X(alerttime) \
    X(alerttype) X(alertmode) X(vibratetype) X(urgentcalltype) X(zoom) X(rangeindicator) \
    X(rangetime) X(lcdholdtime) X(contrast) X(contrast_enable) X(unread_alert) X(handprogpws) \
    X(handprog) X(baudrate) X(polarity) X(frequency) X(maxprivate) X(language) X(alarm) \
    X(alarmhour) X(alarmminute) X(autooff) X(autooffstop) X(autooffstart) X(lowcalldelay) \
    X(customer) X(outrange) X(ota) X(msgtypestamp) X(msgstatus) X(msgstatusprefix) X(msglock) \
    X(msgfull) X(pageoff) X(ureadmsg) X(toneonlymsg) X(timedisplay) X(timeprefix) X(repeatmsg) \
    X(quietsound) X(lowbatspecalert) X(datetime) X(autospacing) X(auto_backlight) \
    X(vibratepattern) X(cannedmsgA) X(cannedmsgB) X(cannedmsgC) X(cannedmsgD) X(hellomsg1) \
    X(hellomsg2) X(tonepatternA) X(tonepatternB) X(tonepatternC) X(tonepatternD) \
    X(tonepatternPon) X(tonepatternLcell) X(tonepatternUcall1) X(tonepatternUcall2) \
    X(pager_model) X(lcd_module) X(char_size) X(backlight) X(f_version) X(decoder) \
    X(pll_enable) X(BS2) X(BS3) X(bs1_8212) X(bs3_8212) X(data_format) X(bs2_option) \
    X(end_of_msg) X(clko) X(filter_strength) X(filter_enable) X(errcorrect) X(error_rate) \
    X(lcddrv) X(lcddrv_opa) X(lcd_fosc) X(lcd_tc) X(lcd_bias) X(f_ref) X(n_count) X(r_count) \
    X(cpu_clock1) X(cpu_clock) X(fullbat) X(halfbat) X(lowbat) X(gonebat) X(Vref) X(pll) \
    X(TrackBar1) X(TrackBar2) X(TrackBar3) X(TrackBar4)
// clang-format on

namespace pagerprog::field {

#define PAGERPROG_FIELD_CONSTANT(name) inline constexpr const char* name = #name;
PAGERPROG_SINGLE_FIELDS(PAGERPROG_FIELD_CONSTANT)
#undef PAGERPROG_FIELD_CONSTANT

// Every constant above, for checking them against the field table.
#define PAGERPROG_FIELD_STRING(name) #name,
inline constexpr const char* kSingleFields[] = {PAGERPROG_SINGLE_FIELDS(PAGERPROG_FIELD_STRING)};
#undef PAGERPROG_FIELD_STRING

inline constexpr int kAddressSlots = 8;
inline constexpr int kFolders = 24;
inline constexpr int kPromptMessages = 51;
// The four POCSAG function codes of a slot, as the format and urgent fields name them.
inline constexpr char kFunctionCodes[] = {'A', 'B', 'C', 'D'};

// Address slot fields, slot 1..8: "addr3en", "address3", "autoinc3", "frame3",
// "msgtype3", "addr3formatA" and "urgent3A" for function code 'A'.
std::string addrEn(int slot);
std::string address(int slot);
std::string autoinc(int slot);
std::string frame(int slot);
std::string msgtype(int slot);
std::string addrFormat(int slot, char code);
std::string urgent(int slot, char code);

// Folder fields, folder 0..23 (captioned [1]..[24]): the suffix "0".."9", "A".."N".
std::string folderSuffix(int folder);
std::string pubboxact(int folder);
std::string pubbox(int folder);
std::string pubboxlength(int folder);

// The hello lines 1 and 2.
const char* hellomsg(int line);
// The prompt message fields 1..51 ("pmsg1", the 27th being "pnsg27").
std::string promptMessage(int number);

}  // namespace pagerprog::field
