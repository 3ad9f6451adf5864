#include "app/document/language_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "settings/prompt_texts.h"

namespace pagerprog {

void chooseLanguageFile(Context& ctx) {
    static const int kFrench = tableItem(field::language, "French");
    if (ctx.program.hardwareRevision == Revision::TV8) {
        ctx.program.languageFile = kTv8LanguageFile;
    } else {
        ctx.program.languageFile =
            ctx.model.index(field::language) == kFrench ? kFrenchLanguageFile : kEnglishLanguageFile;
    }
}

void readLanguageFile(Context& ctx) {
    const std::filesystem::path path = std::filesystem::path(ctx.program.defaultFolder) / ctx.program.languageFile;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        ctx.logAndBeep("Language file error");
        return;
    }
    // Past the end of the file every byte reads as the end-of-file value, stored as 255.
    for (std::size_t i = kPromptAreaOffset; i < kImageSize; ++i) {
        const int c = file.get();
        ctx.program.image[i] = c == std::char_traits<char>::eof() ? 0xFF : static_cast<std::uint8_t>(c);
    }
}

const std::vector<std::string>& frenchPrompts() {
    // Plain ASCII: the pager's character table holds 0x20..0x7F only.
    static const std::vector<std::string> prompts{"EFFACER?",
                                                  "  < VIDE >",
                                                  "[MSG REPETE]",
                                                  "PILE FAIBLE",
                                                  "PAS DE MSG",
                                                  "FIN DU MESSAGE",
                                                  "[O.K.]",
                                                  "   Test moteur!",
                                                  "   Test lampe!",
                                                  "   Test buzzer!",
                                                  " 512BPS",
                                                  "1200BPS",
                                                  "2400BPS",
                                                  "ARR",
                                                  "MAR",
                                                  "HORS RESEAU",
                                                  "INVALIDE!",
                                                  "Debit:     ",
                                                  "DIM",
                                                  "LUN",
                                                  "MAR",
                                                  "MER",
                                                  "JEU",
                                                  "VEN",
                                                  "SAM",
                                                  "NON LU   ",
                                                  "BIP SEUL!",
                                                  "MEMOIRE PLEINE",
                                                  " DEVERROUIL",
                                                  "OUI     NON",
                                                  "    EFFACER",
                                                  "  EFFACER TOUT   ",
                                                  "  VERROUIL ",
                                                  "CONTRASTE:",
                                                  "AUTO:     ",
                                                  "INACTIF",
                                                  "ACTIF",
                                                  " A  ",
                                                  "HEURE",
                                                  "REVEIL",
                                                  "AUTO",
                                                  "MELODIE",
                                                  "CONTRASTE",
                                                  "ALERTE",
                                                  "MEMOIRE",
                                                  "ARRET",
                                                  "BUZZER",
                                                  "VIBREUR",
                                                  "MUET  ",
                                                  "PUBLIC"};
    return prompts;
}

const std::vector<std::string>& shippedLanguageFileNames() {
    static const std::vector<std::string> names{kEnglishLanguageFile, kFrenchLanguageFile, kTv8LanguageFile};
    return names;
}

std::vector<std::uint8_t> shippedLanguageFile(const std::string& name) {
    const std::vector<std::string>* prompts = nullptr;
    if (name == kEnglishLanguageFile) prompts = &sixAddressPrompts();
    if (name == kFrenchLanguageFile) prompts = &frenchPrompts();
    if (name == kTv8LanguageFile) prompts = &eightAddressPrompts();
    if (!prompts) return {};
    const auto area = buildPromptArea(*prompts);
    return std::vector<std::uint8_t>(area.begin(), area.end());
}

}  // namespace pagerprog
