#include "platform/qt/desktop/QtAlertPresenter.h"
#include "platform/qt/desktop/QtDesktopServices.h"
#include "platform/qt/desktop/QtPasteboard.h"
#include "platform/qt/KitFonts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace glimmo {
namespace {

class QtDesktopServicesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "qt_desktop_tests";
        static char* argv[] = {name, nullptr};
        // Offscreen also when the binary is run by hand, outside ctest.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QApplication>(argc, argv);
        QApplication::setApplicationDisplayName("GlimmoDemo");
        loadKitFonts();
    }
    static void TearDownTestSuite() { application.reset(); }

    // Waits (a bounded time) for the modal message box, then lets `act` answer it. When no box
    // shows up as the modal window the test fails and any open box is closed, so nothing hangs.
    void whenAlertShows(std::function<void(QMessageBox&)> act) {
        attempts = 0;
        QObject::disconnect(&poller, nullptr, nullptr, nullptr);
        QObject::connect(&poller, &QTimer::timeout, [this, act] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                poller.stop();
                seen = {box->text().toStdString(), box->informativeText().toStdString(), box->icon()};
                act(*box);
            } else if (++attempts >= 1500) {
                poller.stop();
                ADD_FAILURE() << "no alert appeared as the active modal window";
                for (auto* widget : QApplication::topLevelWidgets()) {
                    if (auto* box = qobject_cast<QMessageBox*>(widget)) box->reject();
                }
            }
        });
        poller.start(20);
    }

    static QPushButton* button(QMessageBox& box, const char* title) {
        for (auto* candidate : box.findChildren<QPushButton*>()) {
            if (candidate->text() == title) return candidate;
        }
        return nullptr;
    }

    struct Seen {
        std::string text, informative;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    } seen;

    static inline std::unique_ptr<QApplication> application;
    QtAlertPresenter presenter;
    QTimer poller;
    int attempts = 0;
};

TEST_F(QtDesktopServicesTest, AlertShowsItsTextsAndReturnsTheChosenButton) {
    whenAlertShows([](QMessageBox& box) {
        ASSERT_NE(button(box, "Not Now"), nullptr);
        button(box, "Not Now")->click();
    });
    const int chosen = presenter.runModal({AlertStyle::warning, "Notifications Disabled", "Please enable them.",
                                           {"Open Settings", "Not Now"}});
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(seen.text, "Notifications Disabled");
    EXPECT_EQ(seen.informative, "Please enable them.");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);

    whenAlertShows([](QMessageBox& box) { button(box, "Open Settings")->click(); });
    EXPECT_EQ(presenter.runModal({AlertStyle::critical, "m", "i", {"Open Settings", "Not Now"}}), 0);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

TEST_F(QtDesktopServicesTest, DismissingAnAlertNeverChoosesTheFirstButton) {
    whenAlertShows([](QMessageBox& box) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&box, &escape);
    });
    EXPECT_EQ(presenter.runModal({AlertStyle::warning, "Delete?", "", {"Delete", "Keep", "Cancel"}}), 2);

    whenAlertShows([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(presenter.runModal({AlertStyle::informational, "Sure?", "", {"Yes", "No"}}), 1);
}

TEST_F(QtDesktopServicesTest, AlertUsesTheInterfaceFontAndKeepsShortTextsAndTheTitleOnOneLine) {
    const std::string informative = "Updates for this application are managed by your package manager.";
    whenAlertShows([&](QMessageBox& box) {
        EXPECT_EQ(box.font().family().toStdString(), "Inter");
        const QFontMetrics metrics(box.font());
        for (const auto* label : box.findChildren<QLabel*>()) {
            if (label->text().isEmpty() || !label->isVisible()) continue;
            EXPECT_GE(label->width(), metrics.horizontalAdvance(label->text())) << label->text().toStdString();
            EXPECT_LT(label->height(), 2 * metrics.lineSpacing()) << label->text().toStdString();
        }
        EXPECT_GT(box.width(), metrics.horizontalAdvance(box.windowTitle()));
        EXPECT_EQ(box.windowTitle().toStdString(), "GlimmoDemo");
        button(box, "OK")->click();
    });
    presenter.runModal({AlertStyle::informational, "Check for Updates", informative, {"OK"}});
    EXPECT_EQ(seen.informative, informative);
}

TEST_F(QtDesktopServicesTest, AlertWithoutButtonsOffersOK) {
    whenAlertShows([](QMessageBox& box) {
        ASSERT_NE(button(box, "OK"), nullptr);
        button(box, "OK")->click();
    });
    EXPECT_EQ(presenter.runModal({AlertStyle::informational, "Done", "", {}}), 0);
    EXPECT_EQ(seen.icon, QMessageBox::Information);
}

TEST_F(QtDesktopServicesTest, PasteboardHoldsPlainTextAndClears) {
    QtPasteboard pasteboard;
    pasteboard.setString("Report: 2 h Écriture ✓");
    EXPECT_EQ(pasteboard.string(), "Report: 2 h Écriture ✓");
    pasteboard.setString("second");
    EXPECT_EQ(pasteboard.string(), "second");
    pasteboard.clearContents();
    EXPECT_EQ(pasteboard.string(), std::nullopt);
}

TEST_F(QtDesktopServicesTest, InstallsBothServices) {
    installQtDesktopServices();
    EXPECT_NE(dynamic_cast<QtAlertPresenter*>(&AlertPresenter::shared()), nullptr);
    EXPECT_NE(dynamic_cast<QtPasteboard*>(&Pasteboard::shared()), nullptr);
    AlertPresenter::setShared(nullptr);
    Pasteboard::setShared(nullptr);
}

} // namespace
} // namespace glimmo
