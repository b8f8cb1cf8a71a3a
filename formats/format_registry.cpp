// SPDX-License-Identifier: MIT
#include "formats/format_registry.h"

#include <algorithm>
#include <array>

namespace lexaro {

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// "name.ext" for `extension` "ext"; "book.fb2.zip" has both "zip" and "fb2.zip".
bool HasExtension(std::string_view fileName, std::string_view extension) {
    return fileName.size() > extension.size() &&
           fileName[fileName.size() - extension.size() - 1] == '.' &&
           EqualNoCase(fileName.substr(fileName.size() - extension.size()), extension);
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

// XML whose first element is `root`: past a UTF-8 byte order mark, white space, the declaration,
// processing instructions, comments and a document type. Only the head is seen, so an element
// beyond it does not count.
bool StartsAsXmlRoot(std::string_view head, std::string_view root) {
    if (head.starts_with("\xEF\xBB\xBF")) {
        head.remove_prefix(3);
    }
    for (;;) {
        const auto first = head.find_first_not_of(" \t\r\n");
        if (first == std::string_view::npos) {
            return false;
        }
        head.remove_prefix(first);
        std::string_view close;
        if (head.starts_with("<?")) {
            close = "?>";
        } else if (head.starts_with("<!--")) {
            close = "-->";
        } else if (head.starts_with("<!")) {
            close = ">";
        } else {
            break;
        }
        const auto end = head.find(close, 2);
        if (end == std::string_view::npos) {
            return false;
        }
        head.remove_prefix(end + close.size());
    }
    if (!head.starts_with('<') || !head.substr(1).starts_with(root)) {
        return false;
    }
    const std::string_view rest = head.substr(1 + root.size());
    return rest.empty() || rest.front() == '>' || rest.front() == ' ' || rest.front() == '\t' ||
           rest.front() == '\r' || rest.front() == '\n' || rest.front() == '/';
}

constexpr std::string_view kZipMagic("PK\x03\x04", 4);

bool IsInZip(const DocumentFormat& format) {
    return format.recognition == Recognition::ZipMimetype ||
           format.recognition == Recognition::ZipMember;
}

bool BytesShow(const DocumentFormat& format, std::string_view head) {
    switch (format.recognition) {
        case Recognition::Magic:
            return head.size() >= format.offset &&
                   head.substr(format.offset).starts_with(format.pattern);
        case Recognition::HtmlMarkup:
            return StartsAsHtml(head);
        case Recognition::XmlRoot:
            return StartsAsXmlRoot(head, format.pattern);
        case Recognition::ZipMimetype:
        case Recognition::ZipMember:
            return head.starts_with(kZipMagic);
        case Recognition::None:
        case Recognition::Fallback:
            break;
    }
    return false;
}

}  // namespace

const DocumentFormat* FindDocumentFormat(std::string_view key) {
    const auto formats = DocumentFormats();
    const auto found = std::find_if(formats.begin(), formats.end(),
                                    [key](const DocumentFormat& f) { return f.key == key; });
    return found == formats.end() ? nullptr : &*found;
}

const DocumentFormat& ZipArchiveFormat() {
    static constexpr DocumentFormat kZip{
        "zip", "ZIP archive", {}, {}, Recognition::Magic, kZipMagic, 0, false, true};
    return kZip;
}

const DocumentFormat& SniffDocumentFormat(std::string_view head, std::string_view fileName) {
    head = head.substr(0, std::min(head.size(), kSniffBytes));
    const auto formats = DocumentFormats();
    for (const DocumentFormat& format : formats) {
        if (BytesShow(format, head)) {
            return IsInZip(format) ? ZipArchiveFormat() : format;
        }
    }
    for (const DocumentFormat& format : formats) {
        if (format.byName &&
            std::any_of(format.extensions.begin(), format.extensions.end(),
                        [fileName](std::string_view e) { return HasExtension(fileName, e); })) {
            return format;
        }
    }
    return *std::find_if(formats.begin(), formats.end(), [](const DocumentFormat& f) {
        return f.recognition == Recognition::Fallback;
    });
}

const DocumentFormat* FormatInZip(std::string_view mimetype,
                                  const std::function<bool(std::string_view member)>& holds) {
    for (const DocumentFormat& format : DocumentFormats()) {
        if ((format.recognition == Recognition::ZipMimetype && mimetype == format.pattern) ||
            (format.recognition == Recognition::ZipMember && holds(format.pattern))) {
            return &format;
        }
    }
    return nullptr;
}

}  // namespace lexaro
