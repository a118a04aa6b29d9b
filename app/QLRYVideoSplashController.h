#pragma once

#include "platform/graphics/Gradient.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowController.h"

#include <QPointer>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "widgets/RVSimpleHoverButtonView.h"

// The welcome window: four large hover buttons that open the maker's web pages (getting
// started, tutorials, user forum, user guide) and a check box that decides whether the window
// shows at launch. Closing it (its own Close button, the window's close button or Ctrl+W) shows
// a hint on how to get it back, until the user ticks the hint's suppression box.
class QLRYVideoSplashController : public pf::WindowController, public pf::WindowDelegate {
    PF_CLASS(QLRYVideoSplashController)
public:
    static inline const QString kWindowNibName = QStringLiteral("QuillorySplashVideo(V2)");
    static inline const QString kShowAtLaunchDefault = QStringLiteral("kQuilloryWillShowWelcomeVideoAtLaunch");
    static inline const QString kShowCloseAlertDefault = QStringLiteral("kQuilloryShouldShowWelcomeVideoCloseAlert");
    static inline const QString kDismissedNotification = QStringLiteral("kQuilloryWelcomeVideoDismissed");
    // The pages the four buttons open, by tag.
    static inline const QString kGettingStartedURL = QStringLiteral("https://quillory.org/quillory");
    static inline const QString kTutorialsURL = QStringLiteral("https://quillory.org/quillory/learn-quillory/");
    static inline const QString kUserForumURL = QStringLiteral("https://quillory.org/forums/forum/quillory/");
    static inline const QString kUserGuideURL = QStringLiteral("https://quillory.org/quillory/qlry-user-guide/");

    static pf::Ref<QLRYVideoSplashController> sharedVideoSplashController();
    static bool sharedVideoSplashControllerAvailable();
    // Tests: closes and forgets the shared window.
    static void releaseSharedVideoSplashController();
    // The launch preference (on unless the user turned it off).
    static bool shouldDisplayWelcomeVideoAtLaunch();

    static pf::Ref<pf::Gradient> version2NormalGradient();
    static pf::Ref<pf::Gradient> version2HoverGradient();
    static pf::Ref<pf::Gradient> version2PressedGradient();

    QLRYVideoSplashController();
    ~QLRYVideoSplashController() override;

    // Sets the check box from the launch preference, then shows the window.
    void showWindow(const QVariant& sender) override;

    void webResourceActionWithTagOfSender(RVSimpleHoverButtonView* sender);
    void closeWindowAction(const QVariant& sender = {});
    // Closing the window goes through closeWindowAction, hint included.
    void close() override;
    void showAtLaunchAction(const QVariant& sender = {});
    void playMovieAction(const QVariant& sender = {}) {}
    void closeAlertDidEnd(bool suppressed);
    void windowDidResignKey(pf::Window& window) override;
    // The closing hint while it is up.
    pf::Ref<pf::Alert> closeAlert() const { return mCloseAlert; }

    bool userHasManuallySetLaunchPreference() const { return mUserHasManuallySetLaunchPreference; }
    QCheckBox* showAtLaunchCheckbox() const { return mShowAtLaunchCheckbox; }
    QList<RVSimpleHoverButtonView*> hoverButtons() const;

    void loadWindow() override;
    void windowDidLoad() override;

private:
    void finishClosing();

    bool mUserHasManuallySetLaunchPreference = false;
    pf::Ref<pf::Alert> mCloseAlert;
    QPointer<QPushButton> mCloseButton;
    QPointer<QCheckBox> mShowAtLaunchCheckbox;
    QPointer<QLabel> mIntroTextField;
    QPointer<RVSimpleHoverButtonView> mGettingStartedButton;
    QPointer<RVSimpleHoverButtonView> mVectorTutorialsButton;
    QPointer<RVSimpleHoverButtonView> mUserForumButton;
    QPointer<RVSimpleHoverButtonView> mGalleryButton;
};
