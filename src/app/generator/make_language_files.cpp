// Build step: writes the language files the tool ships into the folder given.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "app/document/language_files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_language_files FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const auto& name : pagerprog::shippedLanguageFileNames()) {
        const auto bytes = pagerprog::shippedLanguageFile(name);
        std::ofstream file(folder / name, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            std::cerr << "cannot write " << (folder / name) << '\n';
            return 1;
        }
    }
    return 0;
}
