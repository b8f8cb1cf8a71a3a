#include "documents/readers.h"

#include <gtest/gtest.h>

#include "formats/format_registry.h"

namespace lexaro::documents {
namespace {

// A format the helper is to read has a reader of the shape its recognition needs (a ZIP's formats
// read the opened archive, the others the bytes) and walks for the fuzz target; a reader belongs
// to a format the helper reads.
TEST(Readers, EveryHelperFormatHasItsReaderAndNoReaderIsLeftOver) {
    for (const DocumentFormat& format : DocumentFormats()) {
        SCOPED_TRACE(format.key);
        const Reader* reader = FindReader(format.key);
        if (!format.needsHelper) {
            EXPECT_EQ(reader, nullptr);
            continue;
        }
        ASSERT_NE(reader, nullptr);
        const bool inZip = format.recognition == Recognition::ZipMimetype ||
                           format.recognition == Recognition::ZipMember;
        EXPECT_EQ(reader->readZip != nullptr, inZip);
        EXPECT_EQ(reader->read != nullptr, !inZip);
        EXPECT_FALSE(reader->fuzzWalks.empty());
    }
    for (const Reader& reader : Readers()) {
        const DocumentFormat* format = FindDocumentFormat(reader.key);
        EXPECT_TRUE(format != nullptr && format->needsHelper) << reader.key;
    }
}

}  // namespace
}  // namespace lexaro::documents
