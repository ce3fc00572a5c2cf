// The launcher icon committed under packaging/icons/ against the generator
// that drew it.
#include "appicon.h"

#include <QImage>
#include <gtest/gtest.h>

namespace
{

QString committedIcon(int size)
{
    return QStringLiteral(RADAR_SOURCE_DIR "/packaging/icons/") + appIconPath(size);
}

TEST(AppIconTest, CommittedIconsMatchTheGenerator)
{
    for (const int size : kAppIconSizes) {
        const QImage committed(committedIcon(size));
        ASSERT_FALSE(committed.isNull()) << qPrintable(committedIcon(size)) << " is missing";
        EXPECT_TRUE(committed.convertToFormat(QImage::Format_ARGB32) == makeAppIcon(size))
            << qPrintable(committedIcon(size))
            << " is stale: run texgen --icons <source>/packaging/icons";
    }
}

} // namespace
