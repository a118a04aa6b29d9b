#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/ColorList.h"
#include "platform/graphics/ColorSpace.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using pf::Color;
using pf::ColorList;

struct ColorListTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
};

TEST_F(ColorListTest, WrittenListsReadBackInOrder)
{
    ColorList list(QStringLiteral("Selection Colors"));
    list.setColor(Color(1, 0, 0), QStringLiteral("Zed"));
    list.setColor(Color(0.1, 0.2, 0.3, 0.4), QStringLiteral("Alpha"));
    list.insertColor(Color::blue(), QStringLiteral("Middle"), 1);
    list.setColor(Color::green(), QStringLiteral("Zed")); // replaced in place
    pf::Error error;
    ASSERT_TRUE(list.writeToFile(path(QStringLiteral("Selection Colors.clr")), &error)) << error.description().toStdString();

    auto read = ColorList::fromFile(QString(), path(QStringLiteral("Selection Colors.clr")), &error);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->name(), QStringLiteral("Selection Colors"));
    EXPECT_EQ(read->allKeys(), (QStringList{QStringLiteral("Zed"), QStringLiteral("Middle"), QStringLiteral("Alpha")}));
    EXPECT_EQ(read->colorWithKey(QStringLiteral("Zed")), Color::green());
    EXPECT_EQ(read->colorWithKey(QStringLiteral("Alpha")), Color(0.1, 0.2, 0.3, 0.4));
    EXPECT_FALSE(read->colorWithKey(QStringLiteral("None")).isValid());
    EXPECT_EQ(ColorList::fromFile(QStringLiteral("Other"), path(QStringLiteral("Selection Colors.clr")))->name(),
              QStringLiteral("Other"));
}

TEST_F(ColorListTest, NamesAndKeysWithControlCharactersAreWrittenInTheBinaryForm)
{
    // XML cannot carry them; such a list was read from a file and then could not be saved.
    const QString name = QStringLiteral("Bell\aList");
    const QString key = QStringLiteral("Tab\tand\x01start");
    ColorList list(name);
    list.setColor(Color(0.25, 0.5, 0.75), key);
    pf::Error error;
    ASSERT_TRUE(list.writeToFile(path(QStringLiteral("control.clr")), &error)) << error.description().toStdString();
    const auto read = ColorList::fromFile(QString(), path(QStringLiteral("control.clr")), &error);
    ASSERT_TRUE(read) << error.description().toStdString();
    EXPECT_EQ(read->name(), name);
    EXPECT_EQ(read->allKeys(), QStringList{key});
    EXPECT_EQ(read->colorWithKey(key), Color(0.25, 0.5, 0.75));
}

TEST_F(ColorListTest, DamagedFilesAreRefusedAndLeaveTheOldFile)
{
    const QByteArray head = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                            "<key>Format</key><string>pf.colorlist</string><key>Version</key><integer>1</integer>";
    const std::pair<const char*, QByteArray> damaged[] = {
        {"not a property list", "garbage"},
        {"another format", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Format</key><string>x</string></dict></plist>"},
        {"no colours", head + "</dict></plist>"},
        {"component out of range", head + "<key>Colors</key><array><dict><key>Key</key><string>A</string><key>Color</key>"
                                          "<array><real>1.5</real><real>0</real><real>0</real><real>1</real></array></dict></array></dict></plist>"},
        {"three components", head + "<key>Colors</key><array><dict><key>Key</key><string>A</string><key>Color</key>"
                                    "<array><real>1</real><real>0</real><real>0</real></array></dict></array></dict></plist>"},
        {"repeated key", head + "<key>Colors</key><array>"
                                "<dict><key>Key</key><string>A</string><key>Color</key><array><real>1</real><real>0</real><real>0</real><real>1</real></array></dict>"
                                "<dict><key>Key</key><string>A</string><key>Color</key><array><real>0</real><real>0</real><real>0</real><real>1</real></array></dict>"
                                "</array></dict></plist>"},
    };
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        write(QStringLiteral("bad.clr"), bytes);
        pf::Error error;
        EXPECT_FALSE(ColorList::fromFile(QString(), path(QStringLiteral("bad.clr")), &error));
        EXPECT_EQ(error.code(), pf::kErrorFileReadCorrupt);
    }
    pf::Error missing;
    EXPECT_FALSE(ColorList::fromFile(QString(), path(QStringLiteral("missing.clr")), &missing));
    EXPECT_FALSE(missing.isNull());

    // A write that cannot happen (the name is taken by a folder) leaves what was there.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("kept.clr")));
    write(QStringLiteral("kept.clr/inside"), "old");
    ColorList list(QStringLiteral("L"));
    list.setColor(Color::red(), QStringLiteral("R"));
    pf::Error error;
    EXPECT_FALSE(list.writeToFile(path(QStringLiteral("kept.clr")), &error));
    EXPECT_FALSE(error.isNull());
    QFile kept(path(QStringLiteral("kept.clr/inside")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("old"));
}

TEST_F(ColorListTest, BuiltInListsByName)
{
    EXPECT_EQ(ColorList::named(QStringLiteral("Web Safe Colors"))->allKeys().size(), 216);
    auto crayons = ColorList::named(QStringLiteral("Crayons"));
    ASSERT_TRUE(crayons);
    EXPECT_EQ(crayons->allKeys().size(), 48);
    EXPECT_EQ(crayons->colorWithKey(QStringLiteral("Maraschino")), Color::red());
    EXPECT_FALSE(ColorList::named(QStringLiteral("Nothing")));
}

TEST(ColorSpaceTest, ArchivesAndMapsOntoTheWritersModels)
{
    const std::pair<pf::ColorSpaceModel, pf::ImageColorModel> models[] = {
        {pf::RGBColorSpaceModel, pf::ImageColorModel::RGB},
        {pf::GrayColorSpaceModel, pf::ImageColorModel::Gray},
        {pf::CMYKColorSpaceModel, pf::ImageColorModel::CMYK},
    };
    for (const auto& [model, imageModel] : models) {
        const auto spaces = pf::ColorSpace::availableColorSpaces(model);
        ASSERT_FALSE(spaces.isEmpty());
        for (const auto& space : spaces) {
            SCOPED_TRACE(space->identifier().toStdString());
            EXPECT_EQ(space->colorSpaceModel(), model);
            EXPECT_EQ(space->imageColorModel(), imageModel);
            EXPECT_FALSE(space->localizedName().isEmpty());
            auto decoded = pf::KeyedUnarchiver::unarchiveObject(pf::KeyedArchiver::archivedData(space));
            ASSERT_TRUE(decoded);
            EXPECT_TRUE(decoded->isEqual(space.get()));
            EXPECT_FALSE(decoded->isEqual(model == pf::RGBColorSpaceModel ? pf::ColorSpace::genericGray().get()
                                                                           : pf::ColorSpace::sRGB().get()));
        }
    }
    EXPECT_FALSE(pf::ColorSpace::withIdentifier(QStringLiteral("Unknown")));

    pf::ImageWriteOptions options;
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    pf::ColorSpace::genericCMYK()->prepareForWriting(image, &options);
    EXPECT_EQ(options.colorModel, pf::ImageColorModel::CMYK);
    const QImage adobe = pf::ColorSpace::withIdentifier(QStringLiteral("AdobeRGB1998"))->prepareForWriting(image, &options);
    EXPECT_EQ(adobe.colorSpace(), QColorSpace(QColorSpace::AdobeRgb));
    EXPECT_EQ(options.colorModel, pf::ImageColorModel::RGB);
}

} // namespace
