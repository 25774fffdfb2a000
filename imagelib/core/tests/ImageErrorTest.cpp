#include "ImageError.h"

#include <gtest/gtest.h>

using namespace corv;

TEST(ImageError, LibraryMessagesKeepTheirNumbers) {
    EXPECT_STREQ(JpegErrorMessage(10000), "undefined error");
    EXPECT_STREQ(JpegErrorMessage(10022), "not jpeg file");
    EXPECT_STREQ(JpegErrorMessage(10046), "DNL marker is unsupported");
    EXPECT_STREQ(JpegErrorMessage(10058), "out of range APP Maker");
    EXPECT_EQ(JpegErrorMessage(10059), nullptr);
    EXPECT_STREQ(TiffErrorMessage(20003), "out of memory");
    EXPECT_STREQ(TiffErrorMessage(20015), "not lzw file");
    EXPECT_STREQ(TiffErrorMessage(20025), "file has already compressed");
    EXPECT_EQ(TiffErrorMessage(20026), nullptr);
    EXPECT_EQ(TiffErrorMessage(19999), nullptr);
}

TEST(ImageError, LastErrorsStartAtTheirBase) {
    EXPECT_EQ(JpegLastError(), 10000);
    EXPECT_EQ(TiffLastError(), 20000);
}

TEST(ImageError, JpegHookSeesTheStoredCode) {
    static int seen = 0;
    SetJpegFatalHook([](int code) { seen = code; });
    SetJpegLastError(10022);
    EXPECT_EQ(seen, 10022);
    EXPECT_EQ(JpegLastError(), 10022);
    SetJpegFatalHook(nullptr);
    SetJpegLastError(10000);
}

TEST(ImageError, RaisedCodeTravelsInTheException) {
    try {
        RaiseImageError(87);
    } catch (const CImageError &e) {
        EXPECT_EQ(e.Code(), 87u);
        EXPECT_NE(std::string(e.what()).find("origin"), std::string::npos);
    }
}
