// Prompt texts in the pager's language: which language file applies, reading it into
// the image's prompt area, and the contents of the files the tool ships.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "context/context.h"

namespace pagerprog {

inline constexpr const char* kEnglishLanguageFile = "EnglishStr.lib";
inline constexpr const char* kFrenchLanguageFile = "FranchStr.lib";
inline constexpr const char* kTv8LanguageFile = "EngStrV8.lib";

// Picks language_file from the revision and the `language` choice.
void chooseLanguageFile(Context& ctx);

// Reads language_file from the data folder into image bytes 1024..2047; a short file is
// padded with 255, a longer one cut. A missing file logs "Language file error" and beeps,
// leaving the prompt area as it was.
void readLanguageFile(Context& ctx);

// The French prompts, in the order and count of the TV7 English table.
const std::vector<std::string>& frenchPrompts();

// The 1024 bytes of a shipped language file, by file name (empty for an unknown name).
std::vector<std::uint8_t> shippedLanguageFile(const std::string& name);

// The file names the tool ships.
const std::vector<std::string>& shippedLanguageFileNames();

}  // namespace pagerprog
