// SPDX-License-Identifier: MIT
#pragma once
// The languages text recognition knows by name: tesseract's language data is named by ISO 639-2
// codes ("deu", a few with a script: "chi_sim"), while documents and locales say ISO 639-1 ("de",
// "de-DE", "de_DE.UTF-8"). The helper maps one to the other to choose its data; the window names
// the data a user is missing. No Qt: both sides link it.

#include <string>
#include <string_view>

namespace lexaro::helper {

// The language data for a language tag as a document ("de-DE", "deu") or a locale ("de_DE.UTF-8",
// "C", "POSIX") gives it: "deu"; empty for a tag it does not know.
[[nodiscard]] std::string LanguageDataForTag(std::string_view tag);

// The English name of language data ("German" for "deu"); the name itself where it is not known.
[[nodiscard]] std::string LanguageDataName(std::string_view data);

// The Debian package that installs language data ("tesseract-ocr-chi-sim" for "chi_sim").
[[nodiscard]] std::string LanguageDataPackage(std::string_view data);

}  // namespace lexaro::helper
