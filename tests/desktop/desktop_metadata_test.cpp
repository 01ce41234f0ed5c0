#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cstdlib>

// The tree `cmake --install` made, named by TUXING_STAGE.

namespace {

const QString kAppId = QStringLiteral("org.tuxing.Tuxing");

QString staged(const QString& path) { return QDir(QString::fromLocal8Bit(std::getenv("TUXING_STAGE"))).filePath(path); }

QString iconPath(int size)
{
    return staged(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId));
}

QImage normalized(const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32); }

bool hasHan(const QString& text)
{
    for (QChar c : text) {
        if (c.script() == QChar::Script_Han)
            return true;
    }
    return false;
}

struct DesktopEntry {
    QMap<QString, QString> keys;
};

// The desktop entry format is close to, but not, an ini file (lists end in
// ';', values are not quoted), so it is read line by line.
DesktopEntry readDesktopEntry()
{
    QFile file(staged(QStringLiteral("share/applications/%1.desktop").arg(kAppId)));
    DesktopEntry entry;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'['))
            inMainGroup = line == QStringLiteral("[Desktop Entry]");
        else if (inMainGroup && line.contains(u'='))
            entry.keys.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    }
    return entry;
}

QMap<QString, QString> readMetainfo()
{
    QFile file(staged(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId)));
    QMap<QString, QString> found;
    if (!file.open(QIODevice::ReadOnly))
        return found;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString();
        if (name == QStringLiteral("release"))
            found.insert(QStringLiteral("release"), xml.attributes().value(QStringLiteral("version")).toString());
        else if (name == QStringLiteral("id") || name == QStringLiteral("launchable")
            || name == QStringLiteral("binary") || name == QStringLiteral("lang"))
            found.insert(name, xml.readElementText());
    }
    return found;
}

class InstalledIcon : public testing::TestWithParam<int> { };

} // namespace

TEST_P(InstalledIcon, showsAWindowWithATitleBar)
{
    // Opaque frame all round, and a title bar of another colour than the
    // client area below it.
    const QImage icon = normalized(QImage(iconPath(GetParam())));
    const int middle = icon.width() / 2;
    const QRgb title = icon.pixel(middle, icon.height() * 4 / 16);
    const QRgb client = icon.pixel(middle, icon.height() * 12 / 16 + 1);
    EXPECT_EQ(qAlpha(title), 255);
    EXPECT_EQ(qAlpha(client), 255);
    EXPECT_NE(title, client);
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, InstalledIcon, testing::Values(16, 32),
    [](const testing::TestParamInfo<int>& info) { return "size" + std::to_string(info.param); });

TEST(DesktopEntry, startsTheInstalledProgramWithItsIcon)
{
    const DesktopEntry entry = readDesktopEntry();
    EXPECT_EQ(entry.keys.value(QStringLiteral("Exec")), QStringLiteral("tuxing"));
    EXPECT_TRUE(QFileInfo(staged(QStringLiteral("bin/tuxing"))).isExecutable());
    EXPECT_EQ(entry.keys.value(QStringLiteral("Icon")), kAppId);
}

TEST(DesktopEntry, isNamedAndDescribedInChinese)
{
    const DesktopEntry entry = readDesktopEntry();
    EXPECT_TRUE(hasHan(entry.keys.value(QStringLiteral("Name"))));
    EXPECT_TRUE(hasHan(entry.keys.value(QStringLiteral("Comment"))));
}

TEST(Metainfo, releaseIsOnePointZeroZero)
{
    const QMap<QString, QString> metainfo = readMetainfo();
    EXPECT_EQ(metainfo.value(QStringLiteral("release")), QStringLiteral("1.00"));
}

TEST(Metainfo, launchesTheDesktopEntry)
{
    const QMap<QString, QString> metainfo = readMetainfo();
    EXPECT_EQ(metainfo.value(QStringLiteral("id")), kAppId);
    EXPECT_EQ(metainfo.value(QStringLiteral("launchable")), kAppId + QStringLiteral(".desktop"));
    EXPECT_EQ(metainfo.value(QStringLiteral("binary")), QStringLiteral("tuxing"));
    // Every text of the program is Simplified Chinese.
    EXPECT_EQ(metainfo.value(QStringLiteral("lang")), QStringLiteral("zh_CN"));
}

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    if (!std::getenv("TUXING_STAGE")) {
        std::fprintf(stderr, "desktop_metadata_test: TUXING_STAGE names no installed tree\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
