#include <gtest/gtest.h>

#include "ui/assets.h"
#include "ui/jpeg_image.h"

namespace xunda::test {
namespace {

TEST(JpegTest, TheWelcomePictureDecodes) {
    const QImage image = DecodeJpeg(WelcomeJpeg());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(560, 380));
}

TEST(JpegTest, DamagedDataGivesANullImageAndTheProcessLives) {
    const QByteArray whole = WelcomeJpeg();
    EXPECT_TRUE(DecodeJpeg(whole.left(whole.size() / 2)).isNull());  // truncated in the scans
    EXPECT_TRUE(DecodeJpeg(whole.left(40)).isNull());                // truncated in the header
    EXPECT_TRUE(DecodeJpeg(QByteArray("not a picture at all")).isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray()).isNull());
    EXPECT_FALSE(DecodeJpeg(whole).isNull());  // the decoder is still usable afterwards
}

}  // namespace
}  // namespace xunda::test
