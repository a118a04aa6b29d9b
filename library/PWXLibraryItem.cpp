#include "library/PWXLibraryItem.h"

#include "drawing/PWXSymbolMaster.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryObjectProtocol.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/FileWrapper.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHash>
#include <QImageWriter>
#include <QMutex>
#include <QTimeZone>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryItem", text); }

constexpr qint64 kMaxDataSize = qint64(256) * 1024 * 1024;

QByteArray readPackageMember(const QString& packagePath, const QString& member)
{
    QFile file(QDir(packagePath).filePath(member));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxDataSize)
        return {};
    return file.readAll();
}

QByteArray encodeImage(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

} // namespace

PF_DEFINE_CLASS(PWXLibraryItem, PWXLibraryElement)
{
    b.protocol(pf::kCodingProtocol);
    b.property("classCode", &PWXLibraryItem::classCode);
    b.property("uniqueKey", &PWXLibraryItem::uniqueKey);
    b.property("kind", &PWXLibraryItem::kind);
    b.property("userDescription", &PWXLibraryItem::userDescription);
    b.property("locked", &PWXLibraryItem::locked);
    b.property("creationDate", &PWXLibraryItem::creationDate);
    b.property("lastModificationDate", &PWXLibraryItem::lastModificationDate);
    b.property("createdBy", &PWXLibraryItem::createdBy);
}

PWXLibraryItem::~PWXLibraryItem() { stopObserving(); }

// Making items -------------------------------------------------------------------------------------

pf::Ref<PWXLibraryItem> PWXLibraryItem::itemWithLibraryObject(const pf::Ref<pf::Object>& object)
{
    auto item = std::make_shared<PWXLibraryItem>();
    item->setRepresentedObject(object);
    item->m_info.insert(kInfoCreationDateKey, QDateTime::currentDateTimeUtc());
    item->m_info.insert(kInfoCreatedByKey, PWXLibrary::registeredUserName());
    return item;
}

pf::Ref<PWXLibraryItem> PWXLibraryItem::itemWithName(const QString& name, PWXLibrary* library)
{
    auto item = std::make_shared<PWXLibraryItem>();
    item->setNameInternal(name);
    item->setLibrary(library);
    return item;
}

pf::Ref<PWXLibraryItem> PWXLibraryItem::itemWithInfo(const QVariantMap& info, PWXLibrary* library)
{
    const QString key = info.value(kIDKey).toString();
    if (key.isEmpty() || !library)
        return nullptr;
    if (pf::Ref<PWXLibraryItem> existing = library->itemWithUniqueID(key))
        return existing;
    pf::Ref<PWXLibraryItem> item = itemWithName(info.value(kNameKey).toString(), library);
    if (item->name().isEmpty() || !item->hasValidPath())
        return nullptr;
    item->m_classCode = int(info.value(kClassCodeKey).toLongLong());
    item->m_key = key;
    return item;
}

pf::Ref<PWXLibraryItem> PWXLibraryItem::itemWithFile(const QString& path)
{
    if (QFileInfo(path).suffix() != libraryItemExtension())
        return nullptr;
    const QByteArray data = readPackageMember(path, kDataEntry);
    if (data.isEmpty()) {
        RVLog(kFileEvent, QStringLiteral("data was nil trying to read file '%1'").arg(path));
        return nullptr;
    }
    const QVariant info = pf::PropertyList::value(readPackageMember(path, kInfoEntry));
    pf::Ref<pf::Object> object;
    for (int code : {PWXLibraryObjectProtocol::kStyleClassCode, PWXLibraryObjectProtocol::kSymbolMasterClassCode}) {
        try {
            object = PWXLibraryObjectProtocol::libraryObjectWithFileData(code, data);
        } catch (const pf::Exception& exception) {
            RVLog(kFileEvent, QStringLiteral("item data of '%1' could not be read: %2").arg(path, exception.reason()));
        }
        if (object)
            break;
    }
    if (!object)
        return nullptr;
    pf::Ref<PWXLibraryItem> item = itemWithLibraryObject(object);
    if (info.typeId() == QMetaType::QVariantMap) {
        item->m_info = info.toMap();
        item->m_infoValid = true;
    }
    return item;
}

int PWXLibraryItem::codeForClass(const QString& className)
{
    static QMutex mutex;
    static QHash<QString, int> codes{{QStringLiteral("PWStyle"), 1}, {QStringLiteral("PWXSymbolMaster"), 2}};
    static int next = 3;
    QMutexLocker lock(&mutex);
    auto found = codes.constFind(className);
    if (found != codes.constEnd())
        return *found;
    codes.insert(className, next);
    return next++;
}

QString PWXLibraryItem::localisedKindStringForClassCode(int code)
{
    if (code == PWXLibraryObjectProtocol::kStyleClassCode)
        return tr("Style");
    if (code == PWXLibraryObjectProtocol::kSymbolMasterClassCode)
        return tr("Clip Art");
    return QStringLiteral("--");
}

QString PWXLibraryItem::nextAdHocStyleName()
{
    static long counter = 0;
    return QStringLiteral("%1 - %2").arg(tr("Untitled Style")).arg(++counter);
}

QString PWXLibraryItem::cleanedName(const QString& name)
{
    QString clean = name;
    for (QChar c : {QChar(u'/'), QChar(u':'), QChar(u'\\'), QChar(u'\0')})
        clean.replace(c, QLatin1Char('-'));
    return clean;
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryItem::libraryItemsWithUnknownObjects(
    const QList<pf::Ref<pf::Object>>& objects, const QStringList& groups)
{
    QList<pf::Ref<PWXLibraryItem>> items;
    QStringList seen;
    for (const pf::Ref<pf::Object>& object : objects) {
        if (!PWXLibraryObjectProtocol::conforms(object))
            continue;
        const QString key = PWXLibraryObjectProtocol::uniqueKey(object);
        if (key.isEmpty() || seen.contains(key) || PWXLibrary::libraryContainingItemWithUniqueID(key, groups))
            continue;
        seen.append(key);
        items.append(itemWithLibraryObject(object));
    }
    return items;
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryItem::libraryItemsWithObjects(const QList<pf::Ref<pf::Object>>& objects,
                                                                       bool returnAnyExisting)
{
    QList<pf::Ref<PWXLibraryItem>> items;
    for (const pf::Ref<pf::Object>& object : objects) {
        if (!PWXLibraryObjectProtocol::conforms(object))
            continue;
        if (returnAnyExisting) {
            const QString key = PWXLibraryObjectProtocol::uniqueKey(object);
            if (pf::Ref<PWXLibrary> library = PWXLibrary::libraryContainingItemWithUniqueID(key)) {
                items.append(library->itemWithUniqueID(key));
                continue;
            }
        }
        items.append(itemWithLibraryObject(object));
    }
    return items;
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryItem::existingLibraryItemsWithObjects(const QList<pf::Ref<pf::Object>>& objects)
{
    QList<pf::Ref<PWXLibraryItem>> items;
    for (const pf::Ref<pf::Object>& object : objects) {
        const QString key = PWXLibraryObjectProtocol::uniqueKey(object);
        if (pf::Ref<PWXLibrary> library = PWXLibrary::libraryContainingItemWithUniqueID(key))
            if (pf::Ref<PWXLibraryItem> item = library->itemWithUniqueID(key))
                items.append(item);
    }
    return items;
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryItem::predefinedFontStyleItems()
{
    QList<pf::Ref<PWXLibraryItem>> items;
    const QStringList families = QFontDatabase::families();
    for (const QString& face : {QStringLiteral("Helvetica"), QStringLiteral("Helvetica Bold"), QStringLiteral("Gill Sans")}) {
        const bool bold = face.endsWith(QLatin1String(" Bold"));
        const QString family = bold ? face.chopped(5) : face;
        if (!families.contains(family, Qt::CaseInsensitive))
            continue; // a missing font is left out, not stood in for
        for (int size : {6, 7, 9, 10, 11, 12, 14, 18, 24, 28, 36}) {
            QFont font(family, size);
            font.setBold(bold);
            if (pf::Ref<PWStyle> style = PWStyle::textStyleWithFont(font))
                items.append(itemWithLibraryObject(style));
        }
    }
    return items;
}

// Names and paths ----------------------------------------------------------------------------------

QString PWXLibraryItem::name() const
{
    QString current = PWXLibraryElement::name();
    if (current.isEmpty() && m_object) {
        current = PWXLibraryObjectProtocol::name(m_object);
        if (current.isEmpty())
            current = library() ? library()->nextAdHocStyleName() : nextAdHocStyleName();
        const_cast<PWXLibraryItem*>(this)->setNameInternal(current);
        current = PWXLibraryElement::name();
    }
    return current;
}

void PWXLibraryItem::setName(const QString& proposed)
{
    QString name = cleanedName(proposed);
    if (name.isEmpty() || name == PWXLibraryElement::name())
        return;
    if (PWXLibrary* owner = library())
        name = owner->uniqueItemName(name);
    RVLog(kFileEvent, QStringLiteral("changing lib item name, old = %1, new = %2").arg(PWXLibraryElement::name(), name));
    if (!setFilename(name)) {
        pf::Ref<pf::Alert> alert = std::make_shared<pf::Alert>();
        alert->setMessageText(tr("Name Error"));
        alert->setInformativeText(tr("The name “%1” could not be used because an error occurred (possibly an orphaned "
                                     "file having the same name). Please try again with a different name.")
                                      .arg(proposed));
        alert->addButton(tr("OK"));
        alert->runModal();
        pf::Application::beep();
        return;
    }
    setElementName(name);
    if (m_object) {
        m_isSettingProperty = true;
        PWXLibraryObjectProtocol::setName(m_object, name);
        m_isSettingProperty = false;
    }
    info();
    m_info.insert(kInfoNameKey, name);
    writeToFile();
}

void PWXLibraryItem::setNameKeepingObjectName(const QString& name)
{
    setNameInternal(name);
    info();
    m_info.insert(kInfoNameKey, PWXLibraryElement::name());
    m_infoValid = true;
}

bool PWXLibraryItem::setFilename(const QString& name)
{
    PWXLibrary* owner = library();
    if (!owner || owner->path().isEmpty())
        return true;
    const QString target = QDir(owner->path()).filePath(cleanedName(name) + QLatin1Char('.') + libraryItemExtension());
    pf::FileManager& files = pf::FileManager::defaultManager();
    if (files.fileExists(target)) {
        RVLog(kFileEvent, QStringLiteral("the name '%1' is already in use - will not be changed").arg(name));
        return false;
    }
    const QString current = path();
    if (current.isEmpty() || !files.fileExists(current))
        return true;
    RVLog(kFileEvent, QStringLiteral("moving file '%1' to '%2'").arg(current, target));
    pf::Error error;
    if (!files.moveItem(current, target, &error)) {
        RVLog(kFileEvent, QStringLiteral("name on disk could not be changed, error = %1").arg(error.localizedDescription()));
        return false;
    }
    return true;
}

QString PWXLibraryItem::path() const
{
    PWXLibrary* owner = library();
    const QString base = name();
    if (!owner || owner->path().isEmpty() || base.isEmpty())
        return {};
    return QDir(owner->path()).filePath(filename());
}

bool PWXLibraryItem::hasValidPath() const
{
    const QString package = path();
    bool isDirectory = false;
    return !package.isEmpty() && pf::FileManager::defaultManager().fileExists(package, &isDirectory) && isDirectory;
}

// Info -------------------------------------------------------------------------------------------

QVariantMap PWXLibraryItem::info() const
{
    if (m_infoValid)
        return m_info;
    if (m_object) {
        const_cast<PWXLibraryItem*>(this)->rebuildInfoFromObject();
        return m_info;
    }
    if (hasValidPath()) {
        const QVariant read = pf::PropertyList::value(readPackageMember(path(), kInfoEntry));
        if (read.typeId() == QMetaType::QVariantMap) {
            m_info = read.toMap();
            m_infoValid = true;
            return m_info;
        }
    }
    return m_info;
}

void PWXLibraryItem::rebuildInfoFromObject()
{
    const QVariantMap kept = m_info;
    m_info.clear();
    const QString objectName = PWXLibraryObjectProtocol::name(m_object);
    if (!objectName.isEmpty())
        m_info.insert(kInfoNameKey, objectName);
    m_info.insert(kInfoIDKey, PWXLibraryObjectProtocol::uniqueKey(m_object));
    m_info.insert(kInfoLockedKey, PWXLibraryObjectProtocol::locked(m_object));
    bool autoDetach = false;
    if (PWXLibraryObjectProtocol::answersAutoDetachesInstances(m_object, &autoDetach))
        m_info.insert(kInfoAutoDetachKey, autoDetach);
    // Timestamps count seconds from the reference date, 1 January 2001.
    const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    m_info.insert(kInfoLastModDateKey,
                  reference.addMSecs(qint64(PWXLibraryObjectProtocol::lastModificationTimestamp(m_object) * 1000.0)));
    m_info.insert(kInfoUserDescriptionKey, PWXLibraryObjectProtocol::userDescription(m_object));
    QSizeF size;
    if (PWXLibraryObjectProtocol::answersObjectSize(m_object, &size))
        m_info.insert(kInfoOriginalSizeKey, PWXLibraryObjectProtocol::stringFromSize(size));
    for (const QString& key : {kInfoCreationDateKey, kInfoCreatedByKey})
        if (kept.contains(key))
            m_info.insert(key, kept.value(key));
    m_infoValid = true;
}

void PWXLibraryItem::setInfoValue(const QString& key, const QVariant& value)
{
    info();
    if (value.isValid())
        m_info.insert(key, value);
    else
        m_info.remove(key);
    m_infoValid = true;
    m_needsUpdate = true;
    PWXLibrary* owner = library();
    if (hasValidPath() && owner && owner->allowsContentChanges()) {
        const QString infoPath = QDir(path()).filePath(kInfoEntry);
        if (pf::PropertyList::write(m_info, infoPath, pf::PropertyListFormat::XML))
            m_needsUpdate = false;
    }
}

bool PWXLibraryItem::locked() const
{
    if (m_object)
        return PWXLibraryObjectProtocol::locked(m_object);
    return info().value(kInfoLockedKey).toBool();
}

void PWXLibraryItem::setLocked(bool locked)
{
    PWXLibrary* owner = library();
    if (owner && !owner->allowsContentChanges())
        return;
    if (m_object)
        PWXLibraryObjectProtocol::setLocked(m_object, locked);
    else
        setInfoValue(kInfoLockedKey, locked);
}

QString PWXLibraryItem::userDescription() const { return info().value(kInfoUserDescriptionKey).toString(); }

void PWXLibraryItem::setUserDescription(const QString& description)
{
    if (description == userDescription())
        return;
    info();
    m_infoValid = true;
    if (m_object && !PWXLibraryObjectProtocol::locked(m_object)) {
        m_info.insert(kInfoUserDescriptionKey, description);
        // The object's change notification writes the package.
        m_isSettingProperty = true;
        PWXLibraryObjectProtocol::setUserDescription(m_object, description);
        m_isSettingProperty = false;
        if (PWXLibraryObjectProtocol::userDescription(m_object) != description)
            setInfoValue(kInfoUserDescriptionKey, description);
    } else {
        // Nothing would write it otherwise: an unloaded or locked object never announces a
        // change, so "__info" is written now and the description survives the run.
        setInfoValue(kInfoUserDescriptionKey, description);
    }
    tellLibraryItemUpdated();
}

QString PWXLibraryItem::infoFilePath() const
{
    return hasValidPath() ? QDir(path()).filePath(kInfoEntry) : QString();
}

QByteArray PWXLibraryItem::infoData() const
{
    return pf::PropertyList::data(info(), pf::PropertyListFormat::XML);
}

QSizeF PWXLibraryItem::originalSize() const
{
    if (m_classCode != PWXLibraryObjectProtocol::kSymbolMasterClassCode)
        return QSizeF();
    return PWXLibraryObjectProtocol::sizeFromString(info().value(kInfoOriginalSizeKey).toString());
}

void PWXLibraryItem::elementNameDidChange(const QString& oldName)
{
    if (PWXLibrary* owner = library())
        owner->itemNameDidChange(this, oldName);
}

QString PWXLibraryItem::title() const { return QStringLiteral("%1 '%2'").arg(tr("Apply Style"), name()); }

QString PWXLibraryItem::description() const
{
    return QStringLiteral("%1 '%2' (%3)").arg(className(), name(), m_object ? QStringLiteral("M") : QStringLiteral("D"));
}

void PWXLibraryItem::setValueForUndefinedKey(const QVariant& value, const QString& key)
{
    if (!m_object)
        return;
    const auto property = m_object->objClass().property(key);
    if (!property || !property->set)
        return;
    try {
        m_object->setValueForKey(value, key);
    } catch (const pf::Exception& exception) {
        RVLog(kFileEvent, QStringLiteral("item '%1' could not set '%2': %3").arg(name(), key, exception.reason()));
    }
}

QList<pf::Ref<PWXLibraryCategory>> PWXLibraryItem::categories() const
{
    PWXLibrary* owner = library();
    return owner ? owner->categoriesWithItem(this) : QList<pf::Ref<PWXLibraryCategory>>();
}

QVariant PWXLibraryItem::predicateValueForKey(const QString& key) const
{
    if (key == QLatin1String("name"))
        return name();
    if (key == QLatin1String("classCode"))
        return m_classCode;
    if (key == QLatin1String("kind"))
        return kind();
    if (key == QLatin1String("uniqueKey"))
        return m_key;
    if (key == QLatin1String("userDescription"))
        return userDescription();
    if (key == QLatin1String("locked"))
        return locked();
    if (key == QLatin1String("creationDate"))
        return creationDate();
    if (key == QLatin1String("lastModificationDate"))
        return lastModificationDate();
    if (key == QLatin1String("createdBy"))
        return createdBy();
    return {};
}

void PWXLibraryItem::tellLibraryItemUpdated()
{
    if (PWXLibrary* owner = library())
        owner->itemUpdateCouldAffectCategories(this);
}

// Object -----------------------------------------------------------------------------------------

pf::Ref<pf::Object> PWXLibraryItem::representedObject()
{
    if (m_object || m_loadingObject || !hasValidPath())
        return m_object;
    const QByteArray data = readPackageMember(path(), kDataEntry);
    if (data.isEmpty())
        return nullptr;
    // Reading a master asks the registry for its key, which leads back here: meanwhile the
    // item answers nothing rather than reading the package again.
    m_loadingObject = true;
    pf::Ref<pf::Object> object;
    try {
        object = PWXLibraryObjectProtocol::libraryObjectWithFileData(m_classCode, data);
    } catch (const pf::Exception& exception) {
        RVLog(kFileEvent, QStringLiteral("item '%1' could not be read: %2").arg(path(), exception.reason()));
    }
    m_loadingObject = false;
    if (!object || m_object)
        return m_object;
    m_object = object;
    startObserving();
    pf::NotificationCenter::defaultCenter().post(kPWXLibraryObjectWasLoadedFromDisk, this);
    return m_object;
}

void PWXLibraryItem::setRepresentedObject(const pf::Ref<pf::Object>& object)
{
    if (!PWXLibraryObjectProtocol::conforms(object))
        throw pf::Exception(pf::NSInternalInconsistencyException,
                            QStringLiteral("%1 passed to -setRepresentedObject: does not conform to "
                                           "PWXLibraryObjectProtocol")
                                .arg(object ? object->className() : QStringLiteral("(null)")));
    if (object == m_object)
        return;
    stopObserving();
    m_object = object;
    m_classCode = codeForClass(object->className());
    m_key = PWXLibraryObjectProtocol::uniqueKey(object);
    rebuildInfoFromObject();
    startObserving();
    writeToFile(); // not while decoding: a decoded item never rewrites its package
}

pf::Ref<pf::Object> PWXLibraryItem::style()
{
    return m_classCode == PWXLibraryObjectProtocol::kStyleClassCode ? representedObject() : nullptr;
}

pf::Ref<pf::Object> PWXLibraryItem::symbolMaster()
{
    return m_classCode == PWXLibraryObjectProtocol::kSymbolMasterClassCode ? representedObject() : nullptr;
}

void PWXLibraryItem::startObserving()
{
    if (!m_object)
        return;
    QStringList names;
    if (m_classCode == PWXLibraryObjectProtocol::kSymbolMasterClassCode)
        names = {kPWXSymbolMasterDidChange, kPWXSymbolMasterNameDidChange, kPWXSymbolMasterLockStateDidChange};
    else if (m_classCode == PWXLibraryObjectProtocol::kStyleClassCode)
        names = {kPWStyleDidChangeNotification, kPWStyleNameChangedNotification, kPWStyleLockStateChangedNotification};
    pf::Weak<PWXLibraryItem> self = ref<PWXLibraryItem>();
    for (const QString& name : names)
        m_observations.append(pf::NotificationCenter::defaultCenter().addObserver(
            name, m_object.get(), [self, name](const pf::Notification&) {
                // The libraries belong to the main thread; a change made elsewhere is caught
                // up with there.
                if (!pf::RunLoop::isMainThread()) {
                    pf::performOnMainThread([self, name] {
                        if (pf::Ref<PWXLibraryItem> item = self.lock())
                            item->objectChanged(name);
                    }, false);
                    return;
                }
                if (pf::Ref<PWXLibraryItem> item = self.lock())
                    item->objectChanged(name);
            }));
}

void PWXLibraryItem::stopObserving()
{
    for (quint64 token : m_observations)
        pf::NotificationCenter::defaultCenter().removeObserver(token);
    m_observations.clear();
}

void PWXLibraryItem::objectChanged(const QString& notificationName)
{
    if (!m_object)
        return;
    info();
    const bool isName =
        notificationName == kPWXSymbolMasterNameDidChange || notificationName == kPWStyleNameChangedNotification;
    const bool isLock = notificationName == kPWXSymbolMasterLockStateDidChange
                        || notificationName == kPWStyleLockStateChangedNotification;
    const double stamp = PWXLibraryObjectProtocol::lastModificationTimestamp(m_object);
    const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    m_info.insert(kInfoLastModDateKey, reference.addMSecs(qint64(stamp * 1000.0)));
    if (isName) {
        if (!m_isSettingProperty)
            setName(PWXLibraryObjectProtocol::name(m_object));
        pf::NotificationCenter::defaultCenter().post(kPWXLibraryObjectInternallyUpdated, this);
        tellLibraryItemUpdated();
        return;
    }
    if (isLock)
        m_info.insert(kInfoLockedKey, PWXLibraryObjectProtocol::locked(m_object));
    else if (!m_isSettingProperty)
        m_info.insert(kInfoUserDescriptionKey, PWXLibraryObjectProtocol::userDescription(m_object));
    writeToFile();
    setIconForItem(QImage(), *this);
    previewImageLoadingAsynchronously(true);
    pf::NotificationCenter::defaultCenter().post(kPWXLibraryObjectInternallyUpdated, this);
    if (isLock || !m_isSettingProperty)
        tellLibraryItemUpdated();
}

// Disk -------------------------------------------------------------------------------------------

bool PWXLibraryItem::writeToFile()
{
    PWXLibrary* owner = library();
    const QString package = path();
    if (!m_object || package.isEmpty() || !owner || !owner->allowsContentChanges() || m_decoding)
        return false;
    const QByteArray data = PWXLibraryObjectProtocol::fileData(m_object);
    PF_ASSERT(!data.isEmpty(), "content data was nil - unable to proceed");
    if (data.isEmpty())
        return false;
    pf::Error error;
    const QByteArray infoData = pf::PropertyList::data(info(), pf::PropertyListFormat::XML, &error);
    pf::FileWrapperRef wrapper = pf::FileWrapper::directory();
    wrapper->setPreferredFilename(filename());
    wrapper->addRegularFile(data, kDataEntry);
    wrapper->addRegularFile(infoData, kInfoEntry);
    const QImage preview = makePreviewImage();
    if (!preview.isNull()) {
        pf::FileWrapperRef quickLook = pf::FileWrapper::directory();
        quickLook->setPreferredFilename(kQuickLookEntry);
        const QImage thumbnail = preview.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        quickLook->addRegularFile(encodeImage(thumbnail, "jpeg", 33), kThumbnailEntry);
        // Bitmap previews are kept as TIFF under the preview's name.
        QByteArray previewData = encodeImage(preview, "tiff");
        if (previewData.isEmpty())
            previewData = encodeImage(preview, "png");
        quickLook->addRegularFile(previewData, kPreviewEntry);
        wrapper->addFileWrapper(quickLook);
    }
    if (!wrapper->writeToPath(package, pf::kFileWrapperWritingWithNameUpdating, &error)) {
        RVLog(kFileEvent, QStringLiteral("library item '%1' could not be written: %2")
                              .arg(package, error.localizedDescription()));
        return false;
    }
    m_needsUpdate = false;
    pf::NotificationCenter::defaultCenter().post(kPWXLibraryObjectWasUpdatedOnDisk, this);
    return true;
}

bool PWXLibraryItem::updateOnDiskIfNeeded() { return m_needsUpdate ? writeToFile() : true; }

bool PWXLibraryItem::deleteOnDisk()
{
    if (!hasValidPath())
        return false;
    pf::Error error;
    if (!pf::FileManager::defaultManager().removeItem(path(), &error)) {
        RVLog(kFileEvent, QStringLiteral("library item '%1' could not be removed: %2")
                              .arg(path(), error.localizedDescription()));
        return false;
    }
    return true;
}

bool PWXLibraryItem::unload()
{
    if (!hasValidPath() || !m_object)
        return false;
    if (m_needsUpdate)
        writeToFile();
    else
        info();
    stopObserving();
    m_object.reset();
    return true;
}

QImage PWXLibraryItem::makePreviewImage()
{
    pf::Ref<pf::Object> object = representedObject();
    return object ? PWXLibraryObjectProtocol::imageToFitSize(object, QSizeF(128, 128)) : QImage();
}

QVariantMap PWXLibraryItem::elementInfo() const
{
    QVariantMap info = PWXLibraryElement::elementInfo();
    info.insert(kIDKey, m_key);
    info.insert(kClassCodeKey, m_classCode);
    return info;
}
