#include "library/PWXLibraryObjectProtocol.h"

#include "drawing/PWStyle+CartavelExtensions.h"
#include "drawing/PWXSymbolMaster.h"
#include "frameworks/penwork/styles/PWStyle.h"

namespace {

pf::Ref<PWStyle> asStyle(const pf::Ref<pf::Object>& object) { return std::dynamic_pointer_cast<PWStyle>(object); }
pf::Ref<PWXSymbolMaster> asMaster(const pf::Ref<pf::Object>& object)
{
    return std::dynamic_pointer_cast<PWXSymbolMaster>(object);
}

} // namespace

bool PWXLibraryObjectProtocol::conforms(const pf::Ref<pf::Object>& object) { return classCodeOf(object) != 0; }

int PWXLibraryObjectProtocol::classCodeOf(const pf::Ref<pf::Object>& object)
{
    if (asStyle(object))
        return kStyleClassCode;
    if (asMaster(object))
        return kSymbolMasterClassCode;
    return 0;
}

QString PWXLibraryObjectProtocol::uniqueKey(const pf::Ref<pf::Object>& object)
{
    if (auto style = asStyle(object))
        return style->uniqueKey();
    if (auto master = asMaster(object))
        return master->uniqueKey();
    return {};
}

QString PWXLibraryObjectProtocol::name(const pf::Ref<pf::Object>& object)
{
    if (auto style = asStyle(object))
        return style->name();
    if (auto master = asMaster(object))
        return master->name();
    return {};
}

void PWXLibraryObjectProtocol::setName(const pf::Ref<pf::Object>& object, const QString& name)
{
    if (auto style = asStyle(object))
        style->setName(name);
    else if (auto master = asMaster(object))
        master->setName(name);
}

QString PWXLibraryObjectProtocol::userDescription(const pf::Ref<pf::Object>& object)
{
    if (auto style = asStyle(object))
        return style->userDescription();
    if (auto master = asMaster(object))
        return master->userDescription();
    return {};
}

void PWXLibraryObjectProtocol::setUserDescription(const pf::Ref<pf::Object>& object, const QString& description)
{
    if (auto style = asStyle(object))
        style->setUserDescription(description);
    else if (auto master = asMaster(object))
        master->setUserDescription(description);
}

bool PWXLibraryObjectProtocol::locked(const pf::Ref<pf::Object>& object)
{
    if (auto style = asStyle(object))
        return style->locked();
    if (auto master = asMaster(object))
        return master->locked();
    return false;
}

void PWXLibraryObjectProtocol::setLocked(const pf::Ref<pf::Object>& object, bool locked)
{
    if (auto style = asStyle(object))
        style->setLocked(locked);
    else if (auto master = asMaster(object))
        master->setLocked(locked);
}

double PWXLibraryObjectProtocol::lastModificationTimestamp(const pf::Ref<pf::Object>& object)
{
    if (auto style = asStyle(object))
        return style->lastModificationTimestamp();
    if (auto master = asMaster(object))
        return master->lastModificationTimestamp();
    return 0.0;
}

bool PWXLibraryObjectProtocol::answersAutoDetachesInstances(const pf::Ref<pf::Object>& object, bool* value)
{
    auto master = asMaster(object);
    if (!master)
        return false;
    if (value)
        *value = master->autoDetachesInstances();
    return true;
}

bool PWXLibraryObjectProtocol::answersObjectSize(const pf::Ref<pf::Object>& object, QSizeF* size)
{
    auto master = asMaster(object);
    if (!master)
        return false;
    if (size)
        *size = master->objectSize();
    return true;
}

QString PWXLibraryObjectProtocol::stringFromSize(const QSizeF& size)
{
    return QStringLiteral("{%1, %2}").arg(size.width(), 0, 'g', 17).arg(size.height(), 0, 'g', 17);
}

QSizeF PWXLibraryObjectProtocol::sizeFromString(const QString& text)
{
    QString inner = text.trimmed();
    if (!inner.startsWith(QLatin1Char('{')) || !inner.endsWith(QLatin1Char('}')))
        return QSizeF();
    const QStringList parts = inner.mid(1, inner.size() - 2).split(QLatin1Char(','));
    if (parts.size() != 2)
        return QSizeF();
    bool okWidth = false, okHeight = false;
    const double width = parts[0].trimmed().toDouble(&okWidth);
    const double height = parts[1].trimmed().toDouble(&okHeight);
    if (!okWidth || !okHeight || !qIsFinite(width) || !qIsFinite(height))
        return QSizeF();
    return QSizeF(width, height);
}

QByteArray PWXLibraryObjectProtocol::fileData(const pf::Ref<pf::Object>& object)
{
    if (auto style = asStyle(object))
        return PWStyleCartavelExtensions::fileData(style);
    if (auto master = asMaster(object))
        return master->fileData();
    return {};
}

QImage PWXLibraryObjectProtocol::imageToFitSize(const pf::Ref<pf::Object>& object, const QSizeF& size)
{
    if (auto style = asStyle(object))
        return style->imageToFitSize(size, true);
    if (auto master = asMaster(object))
        return master->imageToFitSize(size, true);
    return {};
}

pf::Ref<pf::Object> PWXLibraryObjectProtocol::clone(const pf::Ref<pf::Object>& object)
{
    if (auto style = asStyle(object))
        return style->clone();
    if (auto master = asMaster(object))
        return master->clone();
    return nullptr;
}

pf::Ref<pf::Object> PWXLibraryObjectProtocol::libraryObjectWithFileData(int classCode, const QByteArray& data)
{
    pf::Ref<pf::Object> object;
    if (classCode == kSymbolMasterClassCode)
        object = PWXSymbolMaster::libraryObjectWithFileData(data);
    else
        object = PWStyleCartavelExtensions::libraryObjectWithFileData(data);
    // A package whose data holds some other kind of object is not this item's object.
    return classCodeOf(object) == classCode ? object : nullptr;
}
