// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/epub_text.h"

#include <map>
#include <set>
#include <vector>

#include "documents/html_text.h"
#include "documents/xml_tree.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kOpfNs = "http://www.idpf.org/2007/opf";
constexpr std::string_view kContainerNs = "urn:oasis:names:tc:opendocument:xmlns:container";
constexpr std::string_view kXmlEncNs = "http://www.w3.org/2001/04/xmlenc#";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool HasScheme(std::string_view href) {
    const std::size_t colon = href.find(':');
    const std::size_t slash = href.find('/');
    return colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash);
}

// Reads an XML entry of the archive; null (with `status` saying why) when it cannot.
XmlDoc ReadXml(ZipArchive& zip, std::string_view name, ExtractExit& status) {
    std::string bytes;
    status = zip.read(name, bytes);
    if (status != ExtractExit::Ok) {
        return nullptr;
    }
    XmlDoc doc = ParseXml(bytes);
    status = doc ? ExtractExit::Ok : ExtractExit::Damaged;
    return doc;
}

std::string PackagePath(ZipArchive& zip, ExtractExit& status) {
    const XmlDoc container = ReadXml(zip, "META-INF/container.xml", status);
    if (!container) {
        return {};
    }
    const xmlNode* rootfile = FindElement(DocumentNode(container.get()), kContainerNs, "rootfile");
    std::string path = rootfile != nullptr ? AttributeValue(rootfile, "full-path") : "";
    status = path.empty() ? ExtractExit::Damaged : ExtractExit::Ok;
    return path;
}

// The archive paths encryption.xml says are encrypted (fonts, usually; whole books under DRM).
std::set<std::string> EncryptedPaths(ZipArchive& zip) {
    std::set<std::string> paths;
    ExtractExit status = ExtractExit::Ok;
    const XmlDoc encryption = zip.contains("META-INF/encryption.xml")
                                  ? ReadXml(zip, "META-INF/encryption.xml", status)
                                  : nullptr;
    if (!encryption) {
        return paths;
    }
    WalkTree(DocumentNode(encryption.get()), [&](const xmlNode* node) {
        if (IsElement(node, kXmlEncNs, "CipherReference")) {
            if (auto path = ResolveHref("", AttributeValue(node, "URI"))) {
                paths.insert(*path);
            }
        }
        return Visit::Descend;
    });
    return paths;
}

struct SpineItem {
    std::string path;
    std::string mediaType;
};

// The linear spine items in reading order.
std::vector<SpineItem> Spine(const xmlDoc* package, std::string_view packagePath) {
    std::map<std::string, SpineItem> manifest;
    std::vector<std::string> order;
    WalkTree(DocumentNode(package), [&](const xmlNode* node) {
        if (IsElement(node, kOpfNs, "item")) {
            if (auto path = ResolveHref(packagePath, AttributeValue(node, "href"))) {
                manifest[AttributeValue(node, "id")] = {*path, AttributeValue(node, "media-type")};
            }
        } else if (IsElement(node, kOpfNs, "itemref") && AttributeValue(node, "linear") != "no") {
            order.push_back(AttributeValue(node, "idref"));
        }
        return Visit::Descend;
    });
    std::vector<SpineItem> spine;
    for (const std::string& id : order) {
        if (const auto item = manifest.find(id); item != manifest.end()) {
            spine.push_back(item->second);
        }
    }
    return spine;
}

bool IsHtml(std::string_view mediaType) {
    return mediaType.empty() || mediaType == "application/xhtml+xml" || mediaType == "text/html";
}

}  // namespace

std::optional<std::string> ResolveHref(std::string_view base, std::string_view href) {
    href = href.substr(0, std::min(href.find('#'), href.size()));
    if (href.empty() || HasScheme(href)) {
        return std::nullopt;
    }
    std::vector<std::string> parts;
    std::string joined;
    if (href.front() == '/') {
        joined = PercentDecode(href);
    } else {
        const std::size_t slash = base.rfind('/');
        joined = std::string(base.substr(0, slash == std::string_view::npos ? 0 : slash + 1)) +
                 PercentDecode(href);
    }
    std::string_view rest = joined;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('/'), rest.size());
        const std::string_view part = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (part == "..") {
            if (parts.empty()) {
                return std::nullopt;
            }
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
    }
    std::string path;
    for (const std::string& part : parts) {
        path += (path.empty() ? "" : "/") + part;
    }
    return path.empty() ? std::nullopt : std::optional<std::string>(path);
}

ExtractExit EpubText(ZipArchive& zip, TextSink& sink) {
    ExtractExit status = ExtractExit::Ok;
    const std::string packagePath = PackagePath(zip, status);
    if (status != ExtractExit::Ok) {
        return status;
    }
    const XmlDoc package = ReadXml(zip, packagePath, status);
    if (!package) {
        return status;
    }
    const std::vector<SpineItem> spine = Spine(package.get(), packagePath);
    if (spine.empty()) {
        return ExtractExit::Damaged;
    }
    const std::set<std::string> encrypted = EncryptedPaths(zip);
    std::string bytes;
    for (const SpineItem& item : spine) {
        if (!IsHtml(item.mediaType)) {
            continue;
        }
        if (encrypted.contains(item.path)) {
            return ExtractExit::Encrypted;
        }
        // A spine item missing from the archive is skipped, as readers do; a damaged one is not.
        if (!zip.contains(item.path)) {
            continue;
        }
        status = zip.read(item.path, bytes);
        if (status == ExtractExit::Ok) {
            status = HtmlText(bytes, sink);
        }
        if (status != ExtractExit::Ok || sink.overflowed()) {
            return status;
        }
        sink.endLine();
    }
    return ExtractExit::Ok;
}

}  // namespace lexaro::documents
