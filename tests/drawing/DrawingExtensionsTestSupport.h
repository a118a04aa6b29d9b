#pragma once

#include "drawing/VNQLDrawingExtensions.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/PresentationHook.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QMessageBox>

namespace drawext_test {

// The drawing extensions installed; the name provider and any dialog answer taken away after.
struct ExtensionsTest : ::testing::Test {
    void SetUp() override { VNQLDrawingExtensions::install(); }
    void TearDown() override
    {
        PWDrawableObject::setNameProvider(nullptr);
        pf::PresentationHook::clear();
    }
};

// Answers every alert from now on with the button titled `title`, ticking its suppression box
// first when `suppress`; counts the alerts in `asked`.
inline void answerAlerts(const QString& title, bool suppress, int* asked)
{
    pf::PresentationHook::set([title, suppress, asked](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        ++*asked;
        if (suppress && box->checkBox())
            box->checkBox()->setChecked(true);
        for (QAbstractButton* button : box->buttons())
            if (button->text() == title)
                button->click();
    });
}

} // namespace drawext_test
