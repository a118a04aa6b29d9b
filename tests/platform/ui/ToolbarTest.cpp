// Toolbars: items by identifier from the delegate, the will-add and did-remove
// notifications, validation through the responder chain, and placement in the window.
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ToolbarDelegate.h"
#include "platform/ui/Window.h"
#include "tests/support/NotificationRecorder.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

using namespace pf;

namespace {

class Validator : public Object, public Responder {
    PF_CLASS(Validator)
public:
    bool allowShare = true;
    QStringList validated;
    bool validateUserInterfaceItem(UserInterfaceItem& item) override
    {
        validated << item.action();
        return item.action() != "share:" || allowShare;
    }
};

// A control placed in a toolbar: validated as an interface item of its own.
class ItemLabel : public QLabel, public UserInterfaceItem {
public:
    explicit ItemLabel(Reflective* target) : m_target(target) {}
    QString action() const override { return "showLocation:"; }
    Reflective* target() const override { return m_target.get(); }
    bool isEnabled() const override { return QLabel::isEnabled(); }
    void setEnabled(bool enabled) override { QLabel::setEnabled(enabled); }
    QVariant senderValue() const override { return {}; }

private:
    ActionTarget m_target;
};

class Items : public ToolbarDelegate {
public:
    Reflective* target = nullptr;
    QStringList toolbarDefaultItemIdentifiers(Toolbar&) override
    {
        return {"share", NSToolbarFlexibleSpaceItemIdentifier, "location", "unknown"};
    }
    Ref<ToolbarItem> itemForItemIdentifier(Toolbar&, const QString& identifier, bool) override
    {
        if (identifier == "share") {
            auto item = ToolbarItem::make(identifier);
            item->setLabel("Share");
            item->setAction("share:");
            item->setTarget(target);
            return item;
        }
        if (identifier == "location") {
            auto item = ToolbarItem::make(identifier);
            item->setView(new ItemLabel(target));
            return item;
        }
        return nullptr;
    }
};

} // namespace

PF_DEFINE_CLASS(Validator, pf::Object)
{
    b.method("share:", std::function<QVariant(Validator&, const QVariantList&)>([](Validator&, const QVariantList&) { return QVariant(); }));
    b.method("showLocation:", std::function<QVariant(Validator&, const QVariantList&)>([](Validator&, const QVariantList&) { return QVariant(); }));
}

TEST(Toolbar, ItemsComeFromTheDelegateWithNotificationsCarryingTheItem)
{
    auto validator = std::make_shared<Validator>();
    Items items;
    items.target = validator.get();
    auto toolbar = Toolbar::make("MainDocument");
    NotificationRecorder recorder(toolbar.get());
    toolbar->setDelegate(&items);

    ASSERT_EQ(toolbar->items().size(), 3); // the unknown identifier is left out
    EXPECT_EQ(toolbar->items()[1]->itemIdentifier(), NSToolbarFlexibleSpaceItemIdentifier);
    ASSERT_EQ(recorder.count(NSToolbarWillAddItemNotification), 3);
    EXPECT_EQ(objectCast<ToolbarItem>(recorder.infos[2].value(kToolbarItemKey)), toolbar->items()[2]);

    Ref<ToolbarItem> share = toolbar->items()[0];
    recorder.clear();
    toolbar->removeItemAtIndex(0);
    EXPECT_EQ(recorder.names, QStringList{NSToolbarDidRemoveItemNotification});
    EXPECT_EQ(objectCast<ToolbarItem>(recorder.infos[0].value(kToolbarItemKey)), share);
    EXPECT_EQ(share->toolbar(), nullptr);
    EXPECT_EQ(toolbar->items().size(), 2);

    recorder.clear();
    toolbar->insertItemWithItemIdentifier("share", 0);
    EXPECT_EQ(recorder.count(NSToolbarWillAddItemNotification), 1);
    EXPECT_EQ(toolbar->items()[0]->itemIdentifier(), "share");
    EXPECT_EQ(toolbar->qToolBar()->actions().first(), toolbar->items()[0]->qAction());
}

TEST(Toolbar, ValidationAsksTheTargetForItemsAndForTheirControls)
{
    auto validator = std::make_shared<Validator>();
    Items items;
    items.target = validator.get();
    auto toolbar = Toolbar::make("MainDocument");
    toolbar->setDelegate(&items);
    ToolbarItem* share = toolbar->items()[0].get();
    auto* location = dynamic_cast<ItemLabel*>(toolbar->items()[2]->view());
    ASSERT_NE(location, nullptr);

    validator->allowShare = false;
    validator->validated.clear();
    toolbar->validateVisibleItems();
    EXPECT_FALSE(share->isEnabled());
    EXPECT_FALSE(share->qAction()->isEnabled());
    EXPECT_TRUE(location->isEnabled());
    EXPECT_EQ(validator->validated, (QStringList{"share:", "showLocation:"}));

    validator->allowShare = true;
    toolbar->validateVisibleItems();
    EXPECT_TRUE(share->isEnabled());

    // A target that is gone: nobody answers the action, so the item is disabled.
    validator.reset();
    toolbar->validateVisibleItems();
    EXPECT_FALSE(share->isEnabled());
}

TEST(Toolbar, SitsAboveTheContentAndTakesNoHeightWhileHidden)
{
    Window window;
    window.setContentView(new QWidget);
    window.resize(400, 300);
    Items items;
    auto toolbar = Toolbar::make("MainDocument");
    toolbar->setDelegate(&items);
    window.setToolbar(toolbar);
    window.show();
    EXPECT_EQ(window.toolbar(), toolbar.get());
    EXPECT_EQ(window.layout()->indexOf(toolbar->qToolBar()), 0);
    EXPECT_GT(toolbar->height(), 0);
    EXPECT_EQ(window.contentView()->y(), toolbar->qToolBar()->height());

    toolbar->setDisplayMode(Toolbar::DisplayMode::IconOnly);
    EXPECT_EQ(toolbar->qToolBar()->toolButtonStyle(), Qt::ToolButtonIconOnly);
    toolbar->setVisible(false);
    EXPECT_EQ(toolbar->height(), 0);

    window.setToolbar(nullptr);
    EXPECT_EQ(toolbar->window(), nullptr);
    EXPECT_EQ(window.layout()->indexOf(toolbar->qToolBar()), -1);
}
