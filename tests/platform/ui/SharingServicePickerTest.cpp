// Handing a picture to the desktop: the clipboard and the mail program.
#include <gtest/gtest.h>

#include "platform/ui/SharingServicePicker.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QBuffer>
#include <QTemporaryDir>

namespace {

QByteArray onePagePdf()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QSizeF(50, 40), QPageSize::Point));
    QPainter painter(&writer);
    painter.fillRect(QRectF(0, 0, 200, 200), Qt::red);
    painter.end();
    return buffer.data();
}

QStringList titles(const QList<pf::SharingServicePicker::Service>& services)
{
    QStringList list;
    for (const auto& service : services)
        list.append(service.title);
    return list;
}

} // namespace

TEST(SharingServicePicker, CopyPutsThePdfAndABitmapOnTheClipboard)
{
    const QByteArray pdf = onePagePdf();
    pf::SharingServicePicker picker(pdf, QStringLiteral("Map"));
    const auto services = picker.services();
    ASSERT_FALSE(services.isEmpty());
    ASSERT_EQ(services.first().title, QStringLiteral("Copy"));
    ASSERT_TRUE(services.first().perform());
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->data(QStringLiteral("application/pdf")), pdf);
    EXPECT_TRUE(data->hasImage());
}

TEST(SharingServicePicker, MailIsOfferedWithTheMailProgramAndGetsTheAttachment)
{
    const QByteArray oldPath = qgetenv("PATH");
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    qputenv("PATH", bin.path().toUtf8());
    pf::SharingServicePicker picker(onePagePdf(), QStringLiteral("../Roads/Map"));
    EXPECT_EQ(titles(picker.services()), QStringList{QStringLiteral("Copy")}) << "no mail program, no Email";

    // A stand-in mail program that writes down what it was given.
    const QString record = QDir(bin.path()).filePath(QStringLiteral("arguments.txt"));
    QFile program(QDir(bin.path()).filePath(QStringLiteral("xdg-email")));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.tmp' && /bin/mv '%1.tmp' '%1'\n").arg(record).toUtf8());
    program.close();
    program.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const auto services = picker.services();
    ASSERT_EQ(titles(services), (QStringList{QStringLiteral("Copy"), QStringLiteral("Email")}));
    EXPECT_TRUE(services.at(1).perform());
    qputenv("PATH", oldPath);
    ASSERT_TRUE(quillory::test::waitUntil([&] { return QFile::exists(record); }, 5000));
    QFile written(record);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QStringList arguments = QString::fromUtf8(written.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString attachment = QDir(pf::SharingServicePicker::attachmentFolder()).filePath(QStringLiteral("_Roads_Map.pdf"));
    EXPECT_EQ(arguments, pf::SharingServicePicker::mailArguments(attachment, QStringLiteral("../Roads/Map")));
    QFile pdf(attachment);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
}

TEST(SharingServicePicker, AttachmentNamesStayInTheirFolder)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("Map"), QStringLiteral("Map.pdf")},
        {QStringLiteral("a/b"), QStringLiteral("a_b.pdf")},
        {QStringLiteral(".."), QStringLiteral("Drawing.pdf")},
        {QStringLiteral(".hidden"), QStringLiteral("hidden.pdf")},
        {QString(), QStringLiteral("Drawing.pdf")},
    };
    for (const auto& [title, name] : cases)
        EXPECT_EQ(pf::SharingServicePicker::attachmentFileName(title), name) << qPrintable(title);
}
