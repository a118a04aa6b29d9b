#pragma once

#include "drawing/PWXSymbolManager.h"
#include "drawing/PWXSymbolMaster.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Color.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace library_test {

// Every test starts with no libraries loaded and an empty user library folder.
class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset()
    {
        PWXLibraryManagerWindowController::releaseSharedLibraryManager();
        PWXLibrary::resetRegistryForTesting();
        PWXSymbolManager::resetSharedSymbolManager();
        pf::UserDefaults::standard().removeObjectForKey(PWXLibrary::kDefaultUserLibraryNameDefault);
        pf::UserDefaults::standard().removeObjectForKey(PWXLibrary::kDocumentLibsAreTemporaryDefault);
        const QString folder = PWXLibrary::userLibraryFolder();
        if (!folder.isEmpty())
            QDir(folder).removeRecursively();
    }

    // A library folder inside the user library folder (not registered).
    static pf::Ref<PWXLibrary> makeLibrary(const QString& name)
    {
        return PWXLibrary::libraryWithPath(QDir(PWXLibrary::userLibraryFolder()).filePath(name), true);
    }

    static pf::Ref<PWStyle> namedStyle(const QString& name, QColor colour = Qt::red)
    {
        auto style = PWStyle::styleWithFillColour(pf::Color(colour), pf::Color(QColor(Qt::black)));
        style->setName(name);
        return style;
    }

    static pf::Ref<PWXSymbolMaster> namedMaster(const QString& name)
    {
        auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(-10, -5, 20, 10), namedStyle(name + " fill", Qt::green));
        return PWXSymbolMaster::symbolMasterWithObject(shape, name);
    }

    static pf::Ref<PWXLibraryItem> addObject(PWXLibrary& library, const pf::Ref<pf::Object>& object)
    {
        pf::Ref<PWXLibraryItem> item = PWXLibraryItem::itemWithLibraryObject(object);
        library.addItem(item);
        return item;
    }

    static QByteArray fileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static int countNotifications(const QString& name, const std::function<void()>& action)
    {
        int count = 0;
        const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
            name, nullptr, [&](const pf::Notification&) { ++count; });
        action();
        pf::NotificationCenter::defaultCenter().removeObserver(token);
        return count;
    }
};

} // namespace library_test
