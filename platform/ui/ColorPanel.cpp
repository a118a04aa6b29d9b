#include "platform/ui/ColorPanel.h"

#include "platform/ui/ColorPanelModeItem.h"
#include "platform/ui/WindowFrame.h"

#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QLayout>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QStackedWidget>
#include <QToolBar>
#include <QVBoxLayout>

PF_DEFINE_CLASS_NAMED(pf::ColorPanel, pf::Window, "pf::ColorPanel")
{
    b.method("orderFront:", &pf::ColorPanel::orderFront);
    b.method("makeKeyAndOrderFront:", &pf::ColorPanel::makeKeyAndOrderFront);
    b.method("selectMode:", &pf::ColorPanel::selectMode);
    b.property("color", std::function<QVariant(const pf::ColorPanel&)>([](const pf::ColorPanel& panel) {
                   return pf::toVariant(std::make_shared<pf::Color>(panel.color()));
               }),
               std::function<void(pf::ColorPanel&, const QVariant&)>([](pf::ColorPanel& panel, const QVariant& value) {
                   if (auto colour = pf::fromVariant<pf::Ref<pf::Color>>(value))
                       panel.setColor(*colour);
               }));
    b.property("showsAlpha", &pf::ColorPanel::showsAlpha, &pf::ColorPanel::setShowsAlpha);
}

namespace pf {

namespace {

QPointer<ColorPanel>& sharedPanel()
{
    static QPointer<ColorPanel> panel;
    return panel;
}

// A small drawn image for a mode item: a hue ring for the wheel, stacked swatches for lists.
QIcon modeImage(bool wheel)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (wheel) {
        QConicalGradient hues(16, 16, 0);
        for (int i = 0; i <= 6; ++i)
            hues.setColorAt(i / 6.0, QColor::fromHsvF(i / 6.0 >= 1 ? 0 : i / 6.0, 1, 1));
        painter.setBrush(hues);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(3, 3, 26, 26));
    } else {
        const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
        for (int i = 0; i < 3; ++i)
            painter.fillRect(QRectF(4, 4 + i * 9, 24, 7), colours[i]);
    }
    return QIcon(pixmap);
}

} // namespace

ColorPanel* ColorPanel::shared()
{
    QPointer<ColorPanel>& panel = sharedPanel();
    if (!panel)
        panel = new ColorPanel;
    return panel;
}

bool ColorPanel::sharedExists()
{
    return !sharedPanel().isNull();
}

ColorPanel::ColorPanel()
{
    setWindowTitle(tr("Colors"));
    setFloatingPanel(true);
    setAction(QStringLiteral("changeColor:"));
    m_modeItems = {
        std::make_shared<ColorPanelModeItem>(kWheelModeIdentifier, modeImage(true), tr("Color Wheel"),
                                             QStringLiteral("selectMode:")),
        std::make_shared<ColorPanelModeItem>(kListModeIdentifier, modeImage(false), tr("Color Palettes"),
                                             QStringLiteral("selectMode:")),
    };
    buildPickers();
    resize(260, 420);
}

void ColorPanel::buildPickers()
{
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    m_modeBar = new QToolBar(content);
    for (const Ref<ColorPanelModeItem>& item : std::as_const(m_modeItems)) {
        QAction* action = m_modeBar->addAction(item->image(), item->toolTip());
        action->setCheckable(true);
        action->setData(item->itemIdentifier());
        Weak<ColorPanelModeItem> weakItem = item;
        QObject::connect(action, &QAction::triggered, this, [this, weakItem] {
            if (auto chosen = weakItem.lock())
                perform(chosen->action(), {toVariant(chosen)});
        });
    }
    layout->addWidget(m_modeBar);
    m_pages = new QStackedWidget(content);
    m_wheel = new QColorDialog(m_pages);
    m_wheel->setWindowFlags(Qt::Widget);
    m_wheel->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
    m_wheel->setCurrentColor(m_color.qColor());
    QObject::connect(m_wheel, &QColorDialog::currentColorChanged, this, [this](const QColor& colour) {
        if (!m_updatingPickers)
            userChoseColor(Color(colour));
    });
    m_pages->addWidget(m_wheel);
    auto* listPage = new QWidget(m_pages);
    auto* listLayout = new QVBoxLayout(listPage);
    m_listChooser = new QComboBox(listPage);
    m_listColors = new QListWidget(listPage);
    listLayout->addWidget(m_listChooser);
    listLayout->addWidget(m_listColors);
    QObject::connect(m_listChooser, &QComboBox::currentIndexChanged, this, [this] { refreshLists(); });
    QObject::connect(m_listColors, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int index = m_listChooser->currentIndex();
        if (index >= 0 && index < m_lists.size())
            userChoseColor(m_lists[index]->colorWithKey(item->text()));
    });
    m_pages->addWidget(listPage);
    layout->addWidget(m_pages, 1);
    setContentView(content);
    selectMode(kWheelModeIdentifier);
}

void ColorPanel::refreshLists()
{
    m_listColors->clear();
    const int index = m_listChooser->currentIndex();
    if (index < 0 || index >= m_lists.size())
        return;
    const Ref<ColorList>& list = m_lists[index];
    for (const QString& key : list->allKeys()) {
        QPixmap swatch(16, 16);
        swatch.fill(list->colorWithKey(key).qColor());
        m_listColors->addItem(new QListWidgetItem(QIcon(swatch), key));
    }
}

void ColorPanel::setColor(const Color& color)
{
    if (!color.isValid())
        return;
    willChangeValueForKey(QStringLiteral("color"));
    // Without the opacity control the panel deals in opaque colours.
    m_color = m_showsAlpha ? color : color.colorWithAlphaComponent(1.0);
    m_updatingPickers = true;
    m_wheel->setCurrentColor(m_color.qColor());
    m_updatingPickers = false;
    didChangeValueForKey(QStringLiteral("color"));
}

void ColorPanel::setShowsAlpha(bool shows)
{
    if (shows == m_showsAlpha)
        return;
    setObservedValue(m_showsAlpha, shows, QStringLiteral("showsAlpha"));
    m_updatingPickers = true;
    m_wheel->setOption(QColorDialog::ShowAlphaChannel, shows);
    m_updatingPickers = false;
}

void ColorPanel::attachColorList(const Ref<ColorList>& list)
{
    if (!list || m_lists.contains(list))
        return;
    m_lists.append(list);
    m_listChooser->addItem(list->name());
}

void ColorPanel::detachColorList(const Ref<ColorList>& list)
{
    const qsizetype index = m_lists.indexOf(list);
    if (index < 0)
        return;
    m_lists.removeAt(index);
    m_listChooser->removeItem(int(index));
}

QString ColorPanel::selectedItemIdentifier() const
{
    const int page = m_pages->currentIndex();
    return page >= 0 && page < m_modeItems.size() ? m_modeItems[page]->itemIdentifier() : QString();
}

void ColorPanel::selectMode(const QVariant& item)
{
    QString identifier = item.toString();
    if (auto modeItem = objectCast<ColorPanelModeItem>(item))
        identifier = modeItem->itemIdentifier();
    for (qsizetype i = 0; i < m_modeItems.size(); ++i) {
        if (m_modeItems[i]->itemIdentifier() != identifier)
            continue;
        m_pages->setCurrentIndex(int(i));
        const QList<QAction*> actions = m_modeBar->actions();
        for (qsizetype k = 0; k < actions.size(); ++k)
            actions[k]->setChecked(k == i);
    }
}

bool ColorPanel::isPickerViewLent() const
{
    return contentView() && contentView()->parentWidget() != this;
}

void ColorPanel::reclaimPickerView()
{
    QWidget* view = contentView();
    if (!view || !isPickerViewLent())
        return;
    layout()->addWidget(view);
    view->show();
}

void ColorPanel::orderFront(const QVariant& sender)
{
    if (!s_enabled)
        return;
    reclaimPickerView();
    Panel::orderFront(sender);
}

void ColorPanel::makeKeyAndOrderFront(const QVariant& sender)
{
    if (!s_enabled)
        return;
    reclaimPickerView();
    Panel::makeKeyAndOrderFront(sender);
}

void ColorPanel::setFrameFromContentRect(const QRectF& contentRect)
{
    setFrame(frameRectForContentRect(contentRect), true);
}

void ColorPanel::setColorReceiver(Reflective* owner, std::function<void(const Color&)> receiver)
{
    m_receiverOwner = ActionTarget(owner);
    m_receiver = owner ? std::move(receiver) : nullptr;
}

void ColorPanel::userChoseColor(const Color& color)
{
    if (!color.isValid())
        return;
    setColor(color);
    const Color chosen = m_color;
    const bool hasReceiver = m_receiverOwner && m_receiver;
    if (hasReceiver) {
        // A copy: the receiver may take the panel away from itself.
        const auto receiver = m_receiver;
        receiver(chosen);
    }
    if (target() || !hasReceiver)
        sendAction();
}

QVariant ColorPanel::senderValue() const
{
    return QVariant::fromValue(static_cast<QWidget*>(const_cast<ColorPanel*>(this)));
}

} // namespace pf
