#include "library/PWXLibraryGetInfoController.h"

#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryItem.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/SortDescriptor.h"
#include "platform/graphics/Image.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryGetInfoController", text); }

// A 16-point padlock, closed for a locked item and open for an unlocked one, where the
// application's own images are missing.
QPixmap lockImage(bool locked)
{
    if (pf::Ref<pf::Image> named = pf::Image::imageNamed(locked ? QStringLiteral("VN_Not_Editable")
                                                                : QStringLiteral("VN_Editable"))) {
        const QImage image = named->bitmap(QSize(16, 16));
        if (!image.isNull())
            return QPixmap::fromImage(image);
    }
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = locked ? QColor(150, 40, 30) : QColor(70, 110, 70);
    painter.setPen(QPen(ink, 1.6));
    QPainterPath shackle;
    shackle.moveTo(5, 8);
    shackle.lineTo(5, 5);
    shackle.arcTo(QRectF(5, 1.5, 6, 6), 180, -180);
    shackle.lineTo(11, locked ? 8 : 6);
    painter.drawPath(shackle);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawRoundedRect(QRectF(3, 8, 10, 7), 1.5, 1.5);
    return pixmap;
}

QString dateString(const QDateTime& date)
{
    return date.isValid() ? QLocale().toString(date.toLocalTime(), QLocale::ShortFormat) : QString();
}

} // namespace

PF_DEFINE_CLASS(PWXLibraryGetInfoController, pf::Object) {}

QWidget* PWXLibraryGetInfoController::view() const { return m_view; }
QLineEdit* PWXLibraryGetInfoController::nameField() const { return m_nameField; }
QLineEdit* PWXLibraryGetInfoController::descriptionField() const { return m_descriptionField; }

PWXLibraryGetInfoController::PWXLibraryGetInfoController()
{
    m_view = new QWidget;
    m_view->setObjectName(QStringLiteral("getInfoPanel"));
    m_view->setWindowTitle(tr("Info"));
    auto* layout = new QVBoxLayout(m_view);
    m_imageView = new QLabel(m_view);
    m_imageView->setFixedSize(96, 96);
    m_imageView->setAlignment(Qt::AlignCenter);
    auto* top = new QHBoxLayout;
    top->addWidget(m_imageView);
    m_nameField = new QLineEdit(m_view);
    m_nameField->setReadOnly(true);
    m_nameField->setFrame(false);
    m_lockedIcon = new QLabel(m_view);
    m_lockedIcon->setFixedSize(16, 16);
    auto* nameColumn = new QVBoxLayout;
    nameColumn->addWidget(m_nameField);
    nameColumn->addWidget(m_lockedIcon);
    nameColumn->addStretch(1);
    top->addLayout(nameColumn, 1);
    layout->addLayout(top);

    auto* form = new QFormLayout;
    m_descriptionField = new QLineEdit(m_view);
    m_descriptionField->setObjectName(QStringLiteral("description"));
    m_descriptionField->setPlaceholderText(tr("Description"));
    form->addRow(tr("Description:"), m_descriptionField);
    auto field = [&](const QString& name, const QString& title) {
        auto* label = new QLabel(m_view);
        label->setObjectName(name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
        form->addRow(title, label);
        return label;
    };
    m_kindField = field(QStringLiteral("kind"), tr("Kind:"));
    m_sizeField = field(QStringLiteral("size"), tr("Size:"));
    m_creationDateField = field(QStringLiteral("created"), tr("Created:"));
    m_modDateField = field(QStringLiteral("modified"), tr("Modified:"));
    m_createdByField = field(QStringLiteral("createdBy"), tr("Created by:"));
    m_uidField = field(QStringLiteral("uid"), tr("Unique ID:"));
    m_whereField = field(QStringLiteral("where"), tr("Collection:"));
    m_categoriesListField = field(QStringLiteral("categories"), tr("Categories:"));
    layout->addLayout(form);
    layout->addStretch(1);
    QObject::connect(m_descriptionField, &QLineEdit::editingFinished, m_view, [this] { descriptionAction(); });

    auto& center = pf::NotificationCenter::defaultCenter();
    for (const QString& name : {kPWXLibraryObjectInternallyUpdated, kPWXLibraryObjectImageUpdated})
        m_observations.append(center.addObserver(name, nullptr, [this](const pf::Notification& note) {
            libItemChanged(note.object);
        }));
    setUIForContent();
}

PWXLibraryGetInfoController::~PWXLibraryGetInfoController()
{
    for (quint64 token : m_observations)
        pf::NotificationCenter::defaultCenter().removeObserver(token);
    delete m_view;
}

QLabel* PWXLibraryGetInfoController::fieldNamed(const QString& name) const
{
    return m_view ? m_view->findChild<QLabel*>(name) : nullptr;
}

void PWXLibraryGetInfoController::setContent(const QList<pf::Ref<PWXLibraryItem>>& items)
{
    m_content = items;
    setUIForContent();
}

void PWXLibraryGetInfoController::libItemChanged(const pf::Reflective* object)
{
    for (const pf::Ref<PWXLibraryItem>& item : m_content)
        if (static_cast<const pf::Reflective*>(item.get()) == object) {
            setUIForContent();
            return;
        }
}

bool PWXLibraryGetInfoController::descriptionEditable() const
{
    // A factory collection's items are read-only: a description typed there could not be kept.
    if (m_content.isEmpty())
        return false;
    for (const pf::Ref<PWXLibraryItem>& item : m_content) {
        PWXLibrary* library = item ? item->library() : nullptr;
        if (!library || !library->allowsContentChanges() || library->isDamaged())
            return false;
    }
    return true;
}

void PWXLibraryGetInfoController::descriptionAction(const QVariant&)
{
    if (!m_descriptionField || !descriptionEditable())
        return;
    const QString text = m_descriptionField->text();
    for (const pf::Ref<PWXLibraryItem>& item : m_content)
        if (item->userDescription() != text)
            item->setUserDescription(text);
}

void PWXLibraryGetInfoController::setUIForContent()
{
    if (m_content.size() == 1) {
        setUIForLibraryItem(m_content.first());
    } else {
        setUIForLibraryItem(nullptr);
        if (m_nameField)
            m_nameField->setText(m_content.isEmpty() ? tr("No Selection") : tr("<Multiple Selection>"));
    }
    if (m_descriptionField) {
        const bool editable = descriptionEditable();
        m_descriptionField->setReadOnly(!editable);
        m_descriptionField->setEnabled(editable);
    }
}

void PWXLibraryGetInfoController::setUIForLibraryItem(const pf::Ref<PWXLibraryItem>& item)
{
    if (!m_view)
        return;
    const QString none = tr("N/A");
    if (!item) {
        for (QLineEdit* field : {m_nameField.data(), m_descriptionField.data()})
            field->clear();
        for (QLabel* field : {m_kindField.data(), m_createdByField.data(), m_uidField.data(), m_whereField.data(),
                              m_modDateField.data()})
            field->clear();
        m_creationDateField->setText(none);
        m_sizeField->setText(none);
        m_categoriesListField->setText(none);
        m_imageView->clear();
        m_lockedIcon->clear();
        return;
    }
    PWXLibrary* library = item->library();
    m_nameField->setText(item->name());
    m_descriptionField->setText(item->userDescription());
    m_createdByField->setText(item->createdBy());
    m_kindField->setText(item->kind());
    m_uidField->setText(item->uniqueKey());
    m_whereField->setText(library ? library->name() : QString());

    const QImage preview = item->previewImage();
    if (preview.isNull())
        m_imageView->clear();
    else
        m_imageView->setPixmap(QPixmap::fromImage(preview.scaled(m_imageView->size(), Qt::KeepAspectRatio,
                                                                 Qt::SmoothTransformation)));

    const QDateTime created = item->creationDate();
    m_creationDateField->setText(created.isValid() ? dateString(created) : none);
    m_modDateField->setText(dateString(item->lastModificationDate()));

    const QSizeF size = item->originalSize();
    m_sizeField->setText(size.isEmpty() ? none : QStringLiteral("%1 x %2").arg(size.width(), 0, 'f', 2).arg(size.height(), 0, 'f', 2));

    m_lockedIcon->setPixmap(lockImage(item->locked()));

    QStringList names;
    const QList<pf::Ref<PWXLibraryCategory>> standard = library ? library->standardCategories() : QList<pf::Ref<PWXLibraryCategory>>();
    for (const pf::Ref<PWXLibraryCategory>& category : item->categories())
        if (!standard.contains(category))
            names.append(category->name());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return pf::compareByReading(a, b) < 0; });
    m_categoriesListField->setText(names.join(QStringLiteral(",\n")));
}
