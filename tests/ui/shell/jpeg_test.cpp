#include <gtest/gtest.h>

#include "ui/shell/assets.h"
#include "ui/shell/jpeg_image.h"

namespace xunda::test {
namespace {

// Damaged data gives a null image, and the process (and the decoder) lives on.
TEST(JpegTest, TheWelcomePictureDecodesAndDamagedDataGivesANullImage) {
    const QByteArray whole = WelcomeJpeg();
    for (const QByteArray& damaged :
         {whole.left(whole.size() / 2), whole.left(40), QByteArray("not a picture"), QByteArray()}) {
        EXPECT_TRUE(DecodeJpeg(damaged).isNull());
    }
    EXPECT_EQ(DecodeJpeg(whole).size(), QSize(560, 380));
}

}  // namespace
}  // namespace xunda::test
