#include "formats/document_kind.h"

#include <algorithm>
#include <array>

namespace lexaro {

namespace {

bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) {
        return false;
    }
    return std::equal(suffix.begin(), suffix.end(),
                      name.end() - static_cast<std::ptrdiff_t>(suffix.size()), [](char a, char b) {
                          const auto lower = [](char c) {
                              return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
                          };
                          return lower(a) == lower(b);
                      });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EndsWithNoCase(text.substr(0, prefix.size()), prefix);
}

bool HasAnySuffix(std::string_view name, std::initializer_list<std::string_view> suffixes) {
    return std::any_of(suffixes.begin(), suffixes.end(),
                       [name](std::string_view s) { return EndsWithNoCase(name, s); });
}

// The markup at the start of a file, past a UTF-8 byte order mark and white space.
bool StartsAsHtml(std::string_view head) {
    if (head.starts_with("\xEF\xBB\xBF")) {
        head.remove_prefix(3);
    }
    const auto first = head.find_first_not_of(" \t\r\n\f");
    if (first == std::string_view::npos) {
        return false;
    }
    head.remove_prefix(first);
    const auto tagEnds = [](std::string_view rest) {
        return rest.empty() || rest.front() == '>' || rest.front() == ' ' || rest.front() == '\t' ||
               rest.front() == '\r' || rest.front() == '\n';
    };
    for (const std::string_view tag :
         {std::string_view("<!doctype html"), std::string_view("<html")}) {
        if (StartsWithNoCase(head, tag) && tagEnds(head.substr(tag.size()))) {
            return true;
        }
    }
    return false;
}

}  // namespace

DocumentKind SniffDocumentKind(std::string_view head, std::string_view fileName) {
    head = head.substr(0, std::min(head.size(), kSniffBytes));
    if (head.starts_with("%PDF-")) {
        return DocumentKind::Pdf;
    }
    if (head.starts_with(std::string_view("PK\x03\x04", 4))) {
        return DocumentKind::Zip;
    }
    if (StartsAsHtml(head) || HasAnySuffix(fileName, {".html", ".htm", ".xhtml"})) {
        return DocumentKind::Html;
    }
    if (HasAnySuffix(fileName, {".md", ".markdown"})) {
        return DocumentKind::Markdown;
    }
    return DocumentKind::PlainText;
}

}  // namespace lexaro
