#include "expectations.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>

#include <glib.h>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <cstdlib>
#include <string>
#include <vector>

// The tree `cmake --install` made, named by TUXING_STAGE.

namespace {

const std::string kAppId = "org.tuxing.Tuxing";

std::string staged(const std::string& path) { return std::string(std::getenv("TUXING_STAGE")) + "/" + path; }

QImage icon(int size)
{
    const std::string side = std::to_string(size);
    const QImage image(
        QString::fromStdString(staged("share/icons/hicolor/" + side + "x" + side + "/apps/" + kAppId + ".png")));
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool hasHan(const std::string& text)
{
    for (QChar c : QString::fromStdString(text)) {
        if (c.script() == QChar::Script_Han)
            return true;
    }
    return false;
}

// What a key of the installed desktop entry holds, read as a desktop reads
// it: a string, or a list of strings each followed by ';'.
std::string entryValue(const char* key, const std::string& group = G_KEY_FILE_DESKTOP_GROUP)
{
    g_autoptr(GKeyFile) file = g_key_file_new();
    g_key_file_load_from_file(
        file, staged("share/applications/" + kAppId + ".desktop").c_str(), G_KEY_FILE_NONE, nullptr);
    g_autofree gchar* value = g_key_file_get_string(file, group.c_str(), key, nullptr);
    return value ? value : "";
}

std::vector<std::string> entryList(const char* key)
{
    g_autoptr(GKeyFile) file = g_key_file_new();
    g_key_file_load_from_file(
        file, staged("share/applications/" + kAppId + ".desktop").c_str(), G_KEY_FILE_NONE, nullptr);
    g_auto(GStrv) values = g_key_file_get_string_list(file, G_KEY_FILE_DESKTOP_GROUP, key, nullptr, nullptr);
    return values ? std::vector<std::string>(values, values + g_strv_length(values)) : std::vector<std::string>();
}

// The text of the first node a path names in the installed metainfo; empty
// if none.
std::string metainfo(const std::string& path)
{
    xmlDocPtr document = xmlReadFile(staged("share/metainfo/" + kAppId + ".metainfo.xml").c_str(), nullptr, 0);
    xmlXPathContextPtr context = xmlXPathNewContext(document);
    xmlXPathObjectPtr found
        = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(("string(" + path + ")").c_str()), context);
    const std::string text = found && found->stringval ? reinterpret_cast<const char*>(found->stringval) : "";
    xmlXPathFreeObject(found);
    xmlXPathFreeContext(context);
    xmlFreeDoc(document);
    return text;
}

class InstalledIcon : public testing::TestWithParam<int> { };

} // namespace

TEST_P(InstalledIcon, showsAWindowWithATitleBar)
{
    // Opaque frame all round, and a title bar of another colour than the
    // client area below it.
    const QImage image = icon(GetParam());
    const int middle = image.width() / 2;
    const QRgb title = image.pixel(middle, image.height() * 4 / 16);
    const QRgb client = image.pixel(middle, image.height() * 12 / 16 + 1);
    EXPECT_EQ(qAlpha(title), 255);
    EXPECT_EQ(qAlpha(client), 255);
    EXPECT_NE(title, client);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, InstalledIcon, testing::Values(16, 32),
    [](const testing::TestParamInfo<int>& info) { return "size" + std::to_string(info.param); });

TEST(DesktopEntry, startsTheInstalledProgramWithItsIcon)
{
    EXPECT_EQ(entryValue(G_KEY_FILE_DESKTOP_KEY_EXEC), "tuxing");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(staged("bin/tuxing"))).isExecutable());
    EXPECT_EQ(entryValue(G_KEY_FILE_DESKTOP_KEY_ICON), kAppId);
}

TEST(DesktopEntry, isNamedAndDescribedInChinese)
{
    EXPECT_TRUE(hasHan(entryValue(G_KEY_FILE_DESKTOP_KEY_NAME)));
    EXPECT_TRUE(hasHan(entryValue(G_KEY_FILE_DESKTOP_KEY_COMMENT)));
}

// Slow enough that the passes of colour can be watched sweeping over each
// picture for some seconds, and fast enough that 金光大道 ends before a
// desktop calls a window that has not answered for 5 s not responding.
TEST(DesktopEntry, offersInChineseToPaintAtAPaceThePicturesCanBeWatchedAt)
{
    const std::vector<std::string> actions = entryList(G_KEY_FILE_DESKTOP_KEY_ACTIONS);
    ASSERT_EQ(actions.size(), 1u);
    const std::string group = "Desktop Action " + actions.front();
    EXPECT_TRUE(hasHan(entryValue(G_KEY_FILE_DESKTOP_KEY_NAME, group))) << "the action " << actions.front();

    const std::string exec = entryValue(G_KEY_FILE_DESKTOP_KEY_EXEC, group);
    const std::string paceOption = "tuxing --pace=";
    ASSERT_EQ(exec.substr(0, paceOption.size()), paceOption);
    bool isNumber = false;
    const double pace = QString::fromStdString(exec.substr(paceOption.size())).toDouble(&isNumber);
    ASSERT_TRUE(isNumber && pace > 0) << exec;
    EXPECT_LE(points::kGoldenAvenue / pace, 4.5);
    EXPECT_GE(points::kMountainsAndWater / pace, 1.0);
}

TEST(Metainfo, releaseIsOnePointZeroZero) { EXPECT_EQ(metainfo("/component/releases/release/@version"), "1.00"); }

TEST(Metainfo, launchesTheDesktopEntry)
{
    EXPECT_EQ(metainfo("/component/id"), kAppId);
    EXPECT_EQ(metainfo("/component/launchable[@type='desktop-id']"), kAppId + ".desktop");
    EXPECT_EQ(metainfo("/component/provides/binary"), "tuxing");
    // Every text of the program is Simplified Chinese.
    EXPECT_EQ(metainfo("/component/languages/lang"), "zh_CN");
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
