// SPDX-License-Identifier: MIT
// Language tags and tesseract's language data (see ocr_languages.h).
#include "helper/ocr_languages.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace lexaro::helper {

namespace {

struct Language {
    std::string_view tag;   // ISO 639-1
    std::string_view data;  // tesseract's name, ISO 639-2/T
    std::string_view name;
};

// The languages of Debian's tesseract-ocr-* packages that have a two-letter code.
constexpr std::array kLanguages{
    Language{"af", "afr", "Afrikaans"},
    Language{"ar", "ara", "Arabic"},
    Language{"be", "bel", "Belarusian"},
    Language{"bg", "bul", "Bulgarian"},
    Language{"bn", "ben", "Bengali"},
    Language{"ca", "cat", "Catalan"},
    Language{"cs", "ces", "Czech"},
    Language{"cy", "cym", "Welsh"},
    Language{"da", "dan", "Danish"},
    Language{"de", "deu", "German"},
    Language{"el", "ell", "Greek"},
    Language{"en", "eng", "English"},
    Language{"eo", "epo", "Esperanto"},
    Language{"es", "spa", "Spanish"},
    Language{"et", "est", "Estonian"},
    Language{"eu", "eus", "Basque"},
    Language{"fa", "fas", "Persian"},
    Language{"fi", "fin", "Finnish"},
    Language{"fr", "fra", "French"},
    Language{"ga", "gle", "Irish"},
    Language{"gl", "glg", "Galician"},
    Language{"he", "heb", "Hebrew"},
    Language{"hi", "hin", "Hindi"},
    Language{"hr", "hrv", "Croatian"},
    Language{"hu", "hun", "Hungarian"},
    Language{"id", "ind", "Indonesian"},
    Language{"is", "isl", "Icelandic"},
    Language{"it", "ita", "Italian"},
    Language{"ja", "jpn", "Japanese"},
    Language{"ko", "kor", "Korean"},
    Language{"la", "lat", "Latin"},
    Language{"lt", "lit", "Lithuanian"},
    Language{"lv", "lav", "Latvian"},
    Language{"mk", "mkd", "Macedonian"},
    Language{"ms", "msa", "Malay"},
    Language{"mt", "mlt", "Maltese"},
    Language{"nb", "nor", "Norwegian"},
    Language{"nl", "nld", "Dutch"},
    Language{"nn", "nor", "Norwegian"},
    Language{"no", "nor", "Norwegian"},
    Language{"pl", "pol", "Polish"},
    Language{"pt", "por", "Portuguese"},
    Language{"ro", "ron", "Romanian"},
    Language{"ru", "rus", "Russian"},
    Language{"sk", "slk", "Slovak"},
    Language{"sl", "slv", "Slovenian"},
    Language{"sq", "sqi", "Albanian"},
    Language{"sr", "srp", "Serbian"},
    Language{"sv", "swe", "Swedish"},
    Language{"sw", "swa", "Swahili"},
    Language{"ta", "tam", "Tamil"},
    Language{"th", "tha", "Thai"},
    Language{"tr", "tur", "Turkish"},
    Language{"uk", "ukr", "Ukrainian"},
    Language{"ur", "urd", "Urdu"},
    Language{"vi", "vie", "Vietnamese"},
    Language{"zh", "chi_sim", "Chinese (Simplified)"},
};

// Chinese in traditional characters, by region or script.
constexpr Language kTraditionalChinese{"zh", "chi_tra", "Chinese (Traditional)"};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

}  // namespace

std::string LanguageDataForTag(std::string_view tag) {
    const std::string lower = Lower(tag.substr(0, std::min<std::size_t>(tag.size(), 64)));
    const std::size_t end = lower.find_first_of("-_.@");
    const std::string_view language = std::string_view(lower).substr(0, end);
    const std::string_view rest =
        end == std::string::npos ? "" : std::string_view(lower).substr(end);
    for (const Language& known : kLanguages) {
        if (language == known.tag || language == known.data) {
            if (known.tag == "zh" && (rest.find("tw") != std::string_view::npos ||
                                      rest.find("hk") != std::string_view::npos ||
                                      rest.find("hant") != std::string_view::npos)) {
                return std::string(kTraditionalChinese.data);
            }
            return std::string(known.data);
        }
    }
    return {};
}

std::string LanguageDataName(std::string_view data) {
    if (data == kTraditionalChinese.data) {
        return std::string(kTraditionalChinese.name);
    }
    for (const Language& known : kLanguages) {
        if (data == known.data) {
            return std::string(known.name);
        }
    }
    return std::string(data);
}

std::string LanguageDataPackage(std::string_view data) {
    std::string package = "tesseract-ocr-" + Lower(data);
    std::replace(package.begin(), package.end(), '_', '-');
    return package;
}

}  // namespace lexaro::helper
