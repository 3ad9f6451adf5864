#include "app/pager/device_advice.h"

namespace pagerprog {

std::string portFix(ClaimProblem problem) {
    switch (problem) {
        case ClaimProblem::NoPermission:
            return "Add the user to the lp group (sudo usermod -aG lp $USER) and log in again.";
        case ClaimProblem::Busy: return "Another program is using the port: close it, or wait for it to finish.";
        case ClaimProblem::NoSuchPort:
            return "Check that the machine has this port and that the ppdev module is loaded (sudo modprobe ppdev).";
        case ClaimProblem::None:
        case ClaimProblem::Other: break;
    }
    return "";
}

// udev reads rules from /etc/udev/rules.d and /usr/lib/udev/rules.d only; a rule installed
// under another prefix (/usr/local) is never seen.
std::string programmerFix(HidOpenProblem problem) {
    if (problem != HidOpenProblem::NoPermission) return "";
    return "Install the udev rule 70-pagerprog-programmer.rules in /etc/udev/rules.d, run "
           "'sudo udevadm control --reload', then plug the programmer in again (the rule gives it to the user "
           "logged in at the machine).";
}

}  // namespace pagerprog
