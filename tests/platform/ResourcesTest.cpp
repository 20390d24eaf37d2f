// The embedded picture pack: which resources exist, what they hold, the
// design pictures kept apart from the numbered ones, and a build that draws
// the same set every time.
#include "TestSupport.h"

#include "platform/Resources.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mj;

namespace {

// Every numbered picture the client uses. 156 to 158 are named by the claim
// button table but never existed.
QList<int> ExpectedIds()
{
    const std::pair<int, int> ranges[] = {
        {101, 120}, {126, 137}, {141, 155}, {161, 176}, {183, 200}, {201, 380}, {381, 398},
        {401, 410}, {418, 420}, {450, 451}, {501, 502}, {600, 605}, {850, 864}, {870, 875},
    };
    QList<int> ids;
    for (const auto& [first, last] : ranges)
        for (int id = first; id <= last; ++id)
            ids.append(id);
    return ids;
}

QSize DecodedSize(const QByteArray& data)
{
    QImage image;
    return image.loadFromData(data) ? image.size() : QSize();
}

} // namespace

TEST(Resources, HoldsExactlyThePicturesTheClientUses)
{
    const QList<int> ids = Resources::Ids(QStringLiteral("GIF"));
    EXPECT_EQ(ids, ExpectedIds());
    for (int id : {156, 157, 158, 100, 121, 125, 138, 177, 182, 399, 400, 503, 876})
        EXPECT_FALSE(Resources::Load(id, QStringLiteral("GIF"))) << id;
    EXPECT_TRUE(Resources::Ids(QStringLiteral("BITMAP")).isEmpty());
    EXPECT_FALSE(Resources::Load(101, QStringLiteral("BITMAP")));
}

TEST(Resources, PicturesArePngExceptTheJpegBackgrounds)
{
    for (int id : ExpectedIds()) {
        SCOPED_TRACE(id);
        const std::optional<QByteArray> data = Resources::Load(id, QStringLiteral("GIF"));
        ASSERT_TRUE(data);
        if (id >= 870)
            EXPECT_TRUE(data->startsWith("\xFF\xD8\xFF"));
        else
            EXPECT_TRUE(data->startsWith("\x89PNG\r\n\x1A\n"));
        EXPECT_TRUE(DecodedSize(*data).isValid());
    }
}

TEST(Resources, OwnHandLyingBackIsTheSamePictureAsTheOwnViews)
{
    // Melds show a face-down tile by index 8 or by resource 353 alike.
    EXPECT_EQ(Resources::Load(353, QStringLiteral("GIF")), Resources::Load(209, QStringLiteral("GIF")));
}

TEST(Resources, DesignPicturesAreNamedAndNeverNumbered)
{
    struct Case {
        const char* name;
        QSize size;
    } cases[] = {
        {"MainForm.Pic1", {1024, 768}},
        {"MainForm.Pic2", {800, 600}},
        {"MainForm.Skin", {46, 220}},
        {"MainForm.OK", {45, 61}},
        {"MainForm.Speak(0)", {81, 81}},
        {"MainForm.Speak(2)", {81, 81}},
        {"MainForm.Host", {71, 25}},
        {"MainForm.imgBeishu", {80, 29}},
        {"MainForm.imgLocation", {394, 39}},
        {"MainForm.ImgKuang", {126, 105}},
        {"frmExit", {320, 180}},
        {"frmOtherExit", {319, 180}},
        {"frmReconnect", {278, 200}},
        {"Talk", {320, 180}},
        {"VosSet", {220, 363}},
        {"VosSet.Image1(4)", {91, 35}},
        {"rule", {335, 533}},
        {"Score", {640, 480}},
        {"Hero", {655, 454}},
        {"Information", {220, 330}},
        {"VideoWindow.ImgCmd(0)", {17, 16}},
    };
    const QStringList names = Resources::DesignNames();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromUtf8(c.name);
        EXPECT_TRUE(names.contains(name));
        const std::optional<QByteArray> data = Resources::LoadDesign(name);
        ASSERT_TRUE(data);
        EXPECT_EQ(DecodedSize(*data), c.size);
    }
    EXPECT_FALSE(Resources::LoadDesign(QStringLiteral("NoSuchForm")));

    // No numbered lookup reaches a design picture, under either type name.
    EXPECT_TRUE(Resources::Ids(QStringLiteral("DESIGN")).isEmpty());
    for (int id : ExpectedIds()) {
        EXPECT_FALSE(Resources::Load(id, QStringLiteral("DESIGN"))) << id;
        EXPECT_FALSE(Resources::LoadDesign(QString::number(id))) << id;
    }
}

// The generator draws the same bytes on every run, whatever the locale of
// whoever runs it (fonts are named and matched by language), so the embedded
// pack is what a fresh run of the generator produces.
TEST(Resources, GeneratorIsDeterministic)
{
    QFile built(QStringLiteral(MJ_BUILD_DIR "/src/pictures.pack"));
    ASSERT_TRUE(built.open(QIODevice::ReadOnly));
    const QByteArray builtBytes = built.readAll();
    for (const char* locale : {"C.UTF-8", "zh_CN.UTF-8", "zh_TW.UTF-8"}) {
        SCOPED_TRACE(locale);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString out = dir.filePath(QStringLiteral("pictures.pack"));
        QProcess picgen;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        env.remove(QStringLiteral("LC_ALL"));
        env.remove(QStringLiteral("LC_CTYPE"));
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.remove(QStringLiteral("LANGUAGE"));
        env.insert(QStringLiteral("LANG"), QString::fromLatin1(locale));
        picgen.setProcessEnvironment(env);
        picgen.start(QStringLiteral(MJ_BUILD_DIR "/picgen"), {out});
        ASSERT_TRUE(picgen.waitForFinished(60000));
        ASSERT_EQ(picgen.exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(picgen.exitCode(), 0) << picgen.readAllStandardError().toStdString();

        QFile fresh(out);
        ASSERT_TRUE(fresh.open(QIODevice::ReadOnly));
        const QByteArray freshBytes = fresh.readAll();
        EXPECT_TRUE(freshBytes == builtBytes);
        EXPECT_GT(freshBytes.size(), 0);
    }
}
