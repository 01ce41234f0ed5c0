#include "expectations.h"

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
    // By action name.
    QMap<QString, QMap<QString, QString>> actions;
};

// The desktop entry format is close to, but not, an ini file (lists end in
// ';', values are not quoted), so it is read line by line.
DesktopEntry readDesktopEntry()
{
    QFile file(staged(QStringLiteral("share/applications/%1.desktop").arg(kAppId)));
    DesktopEntry entry;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    const QString actionGroup = QStringLiteral("[Desktop Action ");
    QMap<QString, QString>* group = nullptr;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line == QStringLiteral("[Desktop Entry]"))
            group = &entry.keys;
        else if (line.startsWith(actionGroup) && line.endsWith(u']'))
            group = &entry.actions[line.mid(actionGroup.size()).chopped(1)];
        else if (line.startsWith(u'['))
            group = nullptr;
        else if (group && line.contains(u'='))
            group->insert(line.section(u'=', 0, 0), line.section(u'=', 1));
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

// Slow enough that the passes of colour can be watched sweeping over each
// picture for some seconds, and fast enough that 金光大道 ends before a
// desktop calls a window that has not answered for 5 s not responding.
TEST(DesktopEntry, offersInChineseToPaintAtAPaceThePicturesCanBeWatchedAt)
{
    const DesktopEntry entry = readDesktopEntry();
    const QStringList names = entry.keys.value(QStringLiteral("Actions")).split(u';', Qt::SkipEmptyParts);
    ASSERT_EQ(names.size(), 1) << entry.keys.value(QStringLiteral("Actions")).toStdString();
    ASSERT_TRUE(entry.actions.contains(names.front())) << "no group for the action " << names.front().toStdString();
    const QMap<QString, QString> action = entry.actions.value(names.front());
    EXPECT_TRUE(hasHan(action.value(QStringLiteral("Name"))));

    const QString exec = action.value(QStringLiteral("Exec"));
    const QString paceOption = QStringLiteral("tuxing --pace=");
    ASSERT_TRUE(exec.startsWith(paceOption)) << exec.toStdString();
    bool isNumber = false;
    const double pace = exec.mid(paceOption.size()).toDouble(&isNumber);
    ASSERT_TRUE(isNumber && pace > 0) << exec.toStdString();
    EXPECT_LE(points::kGoldenAvenue / pace, 4.5);
    EXPECT_GE(points::kMountainsAndWater / pace, 1.0);
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
