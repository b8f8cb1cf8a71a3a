// PDF fixtures from a minimal PDF writer (writing only: every PDF is read by poppler), and the
// file helpers.

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "tests/documents/fixtures.h"

extern char** environ;

namespace lexaro::fixtures {

namespace {

std::string PdfString(std::string_view text) {
    std::string out = "(";
    for (const char c : text) {
        if (c == '(' || c == ')' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + ")";
}

std::string Number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

std::string PageContent(const PdfPage& page) {
    std::string content;
    for (const PdfText& text : page.texts) {
        content += std::string("BT /") + (text.bold ? "F2 " : "F1 ") + Number(text.size) + " Tf " +
                   Number(text.x) + ' ' + Number(text.y) + " Td " + PdfString(text.text) +
                   " Tj ET\n";
    }
    if (page.rectangle) {
        content += "0.5 g 100 300 300 200 re f\n";
    }
    if (!page.scanJpeg.empty()) {
        const double width = page.scanWidth * 72.0 / 300;
        const double height = page.scanHeight * 72.0 / 300;
        content += "q " + Number(width) + " 0 0 " + Number(height) + " 0 " + Number(792 - height) +
                   " cm /Scan Do Q\n";
    }
    if (page.inlineImage) {
        content += "q 100 0 0 100 200 550 cm BI /W 2 /H 2 /CS /G /BPC 8 ID ";
        content.append("\x00\xFF\xFF\x00", 4);
        content += "\nEI Q\n";
    }
    return content;
}

}  // namespace

namespace {

constexpr std::string_view kHelvetica =
    "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";

// `extraObjects` come after the pages' objects (numbered on from 4 + 2 * pages).
std::string PdfWithFont(const std::vector<PdfPage>& pages, std::string_view font,
                        const std::vector<std::string>& extraObjects = {}) {
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    const auto object = [&](const std::string& body) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    std::string kids;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        kids += std::to_string(4 + 2 * i) + " 0 R ";
    }
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
    object(std::string(font));
    // Scans' image objects come last, after the extra objects.
    std::size_t scans = 4 + 2 * pages.size() + extraObjects.size();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        std::string scan;
        if (!pages[i].scanJpeg.empty()) {
            scan = " /XObject << /Scan " + std::to_string(scans++) + " 0 R >>";
        }
        object(
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 "
            "0 R /F2 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding "
            "/WinAnsiEncoding >> >>" +
            scan + " >> /Contents " + std::to_string(5 + 2 * i) + " 0 R >>");
        const std::string content = PageContent(pages[i]);
        object("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
               "\nendstream");
    }
    for (const std::string& extra : extraObjects) {
        object(extra);
    }
    for (const PdfPage& page : pages) {
        if (!page.scanJpeg.empty()) {
            object("<< /Type /XObject /Subtype /Image /Width " + std::to_string(page.scanWidth) +
                   " /Height " + std::to_string(page.scanHeight) +
                   " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /DCTDecode /Length " +
                   std::to_string(page.scanJpeg.size()) + " >>\nstream\n" + page.scanJpeg +
                   "\nendstream");
        }
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    return pdf + "trailer\n<< /Size " + std::to_string(offsets.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
}

}  // namespace

std::string PdfBytes(const std::vector<PdfPage>& pages) {
    return PdfWithFont(pages, kHelvetica);
}

std::string JapanesePdfBytes(const std::vector<std::u16string>& lines) {
    PdfPage page;
    double y = 740;
    for (const std::u16string& line : lines) {
        std::string ucs2;
        for (const char16_t unit : line) {
            ucs2 += static_cast<char>(unit >> 8);
            ucs2 += static_cast<char>(unit & 0xFF);
        }
        page.texts.push_back({72, y, ucs2});
        y -= 14;
    }
    return PdfWithFont(
        {page},
        "<< /Type /Font /Subtype /Type0 /BaseFont /HeiseiMin-W3 /Encoding /UniJIS-UCS2-H "
        "/DescendantFonts [<< /Type /Font /Subtype /CIDFontType0 /BaseFont /HeiseiMin-W3 "
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (Japan1) /Supplement 2 >> /DW 1000 "
        "/FontDescriptor << /Type /FontDescriptor /FontName /HeiseiMin-W3 /Flags 6 "
        "/FontBBox [0 -141 1000 859] /ItalicAngle 0 /Ascent 859 /Descent -141 /CapHeight 709 "
        "/StemV 69 >> >>] >>");
}

std::string MappedPdfBytes(const std::vector<std::vector<std::u32string>>& lines) {
    // Each glyph gets a code of its own, from 0x21 on; the font draws whatever Helvetica has
    // there, and the ToUnicode map says which characters each glyph stands for.
    std::vector<std::u32string> glyphs;
    PdfPage page;
    double y = 740;
    for (const std::vector<std::u32string>& line : lines) {
        std::string codes;
        for (const std::u32string& glyph : line) {
            auto found = std::find(glyphs.begin(), glyphs.end(), glyph);
            if (found == glyphs.end()) {
                glyphs.push_back(glyph);
                found = glyphs.end() - 1;
            }
            codes += static_cast<char>(0x21 + (found - glyphs.begin()));
        }
        page.texts.push_back({72, y, codes});
        y -= 14;
    }
    std::string map =
        "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /Mapped def "
        "/CMapType 2 def 1 begincodespacerange <00> <FF> endcodespacerange\n" +
        std::to_string(glyphs.size()) + " beginbfchar\n";
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        char code[24];  // room for any size_t, though the codes stop at <FF>
        std::snprintf(code, sizeof code, "<%02zX> <", 0x21 + i);
        map += code;
        std::u16string utf16;
        for (const char32_t c : glyphs[i]) {
            if (c >= 0x10000) {
                utf16 += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
                utf16 += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                utf16 += static_cast<char16_t>(c);
            }
        }
        for (const char16_t unit : utf16) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(unit));
            map += hex;
        }
        map += ">\n";
    }
    map += "endbfchar endcmap CMapName currentdict /CMap defineresource pop end end";
    return PdfWithFont(
        {page}, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /ToUnicode 6 0 R >>",
        {"<< /Length " + std::to_string(map.size()) + " >>\nstream\n" + map + "\nendstream"});
}

std::string TextPdfBytes(const std::vector<std::vector<std::string>>& pages) {
    std::vector<PdfPage> pdfPages;
    for (const auto& lines : pages) {
        PdfPage page;
        double y = 740;
        for (const std::string& line : lines) {
            if (!line.empty()) {
                page.texts.push_back({72, y, line});
            }
            y -= 14;
        }
        pdfPages.push_back(page);
    }
    return PdfBytes(pdfPages);
}

std::string ImageOnlyPdfBytes(int pages) {
    return PdfBytes(
        std::vector<PdfPage>(static_cast<std::size_t>(pages), PdfPage{{}, true, true, {}, 0, 0}));
}

namespace {

// `pdf` run through qpdf with `options` between the input and output files; empty on failure.
#ifdef _WIN32
std::string ThroughQpdf(const std::string& /*pdf*/, const std::vector<std::string>& /*options*/) {
    return {};
}
#else
std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            bytes.append(buffer, got);
        }
        std::fclose(file);
    }
    return bytes;
}

std::string ThroughQpdf(const std::string& pdf, std::vector<std::string> options) {
    const std::string directory = MakeTempDirectory();
    const std::string in = directory + "/in.pdf";
    const std::string out = directory + "/out.pdf";
    std::string result;
    if (!directory.empty() && WriteFileBytes(in, pdf)) {
        std::vector<std::string> args{"qpdf"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(in);
        args.push_back(out);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "qpdf", nullptr, nullptr, argv.data(), environ) == 0 &&
            waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            result = ReadFileBytes(out);
        }
    }
    std::remove(in.c_str());
    std::remove(out.c_str());
    rmdir(directory.c_str());
    return result;
}
#endif

}  // namespace

std::string EncryptedPdfBytes(const std::string& pdf, const std::string& password) {
    return ThroughQpdf(pdf, {"--encrypt", password, password + "-owner", "256", "--"});
}

std::string LinearizedPdfBytes(const std::string& pdf) {
    return ThroughQpdf(pdf, {"--linearize"});
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::string MakeTempDirectory() {
#ifdef _WIN32
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("lexaro-fixture-" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(path, error)) {
            return path.generic_string();
        }
    }
    return {};
#else
    const char* base = std::getenv("TMPDIR");
    std::string path =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/lexaro-fixture-XXXXXX";
    return mkdtemp(path.data()) != nullptr ? path : std::string();
#endif
}

}  // namespace lexaro::fixtures
