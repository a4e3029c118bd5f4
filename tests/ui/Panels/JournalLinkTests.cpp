// The journal as the application shows it, hosted by the window layer: a click on a link opens web
// links with a host and mail links without hidden headers with the desktop, and nothing else that a
// written journal may link to.

#include "tests/ui/Panels/PanelsFixture.h"

#include "platform/desktop/fakes/FakeWorkspace.h"
#include "platform/qt/HostingWidget.h"
#include "platform/qt/window/QtWindowSupport.h"
#include "platform/view/ViewHost.h"
#include "platform/window/NativeView.h"
#include "ui/Panels/JournalContentView.h"

#include <QTest>

#include <gtest/gtest.h>

namespace glimmo::testing {
namespace {

class JournalLinkTest : public PanelsFixture {
protected:
    JournalLinkTest() {
        ensureOffscreenQt();
        RunLoop::setMain(loop);
        Workspace::setShared(workspace);
    }
    ~JournalLinkTest() override { Workspace::setShared(nullptr); }

    std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
};

TEST_F(JournalLinkTest, AClickOpensWebAndMailLinksAndNothingElse) {
    world.answerOpenAI(200, openAIReplyWithText("- [Quarterly report](https://example.com/report)\n"
                                                "- [Write to Ana](mailto:ana@example.com?subject=Notes&body=Hi)\n"
                                                "- [Send the key](mailto:?attach=/home/user/.ssh/id_rsa)\n"
                                                "- [Copy Eve](mailto:ana@example.com?bcc=eve@example.com)\n"
                                                "- [No host](https:x)\n"
                                                "- [Empty host](https://)\n"
                                                "- [Local notes](file:///etc/passwd)\n"
                                                "- [Run this](javascript:alert(1))\n"
                                                "- [Desktop settings](settings://notifications)\n"
                                                "- [Relative page](docs/page.html)\n"));
    auto view = NativeView::makeHosting(AnyView(JournalContentView(reader, monitor, service)));
    view->setFrame(CGRect(0, 0, JournalContentView::width, JournalContentView::height));
    ViewHost& host = *view->host();
    ASSERT_TRUE(loop->runUntil(
        [&] {
            host.update();
            return shows(host.displayList(), "Relative page");
        },
        20));
    auto* widget = widgetOf(*view).findChild<HostingWidget*>();
    ASSERT_NE(widget, nullptr);
    for (const char* title : {"Quarterly report", "Write to Ana", "Send the key", "Copy Eve", "No host", "Empty host",
                              "Local notes", "Run this", "Desktop settings", "Relative page"}) {
        const auto line = findText(host.displayList(), title);
        ASSERT_TRUE(line) << title;
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(static_cast<int>(line->origin.x) + 4, static_cast<int>(line->origin.y) + 6));
        loop->runUntilIdle();
    }
    EXPECT_EQ(workspace->openedURLs(),
              (std::vector<std::string>{"https://example.com/report", "mailto:ana@example.com?subject=Notes&body=Hi"}));
}

} // namespace
} // namespace glimmo::testing
