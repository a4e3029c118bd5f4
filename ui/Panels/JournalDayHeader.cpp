#include "ui/Panels/JournalDayHeader.h"

#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/view/Controls/Controls.h"

#include <string>
#include <utility>
#include <vector>

namespace glimmo {
namespace {

std::vector<std::string> formatted(const char* pattern, const std::vector<Date>& dates) {
    DateFormatter formatter;
    formatter.setDateFormat(pattern);
    std::vector<std::string> texts;
    for (const Date& date : dates) texts.push_back(formatter.string(date));
    return texts;
}

// Texts drawn nowhere: the stack is as wide as the widest of them.
AnyView widestOf(const std::vector<std::string>& texts) {
    std::vector<AnyView> views;
    for (const std::string& text : texts) views.push_back(Text(text).lineLimit(1).hidden());
    return ZStack(Alignment::leading(), std::move(views));
}

// As wide as the day's two parts ("MMMM" and " d" of "MMMM d") can make its text in a year, in the
// user's locale and time zone. Compared by what it depends on, it is made and measured again only when
// that changes, not with every day.
struct DaySlot : View<DaySlot> {
    int year = 0;
    std::string locale = defaultLocale();
    std::string timeZone = defaultTimeZone();

    bool operator==(const DaySlot& other) const {
        return year == other.year && locale == other.locale && timeZone == other.timeZone;
    }

    AnyView body() const {
        const Calendar calendar = Calendar::current();
        std::vector<Date> months, days;
        for (int month = 1; month <= 12; ++month) months.push_back(calendar.date(year, month, 1));
        for (int day = 1; day <= 31; ++day) days.push_back(calendar.date(year, 1, day));
        return HStack(VerticalAlignment::center(), 0, {widestOf(formatted("MMMM", months)), widestOf(formatted(" d", days))})
            .fixedSize();
    }
};

AnyView dayLabel(Date day, const Color& color) {
    return DaySlot{{}, Calendar::current().year(day)}
        .overlay(Text(monthDayString(day)).lineLimit(1).minimumScaleFactor(0.5).foregroundColor(color))
        .font(Font::system(20));
}

} // namespace

AnyView journalDayHeader(Date shownDay, bool forwardDisabled, std::function<void(int days)> step, const Color& textColor) {
    return HStack({Text("What You Did").font(Font::system(24)).lineLimit(1).minimumScaleFactor(0.5).foregroundColor(textColor),
                   Spacer(),
                   Button([step] { step(-1); }, Image::systemName("arrow.left").foregroundColor(Color::orange()))
                       .buttonStyle(AnyButtonStyle::plain())
                       .accessibilityLabel("previous day"),
                   dayLabel(shownDay, textColor).padding(EdgeSet::horizontal()),
                   Button([step] { step(1); }, Image::systemName("arrow.right").foregroundColor(forwardDisabled ? Color::gray() : Color::orange()))
                       .buttonStyle(AnyButtonStyle::plain())
                       .disabled(forwardDisabled)
                       .accessibilityLabel("next day")})
        .padding(EdgeSet::horizontal());
}

} // namespace glimmo
