// The journal's day header laid out with Qt's text measurer, as the window lays it out: the shown day
// keeps one line and the arrows keep their frames on every day of a year, in English and in a locale
// with long month names, and in the journal layout a user clicking "previous day" at one spot steps
// across a month's end.

#include "tests/ui/Panels/PanelsFixture.h"

#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/view/ViewHost.h"
#include "ui/Panels/JournalContentView.h"
#include "ui/Panels/JournalDayHeader.h"

#include <gtest/gtest.h>

namespace glimmo::testing {
namespace {

struct HeaderFrames {
    CGRect previous;
    CGRect next;
};

HeaderFrames headerFrames(ViewHost& host) {
    host.update();
    return {findLabelled(host.graph(), "previous day")->elementsFrame(), findLabelled(host.graph(), "next day")->elementsFrame()};
}

// The lines drawn with part of `day` in them: one, holding all of it, when the day keeps one line.
std::vector<std::string> linesShowing(const DisplayList& list, const std::string& day) {
    std::vector<std::string> lines;
    const std::string month = day.substr(0, day.find(' '));
    for (const ShownText& shown : shownTexts(list)) {
        if (shown.text.find(month) != std::string::npos) lines.push_back(shown.text);
    }
    return lines;
}

AnyView headerOn(Date day) { return journalDayHeader(day, false, [](int) {}, Color::labelColor()); }

// The header on the day it is told, in one host for a whole year.
class ShownDay : public ObservableObject {
public:
    Published<Date> day{*this, Date()};
};

struct HeaderOnShownDay : View<HeaderOnShownDay> {
    ObservedObject<ShownDay> shown;
    AnyView body() const { return headerOn(shown->day.get()); }
};

TEST_F(JournalLayoutTest, KeepsOneLineAndItsArrowsInPlaceOnEveryDayOfTheYear) {
    ensureOffscreenQt();
    RunLoop::setMain(loop);
    const std::string worldLocale = defaultLocale();
    for (const char* locale : {"en_US", "el_GR"}) {
        setDefaultLocale(locale);
        const Calendar calendar = Calendar::current();
        const auto shown = std::make_shared<ShownDay>();
        shown->day = calendar.date(2024, 1, 1, 12);
        ViewHost host(HeaderOnShownDay{{}, shown}, std::make_shared<QtTextMeasurer>());
        host.setSize({JournalContentView::width, 100});
        const HeaderFrames first = headerFrames(host);
        for (Date day = shown->day; calendar.year(day) == 2024; day = calendar.addingDays(day, 1)) {
            shown->day = day;
            const HeaderFrames frames = headerFrames(host);
            const std::string text = monthDayString(day);
            EXPECT_EQ(linesShowing(host.displayList(), text), std::vector<std::string>{text}) << locale;
            EXPECT_EQ(frames.previous, first.previous) << locale << " " << text;
            EXPECT_EQ(frames.next, first.next) << locale << " " << text;
        }
    }
    setDefaultLocale(worldLocale);
}

TEST_F(JournalLayoutTest, PreviousDayClickedAtOneSpotStepsAcrossTheMonthsEnd) {
    ensureOffscreenQt();
    RunLoop::setMain(loop);
    ViewHost page(JournalContentView(reader, monitor, service), std::make_shared<QtTextMeasurer>());
    page.setSize({JournalContentView::width, JournalContentView::height});
    const HeaderFrames frames = headerFrames(page);
    const CGPoint spot{frames.previous.midX(), frames.previous.midY()};
    Date day = onThe7th(12);
    for (int click = 0; click < 8; ++click) {
        page.handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, spot));
        page.handlePointer(TestHost::pointer(PointerEvent::Kind::released, spot));
        day = Calendar::current().addingDays(day, -1);
        const HeaderFrames now = headerFrames(page);
        EXPECT_EQ(now.previous, frames.previous) << monthDayString(day);
        EXPECT_EQ(now.next, frames.next) << monthDayString(day);
    }
    EXPECT_EQ(linesShowing(page.displayList(), "November 29"), std::vector<std::string>{"November 29"});

    // The header the sweep of a year lays out alone is the one the layout shows: its arrows sit where
    // the layout's do.
    ViewHost alone(headerOn(day), std::make_shared<QtTextMeasurer>());
    alone.setSize({JournalContentView::width, 100});
    const HeaderFrames aloneFrames = headerFrames(alone);
    EXPECT_EQ(aloneFrames.previous.size, frames.previous.size);
    EXPECT_EQ(aloneFrames.previous.origin.x, frames.previous.origin.x);
    EXPECT_EQ(aloneFrames.next.origin.x, frames.next.origin.x);
}

} // namespace
} // namespace glimmo::testing
