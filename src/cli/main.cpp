// pagerprog-cli: the command-line companion. For now it prints every field of the
// settings record as `name=value`, in window order.
#include <iostream>
#include <string>

#include "settings/settings_model.h"

namespace {

std::string shownValue(const pagerprog::Field& field) {
    using pagerprog::FieldKind;
    switch (field.spec->kind) {
        case FieldKind::Choice:
            return field.index < 0 ? "#-1" : field.text;
        case FieldKind::Flag:
            return field.checked ? "1" : "0";
        case FieldKind::Level:
            return std::to_string(field.level);
        default:
            return field.text;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) != "show") {
        std::cerr << "usage: pagerprog-cli show\n";
        return 2;
    }
    pagerprog::SettingsModel model;
    for (const auto& field : model.fields()) std::cout << field.spec->name << '=' << shownValue(field) << '\n';
    return 0;
}
